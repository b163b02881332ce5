#include "ui/grid_keys.h"

#include "common/cell_block.h"
#include "ui/prompts.h"

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

#include <algorithm>

namespace gw {

namespace {

constexpr std::size_t kHistoryDepth = 100;

bool IsUserCell(const QTableView* table, const QModelIndex& index) {
    if (!index.isValid() || table->isRowHidden(index.row()) ||
        table->isColumnHidden(index.column()))
        return false;
    const Qt::ItemFlags f = index.flags();
    return f.testFlag(Qt::ItemIsEnabled) && f.testFlag(Qt::ItemIsSelectable);
}

QString CellText(const QTableView* table, int row, int column) {
    return table->model()->index(row, column).data(Qt::EditRole).toString();
}

Qt::KeyboardModifiers Mods(const QKeyEvent* key) {
    return key->modifiers() & ~Qt::KeypadModifier;
}

bool IsEnter(const QKeyEvent* key) {
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (Mods(key) == Qt::NoModifier || Mods(key) == Qt::ShiftModifier);
}

bool IsTab(const QKeyEvent* key, bool& forward) {
    if (key->key() == Qt::Key_Tab && Mods(key) == Qt::NoModifier)
        forward = true;
    else if (key->key() == Qt::Key_Backtab ||
             (key->key() == Qt::Key_Tab && Mods(key) == Qt::ShiftModifier))
        forward = false;
    else
        return false;
    return true;
}

bool IsOwnKey(const QKeyEvent* key) {
    bool forward = false;
    return key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste) ||
           key->matches(QKeySequence::Undo) ||
           (key->key() == Qt::Key_Delete && Mods(key) == Qt::NoModifier) || IsEnter(key) ||
           IsTab(key, forward);
}

// Moves the current cell as a click would: the selection becomes that cell and
// Shift with the arrows extends from it. The view's own call keeps its anchor;
// as a single selection, a Shift still held (Shift+Enter) extends nothing.
void MakeCurrent(QTableView* table, const QModelIndex& target) {
    const QAbstractItemView::SelectionMode mode = table->selectionMode();
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setCurrentIndex(target);
    table->setSelectionMode(mode);
    table->scrollTo(target);
}

QString Plural(int n, const char* one, const char* many) {
    return QString::number(n) + " " + (n == 1 ? one : many);
}

} // namespace

GridKeys::GridKeys(QTableView* table, const QString& capacity)
    : QObject(table), table_(table), viewport_(table->viewport()), capacity_(capacity) {}

GridKeys* GridKeys::Attach(QTableView* table, const QString& capacity) {
    if (GridKeys* attached = Of(table)) {
        attached->capacity_ = capacity;
        return attached;
    }
    auto* keys = new GridKeys(table, capacity);
    keys->setObjectName("GridKeys");
    table->setSelectionMode(QAbstractItemView::ContiguousSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    table->setTabKeyNavigation(true);
    // A click on a selected cell would open its editor only after the
    // double-click time, and keys typed meanwhile would be lost; as in a
    // spreadsheet, typing, F2 or a double click edits.
    table->setEditTriggers(table->editTriggers() & ~QAbstractItemView::SelectedClicked);
    table->installEventFilter(keys);
    table->viewport()->installEventFilter(keys);
    connect(table->model(), &QAbstractItemModel::modelReset, keys,
            [keys] { keys->ForgetHistory(); });
    return keys;
}

GridKeys* GridKeys::Of(const QTableView* table) {
    return table ? table->findChild<GridKeys*>("GridKeys", Qt::FindDirectChildrenOnly) : nullptr;
}

void GridKeys::ForgetHistory(const QTableView* table) {
    if (GridKeys* keys = Of(table))
        keys->ForgetHistory();
}

bool GridKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_) {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Our keys belong to the table, not to a shortcut of the window.
            if (IsOwnKey(static_cast<QKeyEvent*>(event))) {
                event->accept();
                return true;
            }
            return false;
        case QEvent::KeyPress:
            return TableKey(static_cast<QKeyEvent*>(event));
        case QEvent::Hide:
            ForgetHistory();
            return false;
        default:
            return false;
        }
    }
    // The viewport is compared by the pointer taken at attach time: while the
    // table is being destroyed its children still send events here, and the
    // table is then no longer a table to ask.
    if (watched == viewport_) {
        // An editor opens as a child of the viewport.
        if (event->type() == QEvent::ChildAdded) {
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType())
                child->installEventFilter(this);
        }
        return false;
    }
    auto* editor = qobject_cast<QWidget*>(watched);
    if (!editor || editor->parentWidget() != viewport_)
        return false;
    if (event->type() == QEvent::Show) {
        // The delegate has put its own filter on the editor by now; ours must
        // see Enter and Tab first.
        editor->installEventFilter(this);
        return false;
    }
    if (event->type() == QEvent::KeyPress)
        return EditorKey(editor, static_cast<QKeyEvent*>(event));
    return false;
}

