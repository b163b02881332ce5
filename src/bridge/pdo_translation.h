#pragma once
// The PDO translation tables of the CAN A to CAN B bridge: the PDOs passed from
// CAN A to CAN B (table A) and back (table B), kept in rpdodef.xml.
#include "bridge/bridge_documents.h"
#include "bridge/csv_export.h"
#include "bridge/entry_table.h"
#include "bridge/sheet_import.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gw {

namespace rpdodef {
inline constexpr const char* kSheetName = "rpdodef";
inline constexpr const char* kRoot = "rpdodef";
inline constexpr const char* kRow = "row";
inline constexpr const char* kCobId = "cobid";
inline constexpr const char* kIdDevOrig = "id_dev_orig";
inline constexpr const char* kEnBypass = "en_bypass";
inline constexpr const char* kPosind = "posind";
inline constexpr const char* kNTpdo = "n_tpdo";
inline constexpr int kEntryRows = 10;
inline constexpr int kColumns = 6;
inline constexpr int kCobIdColumn = 1;
inline constexpr int kFlagColumn = 3;
// Rows are ordered by cobid up to this value; larger ones follow in row order.
inline constexpr std::int32_t kCobIdCeiling = 0x999999;
} // namespace rpdodef

std::vector<std::string> PdoTranslationTitles();

struct PdoTranslationTables {
    EntryTable a{PdoTranslationTitles(), rpdodef::kEntryRows};
    EntryTable b{PdoTranslationTitles(), rpdodef::kEntryRows};

    bool operator==(const PdoTranslationTables&) const = default;
};

// Empties both tables, then fills them from the document: "en_bypass" bit 1
// set is table A, clear table B; bit 0 the flag. fileFound false: no file.
BridgeLoad LoadPdoTranslation(const std::string& path, PdoTranslationTables& tables,
                              const ProgressHooks* progress = nullptr);

// The rows a save keeps, in the order it writes them: the rows before the
// first empty cobid, by cobid (equal cobids from the last such row to the
// first; cobids above the ceiling after all others, in row order). Throws
// ConversionError for a cobid that is not an integer.
std::vector<int> PdoRowsToSave(const EntryTable& table);

// Root "rpdodef", one "row" per saved row, table A then table B, with
// "en_bypass" 3 or 2 in table A and 1 or 0 in table B. Throws ConversionError
// (nothing is written) for a cobid that is not an integer.
std::string PdoTranslationDocumentText(const PdoTranslationTables& tables);
void SavePdoTranslation(const std::string& path, const PdoTranslationTables& tables);

// OK's check: the first cell of the rows a save keeps that XML cannot hold.
// Throws ConversionError as PdoRowsToSave does.
std::optional<EntryCellError> FirstUnfitPdoCell(const PdoTranslationTables& tables);

// Import: field 2 is the code, bit 1 clear for table A (the opposite of the
// document), bit 0 the flag; fields 0, 1, 3, 4 fill columns 1, 2, 4, 5.
SheetImporter PdoTranslationImporter(PdoTranslationTables& tables);

// Export: every row of table A, title row included, with the codes "01" and
// "00", then of table B with "11" and "10".
std::vector<CsvLine> PdoTranslationCsvLines(const PdoTranslationTables& tables);

} // namespace gw
