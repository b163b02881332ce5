#include "bridge/pdo_translation.h"

#include "bridge/bridge_xml.h"
#include "common/parse_int.h"
#include "xml/xml_document.h"

#include <algorithm>
#include <memory>

namespace gw {

using namespace rpdodef;

std::vector<std::string> PdoTranslationTitles() {
    return {"N", kCobId, kIdDevOrig, kEnBypass, kPosind, kNTpdo};
}

namespace {

// Columns 1, 2, 4, 5 and the attributes or fields that fill them.
constexpr int kTextColumns[] = {1, 2, 4, 5};
constexpr const char* kTextAttributes[] = {kCobId, kIdDevOrig, kPosind, kNTpdo};
constexpr int kTextFields[] = {0, 1, 3, 4};

void FillRow(EntryTable& table, int row, const std::string (&texts)[4], bool flag) {
    for (int i = 0; i < 4; ++i)
        table.SetCell(kTextColumns[i], row, texts[i]);
    table.SetCell(kFlagColumn, row, flag ? "1" : "0");
}

bool FlagSet(const EntryTable& table, int row) {
    return table.Cell(kFlagColumn, row) == "1";
}

} // namespace

BridgeLoad LoadPdoTranslation(const std::string& path, PdoTranslationTables& tables,
                              const ProgressHooks* progress) {
    tables.a.ClearEntries();
    tables.b.ClearEntries();
    RowFiller fillA(tables.a);
    RowFiller fillB(tables.b);
    BridgeLoad result = ReadEntries(
        path,
        [&](pugi::xml_node n) {
            const std::int32_t code = ParseIntText(RequiredAttribute(n, kEnBypass));
            std::string texts[4];
            for (int i = 0; i < 4; ++i)
                texts[i] = RequiredAttribute(n, kTextAttributes[i]);
            const bool tableA = (code & 0x02) != 0;
            if (const int row = (tableA ? fillA : fillB).Next())
                FillRow(tableA ? tables.a : tables.b, row, texts, (code & 0x01) != 0);
        },
        progress);
    result.leftOut = fillA.LeftOut() + fillB.LeftOut();
    return result;
}

std::vector<int> PdoRowsToSave(const EntryTable& table) {
    struct Row {
        int row;
        std::int32_t cobid;
    };
    std::vector<Row> ordered;
    std::vector<int> above;
    for (int row = 1; row <= table.EntryRows(); ++row) {
        const std::string& cobid = table.Cell(kCobIdColumn, row);
        if (cobid.empty())
            break;
        const std::int32_t value = ParseIntText(cobid);
        if (value > kCobIdCeiling)
            above.push_back(row);
        else
            ordered.push_back({row, value});
    }
    // Equal cobids: the later row first.
    std::sort(ordered.begin(), ordered.end(), [](const Row& x, const Row& y) {
        return x.cobid != y.cobid ? x.cobid < y.cobid : x.row > y.row;
    });
    std::vector<int> rows;
    for (const Row& r : ordered)
        rows.push_back(r.row);
    rows.insert(rows.end(), above.begin(), above.end());
    return rows;
}

std::string PdoTranslationDocumentText(const PdoTranslationTables& tables) {
    // Both orders first: a bad cobid in table B must not leave half a document.
    const std::vector<int> rowsA = PdoRowsToSave(tables.a);
    const std::vector<int> rowsB = PdoRowsToSave(tables.b);
    EntryDocumentText doc(kRoot);
    for (const bool tableB : {false, true}) {
        const EntryTable& table = tableB ? tables.b : tables.a;
        for (const int row : tableB ? rowsB : rowsA) {
            const bool flag = FlagSet(table, row);
            const char* code = tableB ? (flag ? "1" : "0") : (flag ? "3" : "2");
            pugi::xml_node n = doc.Append(kRow);
            n.append_attribute(kCobId).set_value(table.Cell(1, row).c_str());
            n.append_attribute(kIdDevOrig).set_value(table.Cell(2, row).c_str());
            n.append_attribute(kEnBypass).set_value(code);
            n.append_attribute(kPosind).set_value(table.Cell(4, row).c_str());
            n.append_attribute(kNTpdo).set_value(table.Cell(5, row).c_str());
        }
    }
    return doc.Finish();
}

void SavePdoTranslation(const std::string& path, const PdoTranslationTables& tables) {
    SaveDocumentText(path, PdoTranslationDocumentText(tables));
}

std::optional<EntryCellError> FirstUnfitPdoCell(const PdoTranslationTables& tables) {
    std::vector<int> rowsA = PdoRowsToSave(tables.a);
    std::vector<int> rowsB = PdoRowsToSave(tables.b);
    std::sort(rowsA.begin(), rowsA.end());
    std::sort(rowsB.begin(), rowsB.end());
    if (auto unfit = FirstUnfitCell(tables.a, 0, rowsA))
        return unfit;
    return FirstUnfitCell(tables.b, 1, rowsB);
}

SheetImporter PdoTranslationImporter(PdoTranslationTables& tables) {
    SheetImporter importer = TwoTableImporter(
        tables.a, tables.b, [&tables](const SheetRecord& record, RowFiller& a, RowFiller& b) {
            const std::int32_t code = ParseIntText(record[2]);
            const bool tableA = (code & 0x02) == 0;
            const int row = (tableA ? a : b).Next();
            if (!row)
                return RecordFate::LeftOut;
            std::string texts[4];
            for (int i = 0; i < 4; ++i)
                texts[i] = record[static_cast<std::size_t>(kTextFields[i])];
            FillRow(tableA ? tables.a : tables.b, row, texts, (code & 0x01) != 0);
            return RecordFate::Placed;
        });
    importer.sheetName = kSheetName;
    importer.fieldCount = 5;
    // The title row of table B in an export ("cobid,id_dev_orig,10,...").
    importer.titles = {{{{0, kCobId}, {1, kIdDevOrig}, {3, kPosind}, {4, kNTpdo}}}};
    return importer;
}

std::vector<CsvLine> PdoTranslationCsvLines(const PdoTranslationTables& tables) {
    std::vector<CsvLine> lines;
    for (const bool tableB : {false, true}) {
        const EntryTable& table = tableB ? tables.b : tables.a;
        for (int row = 0; row < table.RowCount(); ++row) {
            const bool flag = FlagSet(table, row);
            const char* code = tableB ? (flag ? "11" : "10") : (flag ? "01" : "00");
            lines.push_back({table.Cell(1, row), table.Cell(2, row), code, table.Cell(4, row),
                             table.Cell(5, row)});
        }
    }
    return lines;
}

} // namespace gw