bool GridKeys::TableKey(QKeyEvent* key) {
    bool forward = true;
    if (key->matches(QKeySequence::Copy)) {
        Copy();
    } else if (key->matches(QKeySequence::Paste)) {
        Paste();
    } else if (key->matches(QKeySequence::Undo)) {
        Undo();
    } else if (key->key() == Qt::Key_Delete && Mods(key) == Qt::NoModifier) {
        ClearSelected();
    } else if (IsTab(key, forward)) {
        if (!MoveAcross(forward))
            LeaveTable(forward);
    } else if (IsEnter(key)) {
        MoveVertically(Mods(key) == Qt::ShiftModifier ? -1 : 1);
    } else {
        const QModelIndex current = table_->currentIndex();
        const bool typing = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                            !(Mods(key) & (Qt::ControlModifier | Qt::AltModifier));
        if (!typing || !current.isValid() || current.flags().testFlag(Qt::ItemIsEditable))
            return false;
        if (IsUserCell(table_, current)) {
            // A check box cell: Space is its delegate's; other text has no
            // place here and must not send the view searching for it.
            if (key->key() == Qt::Key_Space)
                return false;
            QApplication::beep();
            return true;
        }
        // Typed on a row number: the text goes to the row's first cell the user
        // may change, instead of searching the table for it.
        for (int c = 0; c < table_->model()->columnCount(); ++c) {
            const QModelIndex target = table_->model()->index(current.row(), c);
            if (!IsUserCell(table_, target))
                continue;
            MakeCurrent(table_, target);
            QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text(),
                            key->isAutoRepeat(), static_cast<ushort>(key->count()));
            QCoreApplication::sendEvent(table_, &again);
            break;
        }
    }
    return true;
}

bool GridKeys::EditorKey(QWidget* editor, QKeyEvent* key) {
    bool forward = true;
    if (IsEnter(key)) {
        CloseEditor(editor);
        MoveVertically(Mods(key) == Qt::ShiftModifier ? -1 : 1);
        return true;
    }
    if (IsTab(key, forward)) {
        CloseEditor(editor);
        if (!MoveAcross(forward))
            LeaveTable(forward);
        return true;
    }
    if (key->matches(QKeySequence::Paste)) {
        // A block of cells goes into the table, not as tabs and line breaks
        // into the one cell being typed; a single value is the editor's.
        const QString text = QGuiApplication::clipboard()->text();
        const CellBlock block = ParseCellBlock(text.toStdString());
        if (block.empty())
            return false;
        if (block.size() == 1 && block.front().size() == 1) {
            const QString value = QString::fromStdString(block.front().front());
            auto* line = qobject_cast<QLineEdit*>(editor);
            if (value == text || !line)
                return false;
            line->insert(value); // without the line break a spreadsheet adds
            return true;
        }
        CloseEditor(editor);
        Paste();
        return true;
    }
    return false;
}

void GridKeys::CloseEditor(QWidget* editor) {
    // What the delegate does on Enter, without its move to the next item.
    QMetaObject::invokeMethod(table_, "commitData", Qt::DirectConnection, Q_ARG(QWidget*, editor));
    QMetaObject::invokeMethod(
        table_, "closeEditor", Qt::DirectConnection, Q_ARG(QWidget*, editor),
        Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
    table_->setFocus(Qt::OtherFocusReason);
}

void GridKeys::MoveVertically(int delta) {
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid())
        return;
    const int row = std::clamp(current.row() + delta, 0, table_->model()->rowCount() - 1);
    MakeCurrent(table_, table_->model()->index(row, current.column()));
}

bool GridKeys::MoveAcross(bool forward) {
    const QAbstractItemModel* model = table_->model();
    const int columns = model->columnCount();
    const int cells = model->rowCount() * columns;
    const QModelIndex current = table_->currentIndex();
    int at =
        current.isValid() ? current.row() * columns + current.column() : (forward ? -1 : cells);
    for (at += forward ? 1 : -1; at >= 0 && at < cells; at += forward ? 1 : -1) {
        const QModelIndex target = model->index(at / columns, at % columns);
        if (IsUserCell(table_, target)) {
            MakeCurrent(table_, target);
            return true;
        }
    }
    return false;
}

