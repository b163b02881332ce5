#pragma once
// The Import of every bridge editor: one sheet of a workbook, record by record,
// into the editor's tables. The editor supplies its sheet name, its clearing
// step and a record handler; the sheet's first row is the column names.
#include "bridge/sheet_cells.h"
#include "common/progress.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gw {

// A record's fields by position; an empty cell is the empty text.
using SheetRecord = std::vector<std::string>;

// What became of a record.
enum class RecordFate {
    Placed,  // an entry of a table or list
    Dropped, // the editor's rule places it nowhere
    LeftOut, // its table is full
};

// A record that repeats a table's column titles (the title line of an export):
// the texts at the given positions; the other fields may hold anything.
struct TitleRecord {
    std::vector<std::pair<int, std::string>> fields;
    bool Matches(const SheetRecord& record) const;
};

struct SheetImporter {
    std::string sheetName; // the editor's lower-case SheetName
    int fieldCount = 0;    // fields 0 to fieldCount - 1 are handed over
    std::vector<TitleRecord> titles;
    std::function<void()> clear;      // runs once the workbook has been read
    std::function<void()> sheetFound; // optional: runs when the sheet is there
    // Places one record; an exception ends the import at that record.
    std::function<RecordFate(const SheetRecord&)> place;
};

// Where and why an import stopped.
struct ImportStop {
    int record = 0;   // 1-based, counting the records after the title row
    int sheetRow = 0; // 1-based row of the sheet, as a spreadsheet numbers it
    std::string reason;
};

struct ImportReport {
    std::string sheetName;
    bool sheetFound = false;
    int placed = 0;
    int dropped = 0;
    int leftOut = 0;
    int titlesSkipped = 0;
    std::optional<ImportStop> stop;

    // What the user is told: where the import stopped, and how many records
    // did not fit. Empty when there is nothing to say.
    std::string Message() const;
};

// Reads the workbook at `path`, then clears and fills through `importer`.
// A workbook that cannot be read throws WorkbookError before anything is
// cleared. A missing sheet leaves what the clearing step left. An error in a
// record ends the import there; what was placed before stays. With
// `progress`, the reading and the placing report, and a cancel ends either
// with WorkCancelled: what was placed by then stays, so an importer of the
// window's state works on a copy.
ImportReport ImportSheet(const std::string& path, const SheetImporter& importer,
                         const ProgressHooks* progress = nullptr);

// The same over cells already read: row 0 is the column names. The clearing
// step runs first.
ImportReport ImportRecords(const SheetCells& cells, const SheetImporter& importer,
                           const ProgressHooks* progress = nullptr);

// The message of a stopped import.
std::string ImportStopMessage(const std::string& sheetName, const ImportStop& stop);

} // namespace gw
