#include "bridge/bridge_tables.h"

#include "bridge/bridge_xml.h"
#include "bridge/emcy_def.h"
#include "bridge/emcy_word.h"
#include "bridge/pdo_translation.h"
#include "bridge/sdo_access.h"
#include "bridge/stored_pdo.h"
#include "common/errors.h"
#include "common/file_io.h"

namespace gw {

namespace {

// The editors whose tables are their whole state: load, import, save, export
// and check follow from their four core functions.
template <class Tables> struct TableEditor {
    BridgeLoad (*load)(const std::string&, Tables&, const ProgressHooks*);
    SheetImporter (*importer)(Tables&);
    std::string (*documentText)(const Tables&);
    std::vector<CsvLine> (*lines)(const Tables&);
};

template <class Tables, const TableEditor<Tables>& E, const char* File>
ImportReport ImportAndSave(const std::string& projectDir, const std::string& workbook) {
    const std::string path = JoinPath(projectDir, File);
    Tables tables;
    // The show: an unreadable document is replaced, as OK would after asking.
    E.load(path, tables, nullptr);
    const ImportReport report = ImportSheet(workbook, E.importer(tables));
    if (!report.stop)
        SaveDocumentText(path, E.documentText(tables));
    return report;
}

template <class Tables, const TableEditor<Tables>& E, const char* File>
std::vector<CsvLine> ExportLines(const std::string& projectDir) {
    Tables tables;
    const BridgeLoad loaded = E.load(JoinPath(projectDir, File), tables, nullptr);
    if (loaded.error)
        throw FileError(std::string(File) + ": " + *loaded.error);
    return E.lines(tables);
}

template <class Tables, const TableEditor<Tables>& E, const char* File>
std::vector<BridgeFinding> Check(const std::string& projectDir) {
    Tables tables;
    const BridgeLoad loaded = E.load(JoinPath(projectDir, File), tables, nullptr);
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

constexpr TableEditor<EmcyLists> kEmcy{LoadEmcyDefs, EmcyDefImporter, EmcyDefDocumentText,
                                       EmcyDefCsvLines};
constexpr TableEditor<EmcyWords> kEmcyWord{LoadEmcyWords, EmcyWordImporter, EmcyWordDocumentText,
                                           EmcyWordCsvLines};

template <class Tables, const TableEditor<Tables>& E, const char* File>
constexpr BridgeTable TableEntry(const char* name, const char* sheetName,
                                 const char* note = nullptr) {
    return {name,
            File,
            sheetName,
            ImportAndSave<Tables, E, File>,
            ExportLines<Tables, E, File>,
            Check<Tables, E, File>,
            note};
}

// The stored PDO entries hang on the PDOs of rpdodef.xml and are checked
// against the SDO access entries, so their editor reads three documents.
StoredPdoLoad LoadStoredPdoProject(const std::string& projectDir, StoredPdos& model) {
    return LoadStoredPdos({JoinPath(projectDir, kSdoAccessFile), JoinPath(projectDir, kRpdoDefFile),
                           JoinPath(projectDir, kSdoPdoFile)},
                          model);
}

ImportReport ImportAndSaveStoredPdos(const std::string& projectDir, const std::string& workbook) {
    StoredPdos model;
    LoadStoredPdoProject(projectDir, model);
    const ImportReport report = ImportSheet(workbook, StoredPdoImporter(model));
    if (!report.stop)
        SaveDocumentText(JoinPath(projectDir, kSdoPdoFile), StoredPdoDocumentText(model));
    return report;
}

std::vector<CsvLine> StoredPdoExportLines(const std::string& projectDir) {
    StoredPdos model;
    const StoredPdoLoad loaded = LoadStoredPdoProject(projectDir, model);
    // Without their PDOs the entries would be left out of the file.
    if (loaded.pdos.error)
        throw FileError(std::string(kRpdoDefFile) + ": " + *loaded.pdos.error);
    if (loaded.entries.error)
        throw FileError(std::string(kSdoPdoFile) + ": " + *loaded.entries.error);
    return StoredPdoCsvLines(model);
}

std::vector<BridgeFinding> CheckStoredPdoProject(const std::string& projectDir) {
    StoredPdos model;
    const StoredPdoLoad loaded = LoadStoredPdoProject(projectDir, model);
    std::vector<BridgeFinding> findings;
    if (loaded.entries.error)
        findings.push_back({kSdoPdoFile, loaded.entries.errorEntry, 0, *loaded.entries.error});
    for (int row : loaded.dropped)
        findings.push_back({kSdoPdoFile, row, 0,
                            "entry " + std::to_string(row) + ": its PDO is not listed in " +
                                kRpdoDefFile + "; the editor drops it"});
    for (const StoredPdoFinding& f : CheckStoredEntries(model))
        findings.push_back({kSdoPdoFile, 0, 0, f.message});
    try {
        StoredPdoDocumentText(model);
    } catch (const std::exception& e) {
        findings.push_back({kSdoPdoFile, 0, 0, std::string("OK would refuse: ") + e.what()});
    }
    return findings;
}

const BridgeTable kTables[] = {
    TableEntry<SdoAccessTables, kSdoAccess, kSdoAccessFile>("sdoaccess", sdoaccess::kSheetName),
    TableEntry<PdoTranslationTables, kPdoTranslation, kRpdoDefFile>("pdo", rpdodef::kSheetName),
    {"infopdo", kSdoPdoFile, sdopdo::kSheetName, ImportAndSaveStoredPdos, StoredPdoExportLines,
     CheckStoredPdoProject},
    TableEntry<EmcyLists, kEmcy, kEmcyDefFile>("emcy", emcydef::kSheetName),
    TableEntry<EmcyWords, kEmcyWord, kEmcyWordFile>(
        "emcyword", emcyword::kSheetName,
        "The export writes a word's fields as index_addrm, subindex, devid, the tab\n"
        "flag (0 CanA, 1 CanB), then bit0_b0, bit0_b1, bit0_poscomp to bit15; the\n"
        "import reads index_addrm, subindex, the tab flag, devid, then the bits, as\n"
        "the document stores them. A sheet made from an export must swap its third\n"
        "and fourth columns before it is imported."),
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

std::string BridgeTableNotes() {
    std::string notes;
    for (const BridgeTable& t : kTables)
        if (t.note)
            notes += "\n" + std::string(t.name) + ": " + t.note + "\n";
    return notes;
}

std::string BridgeTableNames() {
    std::string names;
    for (const BridgeTable& t : kTables)
        names += (names.empty() ? "" : ", ") + std::string(t.name);
    return names;
}

} // namespace gw