void GridKeys::LeaveTable(bool forward) {
    QWidget* w = table_;
    for (;;) {
        w = forward ? w->nextInFocusChain() : w->previousInFocusChain();
        if (!w || w == table_)
            return;
        if (!table_->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisible() &&
            w->isEnabled())
            break;
    }
    w->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void GridKeys::Copy() const {
    QModelIndexList cells = table_->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && table_->currentIndex().isValid())
        cells << table_->currentIndex();
    if (cells.isEmpty())
        return;
    int top = cells.front().row(), bottom = top, left = cells.front().column(), right = left;
    for (const QModelIndex& i : cells) {
        top = std::min(top, i.row());
        bottom = std::max(bottom, i.row());
        left = std::min(left, i.column());
        right = std::max(right, i.column());
    }
    CellBlock block;
    for (int r = top; r <= bottom; ++r) {
        std::vector<std::string> row;
        for (int c = left; c <= right; ++c)
            if (!table_->isColumnHidden(c))
                row.push_back(CellText(table_, r, c).toStdString());
        block.push_back(std::move(row));
    }
    QGuiApplication::clipboard()->setText(QString::fromStdString(CellBlockText(block)));
}

void GridKeys::Paste() {
    PasteText(QGuiApplication::clipboard()->text());
}

void GridKeys::PasteText(const QString& text) {
    const CellBlock block = ParseCellBlock(text.toStdString());
    QModelIndex start = table_->currentIndex();
    const QModelIndexList selected = table_->selectionModel()->selectedIndexes();
    if (!selected.isEmpty())
        start = *std::min_element(selected.begin(), selected.end());
    if (block.empty() || !start.isValid())
        return;

    const QAbstractItemModel* model = table_->model();
    std::vector<int> columns; // the cells of the start row the user may change
    for (int c = start.column(); c < model->columnCount(); ++c)
        if (IsUserCell(table_, model->index(start.row(), c)))
            columns.push_back(c);
    const int rows = std::min<int>(static_cast<int>(block.size()), model->rowCount() - start.row());
    std::size_t widest = 0;
    Step step;
    for (int r = 0; r < static_cast<int>(block.size()); ++r) {
        widest = std::max(widest, block[static_cast<std::size_t>(r)].size());
        if (r >= rows)
            continue;
        const std::vector<std::string>& line = block[static_cast<std::size_t>(r)];
        for (std::size_t c = 0; c < line.size() && c < columns.size(); ++c) {
            const int row = start.row() + r;
            if (!IsUserCell(table_, model->index(row, columns[c])))
                continue;
            step.push_back({row, columns[c], CellText(table_, row, columns[c]),
                            QString::fromStdString(line[c])});
        }
    }
    Apply(step);
    if (rows > 0 && !columns.empty()) {
        const QModelIndex last =
            model->index(start.row() + rows - 1, columns[std::min(widest, columns.size()) - 1]);
        table_->selectionModel()->select(
            QItemSelection(model->index(start.row(), columns[0]), last),
            QItemSelectionModel::ClearAndSelect);
    }

    QStringList lost;
    if (const int rowsLeft = static_cast<int>(block.size()) - rows; rowsLeft > 0)
        lost << Plural(rowsLeft, "row", "rows") + " not pasted: " + capacity_;
    if (widest > columns.size() && !columns.empty()) {
        const QString lastTitle = model->headerData(columns.back(), Qt::Horizontal).toString();
        lost << Plural(static_cast<int>(widest - columns.size()), "column", "columns") +
                    " not pasted: \"" + lastTitle + "\" is the last column";
    }
    if (!lost.isEmpty())
        CurrentPrompts().Message(table_->window(), lost.join("\n"));
}

void GridKeys::ClearSelected() {
    Step step;
    for (const QModelIndex& i : table_->selectionModel()->selectedIndexes())
        if (IsUserCell(table_, i))
            step.push_back({i.row(), i.column(), CellText(table_, i.row(), i.column()), {}});
    Apply(step);
}

void GridKeys::Apply(Step step) {
    std::erase_if(step, [](const CellChange& c) { return c.before == c.after; });
    if (step.empty())
        return;
    for (const CellChange& c : step)
        table_->model()->setData(table_->model()->index(c.row, c.column), c.after, Qt::EditRole);
    history_.push_back(std::move(step));
    if (history_.size() > kHistoryDepth)
        history_.erase(history_.begin());
}

bool GridKeys::Undo() {
    if (history_.empty())
        return false;
    const Step step = std::move(history_.back());
    history_.pop_back();
    QItemSelection restored;
    for (const CellChange& c : step) {
        const QModelIndex index = table_->model()->index(c.row, c.column);
        // A cell typed over since keeps what the user typed last.
        if (CellText(table_, c.row, c.column) != c.after)
            continue;
        table_->model()->setData(index, c.before, Qt::EditRole);
        restored.select(index, index);
    }
    if (!restored.isEmpty()) {
        table_->selectionModel()->select(restored, QItemSelectionModel::ClearAndSelect);
        table_->scrollTo(restored.indexes().front());
    }
    return true;
}

void SelectRefusedCell(QTableView* table, int row, int column) {
    const QModelIndex cell = table->model()->index(row, column);
    if (!cell.isValid())
        return;
    MakeCurrent(table, cell);
    table->setFocus(Qt::OtherFocusReason);
}

} // namespace gw
