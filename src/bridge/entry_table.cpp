#include "bridge/entry_table.h"

#include <stdexcept>

namespace gw {

EntryTable::EntryTable(std::vector<std::string> titles, int entryRows)
    : entryRows_(entryRows), columns_(static_cast<int>(titles.size())),
      cells_(static_cast<std::size_t>((entryRows + 1) * columns_)) {
    for (int c = 0; c < columns_; ++c)
        SetCell(c, 0, std::move(titles[static_cast<std::size_t>(c)]));
    for (int r = 1; r <= entryRows_; ++r)
        SetCell(0, r, std::to_string(r - 1));
}

const std::string& EntryTable::Cell(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row > entryRows_)
        throw std::out_of_range("table cell out of range");
    return cells_[static_cast<std::size_t>(row * columns_ + column)];
}

void EntryTable::SetCell(int column, int row, std::string text) {
    if (column < 0 || column >= columns_ || row < 0 || row > entryRows_)
        throw std::out_of_range("table cell out of range");
    cells_[static_cast<std::size_t>(row * columns_ + column)] = std::move(text);
}

void EntryTable::ClearEntries() {
    for (int r = 1; r <= entryRows_; ++r)
        for (int c = 1; c < columns_; ++c)
            cells_[static_cast<std::size_t>(r * columns_ + c)].clear();
}

bool EntryTable::RowFilled(int row) const {
    for (int c = 1; c < columns_; ++c)
        if (!Cell(c, row).empty())
            return true;
    return false;
}

std::vector<std::string> EntryTable::RowCells(int row) const {
    std::vector<std::string> cells;
    for (int c = 1; c < columns_; ++c)
        cells.push_back(Cell(c, row));
    return cells;
}

int RowFiller::Next() {
    if (next_ > table_->EntryRows()) {
        ++leftOut_;
        return 0;
    }
    return next_++;
}

} // namespace gw
