#pragma once
// The bridge tables the command line imports, exports and checks, one entry
// each: its name on the command line, its document and sheet, and what its
// editor's Import followed by OK, its Export and its show would do.
#include "bridge/csv_export.h"
#include "bridge/sheet_import.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

// What a check found: where, and the message.
struct BridgeFinding {
    std::string document;
    int row = 0; // the document's entry, from 1; 0 for the whole document
    int column = 0;
    std::string message;
};

struct BridgeTable {
    const char* name;         // on the command line
    const char* documentFile; // in the project folder
    const char* sheetName;    // the sheet of the import, the base name of the export
    // The editor's show, Import of `workbook` and OK: the document is written
    // unless the import stopped on an error. Throws WorkbookError.
    ImportReport (*importAndSave)(const std::string& projectDir, const std::string& workbook);
    // The editor's Export of the saved document. Throws when it cannot be read.
    std::vector<CsvLine> (*exportLines)(const std::string& projectDir);
    // What the editor would report on show, and what would stop its OK.
    std::vector<BridgeFinding> (*check)(const std::string& projectDir);
    // What a user of the command line should know of the table, or nullptr.
    const char* note = nullptr;
};

std::span<const BridgeTable> BridgeTables();
const BridgeTable* FindBridgeTable(std::string_view name);

// "sdoaccess, pdo": the names, for usage texts.
std::string BridgeTableNames();
// The tables' notes, one paragraph each behind the table's name; empty when none has one.
std::string BridgeTableNotes();

} // namespace gw
