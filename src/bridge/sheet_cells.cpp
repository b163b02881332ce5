#include "bridge/sheet_cells.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace gw {

void SheetCells::Set(int row, int column, std::string text) {
    if (row < 0 || column < 0)
        return;
    if (column >= columns) {
        columns = column + 1;
        for (auto& r : rows)
            r.resize(static_cast<std::size_t>(columns));
    }
    if (static_cast<std::size_t>(row) >= rows.size())
        rows.resize(static_cast<std::size_t>(row) + 1,
                    std::vector<SheetCell>(static_cast<std::size_t>(columns)));
    rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = std::move(text);
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
