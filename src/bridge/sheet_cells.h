#pragma once
// One sheet of a workbook as text cells, and the rules every workbook reader
// shares: how a sheet is found by name and how a number becomes text.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

// A cell's text; nullopt for an empty cell (the Null of a database field).
using SheetCell = std::optional<std::string>;

// The most cells a sheet read is given (its used range, rows times columns):
// a workbook naming one cell far out would otherwise ask for gigabytes.
inline constexpr std::size_t kMaxSheetCells = std::size_t{1} << 22;

// Row 0 is the sheet's first row (the column names); every row has
// Columns() cells, the width of the sheet's used range. Growing past
// kMaxSheetCells throws std::length_error.
class SheetCells {
public:
    SheetCells() = default;
    SheetCells(int rows, int columns);

    int Rows() const { return rows_; }
    int Columns() const { return columns_; }
    const SheetCell& At(int row, int column) const {
        return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                      static_cast<std::size_t>(column)];
    }
    // Grows the sheet so that (row, column) exists, and sets that cell.
    void Set(int row, int column, SheetCell text);

private:
    int rows_ = 0;
    int columns_ = 0;
    std::vector<SheetCell> cells_; // row-major
};

// Sheets are listed as their name followed by "$" and compared in lower case
// with the wanted name followed by "$", so "SDO" is found as "sdo".
std::string ListedSheetName(std::string_view sheetName);
bool SheetMatches(std::string_view sheetName, std::string_view wantedName);

// The shortest text of a number: 16, not 16.0; 0.5; 1000000, not 1e+06.
std::string NumberCellText(double value);

} // namespace gw
