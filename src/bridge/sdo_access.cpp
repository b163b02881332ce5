#include "bridge/sdo_access.h"

#include "bridge/bridge_xml.h"
#include "common/parse_int.h"
#include "xml/xml_document.h"

#include <memory>
#include <span>
#include <string_view>

namespace gw {

using namespace sdoaccess;

std::vector<std::string> SdoAccessTitles() {
    return {"N", "RW", "Index", "Subindex", "devID", "Index", "Subindex", "nbyte", "mnemonico"};
}

namespace {

EntryTable& TableOf(SdoAccessTables& t, std::int32_t code) {
    return (code & kTableBit) ? t.b : t.a;
}

// One entry into its row: the RW flag from the code, then the seven texts.
void FillRow(EntryTable& table, int row, std::int32_t code, std::span<const std::string> texts) {
    table.SetCell(kRwColumn, row, (code & kRwBit) ? "1" : "0");
    for (std::size_t i = 0; i < texts.size(); ++i)
        table.SetCell(kRwColumn + 1 + static_cast<int>(i), row, texts[i]);
}

// An entry worth writing: any text beyond an RW of "0", which every loaded or
// imported row gets, so that empty rows of an imported export stay empty.
bool EntryFilled(const EntryTable& table, int row) {
    for (int c = kRwColumn + 1; c < table.ColumnCount(); ++c)
        if (!table.Cell(c, row).empty())
            return true;
    const std::string& rw = table.Cell(kRwColumn, row);
    return !rw.empty() && rw != "0";
}

std::int32_t CodeOf(const EntryTable& table, int row, bool tableB) {
    const bool rw = table.Cell(kRwColumn, row) == "1";
    return (rw ? kRwBit : 0) | (tableB ? kTableBit : 0);
}

} // namespace

BridgeLoad LoadSdoAccess(const std::string& path, SdoAccessTables& tables,
                         const ProgressHooks* progress) {
    tables.a.ClearEntries();
    tables.b.ClearEntries();
    RowFiller fillA(tables.a);
    RowFiller fillB(tables.b);
    BridgeLoad result = ReadEntries(
        path,
        [&](pugi::xml_node n) {
            const std::int32_t code = ParseIntText(RequiredAttribute(n, kConf));
            std::vector<std::string> texts;
            for (const char* name : kTextAttributes)
                texts.push_back(std::string_view(name) == kMnemonico
                                    ? AttributeText(n, name).value_or("")
                                    : RequiredAttribute(n, name));
            RowFiller& filler = (code & kTableBit) ? fillB : fillA;
            if (const int row = filler.Next())
                FillRow(TableOf(tables, code), row, code, texts);
        },
        progress);
    result.leftOut = fillA.LeftOut() + fillB.LeftOut();
    return result;
}

std::string SdoAccessDocumentText(const SdoAccessTables& tables) {
    EntryDocumentText doc(kRoot);
    for (const bool tableB : {false, true}) {
        const EntryTable& table = tableB ? tables.b : tables.a;
        for (int row = 1; row <= table.EntryRows(); ++row) {
            if (!EntryFilled(table, row))
                continue;
            pugi::xml_node n = doc.Append(kRow);
            n.append_attribute(kConf).set_value(std::to_string(CodeOf(table, row, tableB)).c_str());
            int column = kRwColumn + 1;
            for (const char* name : kTextAttributes)
                n.append_attribute(name).set_value(table.Cell(column++, row).c_str());
        }
    }
    return doc.Finish();
}

void SaveSdoAccess(const std::string& path, const SdoAccessTables& tables) {
    SaveDocumentText(path, SdoAccessDocumentText(tables));
}

std::optional<EntryCellError> FirstUnfitSdoAccessCell(const SdoAccessTables& tables) {
    int index = 0;
    for (const EntryTable* table : {&tables.a, &tables.b}) {
        std::vector<int> rows;
        for (int row = 1; row <= table->EntryRows(); ++row)
            if (EntryFilled(*table, row))
                rows.push_back(row);
        if (auto unfit = FirstUnfitCell(*table, index++, rows))
            return unfit;
    }
    return std::nullopt;
}

SheetImporter SdoAccessImporter(SdoAccessTables& tables) {
    SheetImporter importer = TwoTableImporter(
        tables.a, tables.b, [&tables](const SheetRecord& record, RowFiller& a, RowFiller& b) {
            const std::int32_t code = ParseIntText(record[0]);
            const int row = ((code & kTableBit) ? b : a).Next();
            if (!row)
                return RecordFate::LeftOut;
            FillRow(TableOf(tables, code), row, code, std::span(record).subspan(1));
            return RecordFate::Placed;
        });
    importer.sheetName = kSheetName;
    importer.fieldCount = 8;
    // The title row of table B in an export: its code, then the titles.
    TitleRecord title;
    const std::vector<std::string> titles = SdoAccessTitles();
    for (int f = 1; f < 8; ++f)
        title.fields.emplace_back(f, titles[static_cast<std::size_t>(f + 1)]);
    importer.titles = {title};
    return importer;
}

std::vector<CsvLine> SdoAccessCsvLines(const SdoAccessTables& tables) {
    std::vector<CsvLine> lines;
    lines.reserve(static_cast<std::size_t>(2 * tables.a.RowCount()));
    for (const bool tableB : {false, true}) {
        const EntryTable& table = tableB ? tables.b : tables.a;
        for (int row = 0; row < table.RowCount(); ++row) {
            CsvLine line{std::to_string(CodeOf(table, row, tableB))};
            for (int c = kRwColumn + 1; c < table.ColumnCount(); ++c)
                line.push_back(table.Cell(c, row));
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

} // namespace gw
