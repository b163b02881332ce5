#pragma once
// The table widget of the two frame editors: a fixed grid of titles and 30
// frame rows, copied to and from the core's FrameGrid.
#include "gateway/frame_list.h"
#include "ui/unread_document.h"

#include <QColor>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <vector>

namespace gw {

inline const QColor kFixedCellColour(240, 240, 240);
inline const QColor kCobIdColour(0xE0, 0xFA, 0xFE);
inline const QColor kSwapColour(0xCA, 0xFF, 0xCA);
inline const QColor kDeleteColour(0xFF, 0xC4, 0xE1);
inline const QColor kMnemonicColour(0xFF, 0xFF, 0xA8);

struct FrameColumnLook {
    int width;
    QColor background; // invalid for the fixed column
};

// 30 frame rows under a title header; column 0 holds the row number and is
// not editable. Grid row r (1 to 30) is table row r - 1. The table gets the
// spreadsheet keys of GridKeys.
void SetupFrameTable(QTableWidget* table, FrameListKind kind,
                     const std::vector<FrameColumnLook>& columns, int rowHeight);

// Cell text by grid position (column, row 1 to 30).
QString FrameCellText(const QTableWidget* table, int column, int row);
void SetFrameCellText(QTableWidget* table, int column, int row, const QString& text);

void GridToTable(const FrameGrid& grid, QTableWidget* table);
FrameGrid TableToGrid(FrameListKind kind, const QTableWidget* table);

// The frame editors' show: identifier width, then the list, whose rows always
// replace what the table held (rows of an earlier showing, perhaps of another
// project, must never be saved into this one). A pargen.xml that cannot be read
// leaves the 11-bit width; a failing list still shows what was read before the
// failure. The first error goes on to the caller's error boundary, after
// `width` is set; a list longer than the table is announced in a message box.
// The list is read through `listGuard`, so OK knows when it was not read.
void ShowFrameDocument(FrameListKind kind, const std::string& pargenPath,
                       const std::string& listPath, QTableWidget* table, QWidget* parent,
                       CobIdWidth& width, UnreadDocumentGuard& listGuard);

// OK's check: the first row error, else the first text a document cannot hold,
// in an error box, then its cell selected; true when the rows may be saved.
bool ValidateFrameRows(FrameListKind kind, QTableWidget* table, CobIdWidth width, QWidget* parent);

// The Delete column: a centred check box standing for "Y" (checked) and any
// other text (unchecked); a click sets the other value.
class DeleteCheckDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QString Toggled(const QString& text) { return text == "Y" ? "N" : "Y"; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget*, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return nullptr;
    }
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
};

} // namespace gw
