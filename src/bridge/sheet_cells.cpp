#include "bridge/sheet_cells.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace gw {

namespace {

std::size_t CellCount(int rows, int columns) {
    const std::size_t n = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    if (n > kMaxSheetCells)
        throw std::length_error("the sheet has more than " + std::to_string(kMaxSheetCells) +
                                " cells");
    return n;
}

} // namespace

SheetCells::SheetCells(int rows, int columns)
    : rows_(rows), columns_(columns), cells_(CellCount(rows, columns)) {}

void SheetCells::Set(int row, int column, SheetCell text) {
    if (row < 0 || column < 0)
        return;
    if (column >= columns_) {
        // Wider: every row gets the new columns.
        const int wider = column + 1;
        std::vector<SheetCell> grown(CellCount(rows_, wider));
        for (std::size_t r = 0; r < static_cast<std::size_t>(rows_); ++r)
            for (std::size_t c = 0; c < static_cast<std::size_t>(columns_); ++c)
                grown[r * static_cast<std::size_t>(wider) + c] =
                    std::move(cells_[r * static_cast<std::size_t>(columns_) + c]);
        cells_ = std::move(grown);
        columns_ = wider;
    }
    if (row >= rows_) {
        cells_.resize(CellCount(row + 1, columns_));
        rows_ = row + 1;
    }
    cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
           static_cast<std::size_t>(column)] = std::move(text);
}

std::string ListedSheetName(std::string_view sheetName) {
    return std::string(sheetName) + "$";
}

bool SheetMatches(std::string_view sheetName, std::string_view wantedName) {
    std::string listed = ListedSheetName(sheetName);
    for (char& c : listed)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return listed == ListedSheetName(wantedName);
}

std::string NumberCellText(double value) {
    // Whole numbers as integers: the shortest form of 1000000 would be 1e+06,
    // which is no integer text for the fields that read it.
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        const auto whole = static_cast<std::int64_t>(value);
        return std::to_string(whole);
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace gw
