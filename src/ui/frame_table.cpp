#include "ui/frame_table.h"

#include "ui/grid_keys.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <exception>

namespace gw {

namespace {

QTableWidgetItem* CellItem(const QTableWidget* table, int column, int row) {
    return table->item(row - 1, column);
}

} // namespace

void SetupFrameTable(QTableWidget* table, FrameListKind kind,
                     const std::vector<FrameColumnLook>& columns, int rowHeight) {
    const FrameGrid titles(kind);
    const int count = titles.ColumnCount();
    table->setColumnCount(count);
    table->setRowCount(MaxFrameRows);
    table->setFont(HouseFont(8, false, "Tahoma"));

    QStringList headers;
    for (int c = 0; c < count; ++c)
        headers << QString::fromStdString(titles.Cell(c, 0));
    table->setHorizontalHeaderLabels(headers);
    QHeaderView* top = table->horizontalHeader();
    top->setFont(HouseFont(8, true, "Tahoma"));
    top->setFixedHeight(rowHeight);
    top->setHighlightSections(false);
    top->setSectionResizeMode(QHeaderView::Interactive);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
    table->verticalHeader()->setMinimumSectionSize(rowHeight);

    table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);

    for (int c = 0; c < count; ++c) {
        const FrameColumnLook& look = columns[static_cast<std::size_t>(c)];
        table->setColumnWidth(c, look.width);
        for (int r = 0; r < MaxFrameRows; ++r) {
            auto* item = new QTableWidgetItem;
            if (c == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(kFixedCellColour);
            } else {
                item->setBackground(look.background);
            }
            if (c == titles.Columns().del)
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            table->setItem(r, c, item);
        }
    }
    const int del = titles.Columns().del;
    if (del >= 0)
        table->setItemDelegateForColumn(del, new DeleteCheckDelegate(table));
    GridToTable(titles, table);
    table->setCurrentCell(0, 1);
    GridKeys::Attach(table, QString("the list holds %1 frames").arg(MaxFrameRows));
}

QString FrameCellText(const QTableWidget* table, int column, int row) {
    const QTableWidgetItem* item = CellItem(table, column, row);
    return item ? item->text() : QString();
}

void SetFrameCellText(QTableWidget* table, int column, int row, const QString& text) {
    if (QTableWidgetItem* item = CellItem(table, column, row))
        item->setText(text);
}

void GridToTable(const FrameGrid& grid, QTableWidget* table) {
    for (int r = 1; r <= MaxFrameRows; ++r)
        for (int c = 0; c < grid.ColumnCount(); ++c)
            SetFrameCellText(table, c, r, QString::fromStdString(grid.Cell(c, r)));
}

FrameGrid TableToGrid(FrameListKind kind, const QTableWidget* table) {
    FrameGrid grid(kind);
    for (int r = 1; r <= MaxFrameRows; ++r)
        for (int c = 1; c < grid.ColumnCount(); ++c)
            grid.SetCell(c, r, FrameCellText(table, c, r).toStdString());
    return grid;
}

void ShowFrameDocument(FrameListKind kind, const std::string& pargenPath,
                       const std::string& listPath, QTableWidget* table, QWidget* parent,
                       CobIdWidth& width, UnreadDocumentGuard& listGuard) {
    std::exception_ptr failure;
    width = CobIdWidth::Bits11;
    try {
        width = ReadCobIdWidth(pargenPath);
    } catch (...) {
        failure = std::current_exception();
    }
    FrameGrid grid(kind);
    FrameLoadResult loaded;
    try {
        listGuard.Load(listPath, [&] { loaded = LoadFrameDocument(kind, listPath, grid); });
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    // What was read before a failure stays in view.
    GridToTable(grid, table);
    table->setCurrentCell(0, 1);
    GridKeys::ForgetHistory(table);
    if (failure)
        std::rethrow_exception(failure);
    if (loaded.framesInDocument > MaxFrameRows)
        CurrentPrompts().Message(
            parent, QString::fromStdString(TooManyFramesMessage(kind, loaded.framesInDocument)));
}

bool ValidateFrameRows(FrameListKind kind, QTableWidget* table, CobIdWidth width, QWidget* parent) {
    const FrameGrid grid = TableToGrid(kind, table);
    const Findings errors = CheckFrameRows(kind, grid, width);
    std::optional<Finding> refused;
    if (!errors.empty())
        refused = errors.front();
    else
        refused = FirstUnfitFrameCell(grid);
    if (!refused)
        return true;
    CurrentPrompts().Error(parent, QString::fromStdString(refused->message));
    SelectRefusedCell(table, refused->row - 1, refused->column);
    return false;
}

void DeleteCheckDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    QStyleOptionButton box;
    box.state = QStyle::State_Enabled;
    box.state |= index.data().toString() == "Y" ? QStyle::State_On : QStyle::State_Off;
    const QRect indicator = style->subElementRect(QStyle::SE_CheckBoxIndicator, &box, widget);
    box.rect = QRect(option.rect.center() - indicator.center(), indicator.size());
    style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, widget);
}

bool DeleteCheckDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
                                      const QStyleOptionViewItem& option,
                                      const QModelIndex& index) {
    bool toggle = false;
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* m = static_cast<QMouseEvent*>(event);
        toggle = m->button() == Qt::LeftButton && option.rect.contains(m->position().toPoint());
    } else if (event->type() == QEvent::KeyPress) {
        toggle = static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space;
    }
    if (!toggle)
        return false;
    model->setData(index, Toggled(index.data().toString()));
    return true;
}

} // namespace gw
