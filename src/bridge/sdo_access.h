#pragma once
// The SDO access tables of the CAN A to CAN B bridge: table A holds the
// virtual SDO objects defined on CAN A, table B those on CAN B, each mapped to
// a real object on the other bus. Kept in sdoaccess.xml.
#include "bridge/bridge_documents.h"
#include "bridge/csv_export.h"
#include "bridge/entry_table.h"
#include "bridge/sheet_import.h"

#include <string>
#include <vector>

namespace gw {

namespace sdoaccess {
inline constexpr const char* kSheetName = "sdo";
inline constexpr const char* kRoot = "sdo";
inline constexpr const char* kRow = "row";
inline constexpr const char* kConf = "conf";
inline constexpr const char* kMnemonico = "mnemonico";
// The text attributes of an entry, in document order, columns 2 to 8.
inline constexpr const char* kTextAttributes[] = {"IndexA",    "SubindexA", "devIDB",  "IndexB",
                                                  "SubindexB", "nbyteB",    kMnemonico};
inline constexpr int kEntryRows = 1500;
inline constexpr int kColumns = 9;
inline constexpr int kRwColumn = 1;
// The code: bit 0 the table, bit 4 the RW flag.
inline constexpr int kTableBit = 0x01;
inline constexpr int kRwBit = 0x10;
} // namespace sdoaccess

std::vector<std::string> SdoAccessTitles();

struct SdoAccessTables {
    EntryTable a{SdoAccessTitles(), sdoaccess::kEntryRows};
    EntryTable b{SdoAccessTitles(), sdoaccess::kEntryRows};

    bool operator==(const SdoAccessTables&) const = default;
};

// Empties both tables, then fills them from the document at `path` in
// document order ("conf" bit 0 picks the table). No file: empty tables.
BridgeLoad LoadSdoAccess(const std::string& path, SdoAccessTables& tables,
                         const ProgressHooks* progress = nullptr);

// Root "sdo", one "row" per filled entry (any cell with text, an RW of "0"
// alone does not count), table A then table B; "conf" is 16
// or 0 in table A and 17 or 1 in table B, by whether RW is exactly "1".
std::string SdoAccessDocumentText(const SdoAccessTables& tables);
void SaveSdoAccess(const std::string& path, const SdoAccessTables& tables);

// OK's check: the first cell of a filled entry that XML cannot hold.
std::optional<EntryCellError> FirstUnfitSdoAccessCell(const SdoAccessTables& tables);

// Import: the clearing step empties both tables; field 0 is the code, fields
// 1 to 7 fill columns 2 to 8. The returned importer refers to `tables`.
SheetImporter SdoAccessImporter(SdoAccessTables& tables);

// Export: every row of table A, title row included, then of table B.
std::vector<CsvLine> SdoAccessCsvLines(const SdoAccessTables& tables);

} // namespace gw
