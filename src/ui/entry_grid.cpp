#include "ui/entry_grid.h"

#include "ui/frame_table.h"
#include "ui/grid_keys.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTabWidget>

namespace gw {

namespace {

// Paints a column's background without an item per cell.
class TintDelegate : public QStyledItemDelegate {
public:
    TintDelegate(QColor colour, QObject* parent) : QStyledItemDelegate(parent), colour_(colour) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!(option->state & QStyle::State_Selected))
            option->backgroundBrush = colour_;
    }

private:
    QColor colour_;
};

} // namespace

void SetupEntryGrid(QTableWidget* grid, const EntryTable& titles, const std::vector<int>& tinted) {
    const int columns = titles.ColumnCount();
    grid->setColumnCount(columns);
    grid->setRowCount(titles.EntryRows());
    grid->setFont(HouseFont(8, false, "Tahoma"));
    QStringList headers;
    for (int c = 0; c < columns; ++c)
        headers << QString::fromStdString(titles.Cell(c, 0));
    grid->setHorizontalHeaderLabels(headers);
    QHeaderView* top = grid->horizontalHeader();
    top->setFont(HouseFont(8, true, "Tahoma"));
    top->setHighlightSections(false);
    top->setSectionResizeMode(QHeaderView::Interactive);
    top->setMinimumSectionSize(8);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    for (int c : tinted)
        grid->setItemDelegateForColumn(c, new TintDelegate(kLightCyan, grid));
    for (int r = 1; r <= titles.EntryRows(); ++r) {
        auto* number = new QTableWidgetItem(QString::fromStdString(titles.Cell(0, r)));
        number->setFlags(Qt::ItemIsEnabled);
        number->setBackground(kFixedCellColour);
        grid->setItem(r - 1, 0, number);
    }
    grid->setCurrentCell(0, 1);
    GridKeys::Attach(grid, QString("the table holds %1 entries").arg(titles.EntryRows()));
}

void EntriesToGrid(const EntryTable& table, QTableWidget* grid) {
    grid->setUpdatesEnabled(false);
    for (int r = 1; r <= table.EntryRows(); ++r) {
        for (int c = 1; c < table.ColumnCount(); ++c) {
            const std::string& text = table.Cell(c, r);
            QTableWidgetItem* item = grid->item(r - 1, c);
            if (item)
                item->setText(QString::fromStdString(text));
            else if (!text.empty())
                grid->setItem(r - 1, c, new QTableWidgetItem(QString::fromStdString(text)));
        }
    }
    grid->setUpdatesEnabled(true);
    GridKeys::ForgetHistory(grid);
}

void GridToEntries(const QTableWidget* grid, EntryTable& table) {
    for (int r = 1; r <= table.EntryRows(); ++r) {
        for (int c = 1; c < table.ColumnCount(); ++c) {
            const QTableWidgetItem* item = grid->item(r - 1, c);
            table.SetCell(c, r, item ? item->text().toStdString() : std::string());
        }
    }
}

void ShowRefusedCell(QWidget* parent, const EntryCellError& error, QTabWidget* tabs,
                     QTableWidget* a, QTableWidget* b) {
    CurrentPrompts().Error(parent, QString::fromStdString(error.message));
    QTableWidget* grid = error.table == 0 ? a : b;
    tabs->setCurrentIndex(error.table);
    SelectRefusedCell(grid, error.row - 1, error.column);
}

} // namespace gw
