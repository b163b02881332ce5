#pragma once
// Spreadsheet keys for the editors' tables, so an installer can work keyboard
// first and move values between the tables and a spreadsheet:
//
//   Enter, Return     commit the cell and move down (Shift: up); they never press
//                     the dialog's default button while the table has the focus
//   Tab, Shift+Tab    next or previous cell the user may change, wrapping to the
//                     next or previous row; past the last cell the focus leaves
//                     the table for the next control
//   Ctrl+C            the selected cells as tab-separated lines
//   Ctrl+V            a tab-separated block at the current cell; what does not fit
//                     is left out and the user is told how much
//   Delete            empties the selected cells
//   Ctrl+Z            takes back the last paste or Delete
//
// Cells the user may not change at all (row numbers) must not be selectable:
// the keys skip them, and text typed on one goes to the first cell of its row
// the user may change. Cells that are selectable but not editable (a check box
// drawn by a delegate) are stops for Tab and take pasted and deleted text.
//
// Use: after the table's columns and items are made,
//     GridKeys::Attach(sga, "the list holds 30 frames");
// and after every load that replaces the table's contents,
//     GridKeys::ForgetHistory(sga);
// so that Ctrl+Z never brings back cells of an earlier showing. The history is
// also forgotten whenever the table is hidden (its window closes).
#include <QObject>
#include <QString>

#include <vector>

class QKeyEvent;
class QTableView;
class QWidget;

namespace gw {

class GridKeys : public QObject {
    Q_OBJECT
public:
    // Gives `table` the keys (the object is the table's child; a second call
    // only changes `capacity`) and lets the user select a rectangle of cells.
    // `capacity` ends the message about rows that did not fit:
    // "3 rows not pasted: " + capacity. The table keeps its model from here on.
    static GridKeys* Attach(QTableView* table, const QString& capacity);
    // The keys given to `table`; nullptr when it has none.
    static GridKeys* Of(const QTableView* table);
    static void ForgetHistory(const QTableView* table);

    void Copy() const;
    void Paste();
    void ClearSelected();
    // false when there is nothing to take back.
    bool Undo();
    void ForgetHistory() { history_.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    GridKeys(QTableView* table, const QString& capacity);

    struct CellChange {
        int row;
        int column;
        QString before;
        QString after;
    };
    using Step = std::vector<CellChange>;

    bool TableKey(QKeyEvent* key);
    bool EditorKey(QWidget* editor, QKeyEvent* key);
    void CloseEditor(QWidget* editor);
    void MoveVertically(int delta);
    // Next (or previous) cell the user may change; false past the table's end.
    bool MoveAcross(bool forward);
    void LeaveTable(bool forward);
    void PasteText(const QString& text);
    void Apply(Step step);

    QTableView* table_;
    QWidget* viewport_;
    QString capacity_;
    std::vector<Step> history_;
};

// After OK refused a row: makes the refused cell current and the only one
// selected, scrolls it into view and gives the table the focus, so the user
// can correct it at once. `row` and `column` are the table's own (0-based).
void SelectRefusedCell(QTableView* table, int row, int column);

} // namespace gw
