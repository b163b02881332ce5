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
    : rows_(rows), columns_(columns), spans_(CellCount(rows, columns)) {}

SheetCells::Span& SheetCells::Grown(int row, int column) {
    if (column >= columns_) {
        // Wider: every row gets the new columns.
        const int wider = column + 1;
        std::vector<Span> grown(CellCount(rows_, wider));
        for (int r = 0; r < rows_; ++r)
            for (int c = 0; c < columns_; ++c)
                grown[static_cast<std::size_t>(r) * static_cast<std::size_t>(wider) +
                      static_cast<std::size_t>(c)] = spans_[Index(r, c)];
        spans_ = std::move(grown);
        columns_ = wider;
    }
    if (row >= rows_) {
        spans_.resize(CellCount(row + 1, columns_));
        rows_ = row + 1;
    }
    return spans_[Index(row, column)];
}

void SheetCells::Set(int row, int column, const SheetCell& text) {
    if (row < 0 || column < 0)
        return;
    Span& span = Grown(row, column);
    if (!text) {
        span = Span{};
        return;
    }
    // A text set again takes new room; the old stays unused.
    if (texts_.size() + text->size() >= kEmpty)
        throw std::length_error("the sheet holds more text than can be read");
    span.offset = static_cast<std::uint32_t>(texts_.size());
    span.size = static_cast<std::uint32_t>(text->size());
    texts_ += *text;
}

void SheetCells::Repeat(int row, int column, int fromRow, int fromColumn) {
    if (row < 0 || column < 0 || fromRow < 0 || fromColumn < 0 || fromRow >= rows_ ||
        fromColumn >= columns_)
        return;
    const Span from = spans_[Index(fromRow, fromColumn)]; // growing moves the spans
    Grown(row, column) = from;
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
