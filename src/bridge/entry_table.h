#pragma once
// The text grid of a bridge table editor: row 0 holds the column titles,
// rows 1 to n the entries, column 0 the entry number counted from 0.
#include "bridge/sheet_import.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gw {

class EntryTable {
public:
    EntryTable(std::vector<std::string> titles, int entryRows);

    int EntryRows() const { return entryRows_; }
    int RowCount() const { return entryRows_ + 1; }
    int ColumnCount() const { return columns_; }

    // Addressed column first, row second; throws std::out_of_range outside.
    const std::string& Cell(int column, int row) const;
    void SetCell(int column, int row, std::string text);

    // Every data cell of the entry rows emptied; titles and numbers stay.
    void ClearEntries();
    // True when any data cell of the row holds text.
    bool RowFilled(int row) const;
    // The data cells of a row (columns 1 to the last).
    std::vector<std::string> RowCells(int row) const;

    bool operator==(const EntryTable&) const = default;

private:
    int entryRows_;
    int columns_;
    std::vector<std::string> cells_; // row-major
};

// Places entries one after another from row 1; counts what does not fit.
class RowFiller {
public:
    explicit RowFiller(EntryTable& table) : table_(&table) {}
    // The next free row, or 0 when the table is full (the entry is counted).
    int Next();
    int LeftOut() const { return leftOut_; }

private:
    EntryTable* table_;
    int next_ = 1;
    int leftOut_ = 0;
};

// A cell OK refuses: the table (0 for A, 1 for B), its row and column in the
// grid, and the message.
struct EntryCellError {
    int table = 0;
    int row = 0;
    int column = 0;
    std::string message;
};

// The first cell of `rows` (row order, then column order) whose text an XML
// document cannot hold; the message names the row by its number in column 0
// and the column by its title.
std::optional<EntryCellError> FirstUnfitCell(const EntryTable& table, int tableIndex,
                                             const std::vector<int>& rows);

// The importer of an editor with two tables: the clearing step empties both,
// and `place` puts a record through the filler of its table. The importer
// refers to `a` and `b`; the caller sets its sheet name, fields and titles.
SheetImporter
TwoTableImporter(EntryTable& a, EntryTable& b,
                 std::function<RecordFate(const SheetRecord&, RowFiller& a, RowFiller& b)> place);

} // namespace gw
