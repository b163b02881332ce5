#include "bridge/bridge_tables.h"

#include "bridge/bridge_xml.h"
#include "bridge/pdo_translation.h"
#include "bridge/sdo_access.h"
#include "common/errors.h"
#include "common/file_io.h"

namespace gw {

namespace {

// The editors whose tables are their whole state: load, import, save, export
// and check follow from their four core functions.
template <class Tables> struct TableEditor {
    BridgeLoad (*load)(const std::string&, Tables&);
    SheetImporter (*importer)(Tables&);
    std::string (*documentText)(const Tables&);
    std::vector<CsvLine> (*lines)(const Tables&);
};

template <class Tables, const TableEditor<Tables>& E, const char* File>
ImportReport ImportAndSave(const std::string& projectDir, const std::string& workbook) {
    const std::string path = JoinPath(projectDir, File);
    Tables tables;
    // The show: an unreadable document is replaced, as OK would after asking.
    E.load(path, tables);
    const ImportReport report = ImportSheet(workbook, E.importer(tables));
    if (!report.stop)
        SaveDocumentText(path, E.documentText(tables));
    return report;
}

template <class Tables, const TableEditor<Tables>& E, const char* File>
std::vector<CsvLine> ExportLines(const std::string& projectDir) {
    Tables tables;
    const BridgeLoad loaded = E.load(JoinPath(projectDir, File), tables);
    if (loaded.error)
        throw FileError(std::string(File) + ": " + *loaded.error);
    return E.lines(tables);
}

template <class Tables, const TableEditor<Tables>& E, const char* File>
std::vector<BridgeFinding> Check(const std::string& projectDir) {
    Tables tables;
    const BridgeLoad loaded = E.load(JoinPath(projectDir, File), tables);
    std::vector<BridgeFinding> findings;
    if (loaded.error)
        findings.push_back({File, loaded.errorEntry, 0, *loaded.error});
    if (loaded.leftOut > 0)
        findings.push_back({File, 0, 0, EntriesLeftOutMessage(File, loaded.leftOut)});
    try {
        E.documentText(tables);
    } catch (const std::exception& e) {
        findings.push_back({File, 0, 0, std::string("OK would refuse: ") + e.what()});
    }
    return findings;
}

constexpr TableEditor<SdoAccessTables> kSdoAccess{LoadSdoAccess, SdoAccessImporter,
                                                  SdoAccessDocumentText, SdoAccessCsvLines};
constexpr TableEditor<PdoTranslationTables> kPdoTranslation{
    LoadPdoTranslation, PdoTranslationImporter, PdoTranslationDocumentText, PdoTranslationCsvLines};

template <class Tables, const TableEditor<Tables>& E, const char* File>
constexpr BridgeTable TableEntry(const char* name, const char* sheetName) {
    return {name,
            File,
            sheetName,
            ImportAndSave<Tables, E, File>,
            ExportLines<Tables, E, File>,
            Check<Tables, E, File>};
}

const BridgeTable kTables[] = {
    TableEntry<SdoAccessTables, kSdoAccess, kSdoAccessFile>("sdoaccess", sdoaccess::kSheetName),
    TableEntry<PdoTranslationTables, kPdoTranslation, kRpdoDefFile>("pdo", rpdodef::kSheetName),
};

} // namespace

std::span<const BridgeTable> BridgeTables() {
    return kTables;
}

const BridgeTable* FindBridgeTable(std::string_view name) {
    for (const BridgeTable& t : kTables)
        if (name == t.name)
            return &t;
    return nullptr;
}

std::string BridgeTableNames() {
    std::string names;
    for (const BridgeTable& t : kTables)
        names += (names.empty() ? "" : ", ") + std::string(t.name);
    return names;
}

} // namespace gw
