#pragma once
// One sheet of a workbook as text cells, and the rules every workbook reader
// shares: how a sheet is found by name and how a number becomes text.
#include <cstdint>
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
// Columns() cells, the width of the sheet's used range. The texts are kept
// one after the other in one buffer, a cell being where its text lies: a big
// sheet holds millions of cells, most of a few characters. Growing past
// kMaxSheetCells throws std::length_error.
class SheetCells {
public:
    SheetCells() = default;
    SheetCells(int rows, int columns);

    int Rows() const { return rows_; }
    int Columns() const { return columns_; }
    // The cell's text, valid until the next Set; nullopt for an empty cell.
    std::optional<std::string_view> Text(int row, int column) const {
        const Span& s = spans_[Index(row, column)];
        if (s.size == kEmpty)
            return std::nullopt;
        return std::string_view(texts_.data() + s.offset, s.size);
    }
    SheetCell At(int row, int column) const {
        const auto text = Text(row, column);
        return text ? SheetCell(std::string(*text)) : std::nullopt;
    }
    // Grows the sheet so that (row, column) exists, and sets that cell.
    void Set(int row, int column, const SheetCell& text);
    // Grows the sheet so that (row, column) exists, and gives it the text of
    // the existing cell (fromRow, fromColumn) without taking room of its own:
    // a workbook may repeat one cell a million times in a few bytes.
    void Repeat(int row, int column, int fromRow, int fromColumn);

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t size = kEmpty;
    };
    // The span of (row, column), which must not be negative, the sheet grown to hold it.
    Span& Grown(int row, int column);
    std::size_t Index(int row, int column) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(column);
    }

    int rows_ = 0;
    int columns_ = 0;
    std::vector<Span> spans_; // row-major
    std::string texts_;
};

// Sheets are listed as their name followed by "$" and compared in lower case
// with the wanted name followed by "$", so "SDO" is found as "sdo".
std::string ListedSheetName(std::string_view sheetName);
bool SheetMatches(std::string_view sheetName, std::string_view wantedName);

// The shortest text of a number: 16, not 16.0; 0.5; 1000000, not 1e+06.
std::string NumberCellText(double value);

} // namespace gw
