#include "bridge/entry_table.h"

#include "xml/xml_text.h"

#include <memory>
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

std::optional<EntryCellError> FirstUnfitCell(const EntryTable& table, int tableIndex,
                                             const std::vector<int>& rows) {
    for (const int row : rows)
        for (int c = 1; c < table.ColumnCount(); ++c)
            if (const auto unfit = FindUnfitXmlChar(table.Cell(c, row)))
                return EntryCellError{tableIndex, row, c,
                                      "Error row " + table.Cell(0, row) + "!! " + table.Cell(c, 0) +
                                          ": " + DescribeUnfitXmlChar(*unfit) +
                                          " cannot be stored in an XML document. "};
    return std::nullopt;
}

SheetImporter
TwoTableImporter(EntryTable& a, EntryTable& b,
                 std::function<RecordFate(const SheetRecord&, RowFiller& a, RowFiller& b)> place) {
    struct Fill {
        RowFiller a, b;
    };
    auto fill = std::make_shared<Fill>(Fill{RowFiller(a), RowFiller(b)});
    SheetImporter importer;
    importer.clear = [&a, &b, fill] {
        a.ClearEntries();
        b.ClearEntries();
        *fill = Fill{RowFiller(a), RowFiller(b)};
    };
    importer.place = [fill, place = std::move(place)](const SheetRecord& record) {
        return place(record, fill->a, fill->b);
    };
    return importer;
}

} // namespace gw
