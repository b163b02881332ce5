#include "bridge/pdo_translation.h"

#include "bridge_test_support.h"
#include "common/errors.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using gw::PdoTranslationTables;

void SetRow(gw::EntryTable& t, int row, const std::string& cobid, const std::string& dev = "",
            const std::string& flag = "", const std::string& posind = "",
            const std::string& ntpdo = "") {
    t.SetCell(1, row, cobid);
    t.SetCell(2, row, dev);
    t.SetCell(3, row, flag);
    t.SetCell(4, row, posind);
    t.SetCell(5, row, ntpdo);
}

TEST(PdoTranslationSave, OrdersByCobidLaterEqualRowFirstAndWritesTheCodes) {
    PdoTranslationTables t;
    SetRow(t.a, 1, "0x200", "1", "1", "p1", "n1");
    SetRow(t.a, 2, "0x180", "2", "0");
    SetRow(t.a, 3, "384", "3", "yes");
    SetRow(t.b, 1, "0x181", "4", "1");
    SetRow(t.b, 2, "0x182", "5", "");
    SetRow(t.b, 4, "0x100", "after the gap");
    EXPECT_EQ(gw::PdoTranslationDocumentText(t),
              "<rpdodef>"
              "<row cobid=\"384\" id_dev_orig=\"3\" en_bypass=\"2\" posind=\"\" n_tpdo=\"\"/>"
              "<row cobid=\"0x180\" id_dev_orig=\"2\" en_bypass=\"2\" posind=\"\" n_tpdo=\"\"/>"
              "<row cobid=\"0x200\" id_dev_orig=\"1\" en_bypass=\"3\" posind=\"p1\" n_tpdo=\"n1\"/>"
              "<row cobid=\"0x181\" id_dev_orig=\"4\" en_bypass=\"1\" posind=\"\" n_tpdo=\"\"/>"
              "<row cobid=\"0x182\" id_dev_orig=\"5\" en_bypass=\"0\" posind=\"\" n_tpdo=\"\"/>"
              "</rpdodef>");
    EXPECT_EQ(gw::PdoTranslationDocumentText(PdoTranslationTables{}), "<rpdodef/>");
}

// Cobids above the ceiling follow all others in row order; none is lost or
// written twice.
TEST(PdoTranslationSave, CobidsAboveTheCeilingComeLastInRowOrder) {
    gw::EntryTable t(gw::PdoTranslationTitles(), gw::rpdodef::kEntryRows);
    const char* cobids[] = {"0x1FFFFFFF", "0x999999", "0xA00000", "5", "0x1FFFFFFF", "-1"};
    for (int i = 0; i < 6; ++i)
        SetRow(t, i + 1, cobids[i]);
    EXPECT_EQ(gw::PdoRowsToSave(t), (std::vector<int>{6, 4, 2, 1, 3, 5}));
}

TEST(PdoTranslationSave, ANonIntegerCobidWritesNothing) {
    gwtest::TempDir dir;
    const std::string path = dir / "rpdodef.xml";
    gwtest::WriteFile(path, "<rpdodef/>");
    PdoTranslationTables t;
    SetRow(t.a, 1, "0x181");
    SetRow(t.b, 1, "0x18G");
    try {
        gw::SavePdoTranslation(path, t);
        ADD_FAILURE() << "saved";
    } catch (const gw::ConversionError& e) {
        EXPECT_STREQ(e.what(), "'0x18G' is not a valid integer value");
    }
    EXPECT_EQ(gwtest::ReadFile(path), "<rpdodef/>");
}

TEST(PdoTranslationLoad, BitOneSetIsTableAAndSavedRowsComeBackInPlace) {
    gwtest::TempDir dir;
    const std::string path = dir / "rpdodef.xml";
    PdoTranslationTables t;
    SetRow(t.a, 1, "0x181", "3", "1", "7", "8");
    SetRow(t.a, 2, "0x182", "3", "0");
    SetRow(t.b, 1, "0x201", "4", "0", "x", "y");
    SetRow(t.b, 2, "0x202", "4", "1");
    gw::SavePdoTranslation(path, t);
    PdoTranslationTables back;
    const gw::BridgeLoad r = gw::LoadPdoTranslation(path, back);
    EXPECT_TRUE(r.fileFound);
    EXPECT_FALSE(r.error);
    EXPECT_EQ(back, t);

    gwtest::WriteFile(path, "<x><r cobid=\"1\" id_dev_orig=\"\" en_bypass=\"6\" posind=\"\" "
                            "n_tpdo=\"\"/><r cobid=\"2\" id_dev_orig=\"\" en_bypass=\"z\" "
                            "posind=\"\" n_tpdo=\"\"/></x>");
    const gw::BridgeLoad bad = gw::LoadPdoTranslation(path, back);
    EXPECT_EQ(bad.error.value_or(""), "entry 2: 'z' is not a valid integer value");
    EXPECT_EQ(back.a.RowCells(1), (std::vector<std::string>{"1", "", "0", "", ""}));
    EXPECT_FALSE(gw::LoadPdoTranslation(dir / "none.xml", back).fileFound);
}

TEST(PdoTranslationExport, TwentyTwoLinesWithTitlesAndSheetCodes) {
    PdoTranslationTables t;
    SetRow(t.a, 1, "0x181", "3", "1", "7", "8");
    SetRow(t.b, 2, "0x202", "4", "1");
    const std::vector<std::string> lines =
        gwtest::SplitCrLf(gw::CsvText(gw::PdoTranslationCsvLines(t)));
    ASSERT_EQ(lines.size(), 22u);
    EXPECT_EQ(lines[0], "cobid,id_dev_orig,00,posind,n_tpdo,");
    EXPECT_EQ(lines[1], "0x181,3,01,7,8,");
    EXPECT_EQ(lines[2], ",,00,,,");
    EXPECT_EQ(lines[11], "cobid,id_dev_orig,10,posind,n_tpdo,");
    EXPECT_EQ(lines[12], ",,10,,,");
    EXPECT_EQ(lines[13], "0x202,4,11,,,");
}

TEST(PdoTranslationImport, SheetCodesHaveBitOneClearForTableA) {
    for (const char* file : {"bridge/sheets.xls", "bridge/sheets.xlsx", "bridge/sheets.ods"}) {
        PdoTranslationTables t;
        const gw::ImportReport report =
            gw::ImportSheet(gwtest::DataPath(file), gw::PdoTranslationImporter(t));
        using V = std::vector<std::string>;
        EXPECT_EQ(t.a.RowCells(1), (V{"0x181", "5", "1", "1", "2"})) << file;
        EXPECT_EQ(t.a.RowCells(2), (V{"0x183", "8", "0", "5", "6"})) << file;
        EXPECT_EQ(t.b.RowCells(1), (V{"513", "7", "0", "", "x"})) << file;
        EXPECT_EQ(t.b.RowCells(2), (V{"0x182", "6", "1", "3", "4"})) << file;
        EXPECT_FALSE(t.a.RowFilled(3)) << file;
        EXPECT_FALSE(t.b.RowFilled(3)) << file;
        EXPECT_EQ(report.titlesSkipped, 1) << file;
        ASSERT_TRUE(report.stop) << file;
        EXPECT_EQ(report.stop->record, 6) << file;
    }
}

TEST(PdoTranslationImport, AnExportImportsBackAndElevenRecordsLeaveOneOut) {
    PdoTranslationTables t;
    for (int row = 1; row <= 10; ++row)
        SetRow(t.a, row, std::to_string(row), "d", row % 2 ? "1" : "0");
    SetRow(t.b, 10, "0x300", "", "1");
    PdoTranslationTables back;
    gw::ImportReport report = gw::ImportRecords(gwtest::SheetOfLines(gw::PdoTranslationCsvLines(t)),
                                                gw::PdoTranslationImporter(back));
    EXPECT_FALSE(report.stop);
    EXPECT_EQ(report.titlesSkipped, 1);
    EXPECT_EQ(back.a, t.a);
    // Table B's empty rows come back as empty rows with the flag "0".
    EXPECT_EQ(back.b.RowCells(10), t.b.RowCells(10));
    EXPECT_EQ(back.b.RowCells(1), (std::vector<std::string>{"", "", "0", "", ""}));

    std::vector<gw::CsvLine> lines{{"cobid", "id_dev_orig", "en_bypass", "posind", "n_tpdo"}};
    for (int i = 0; i < 11; ++i)
        lines.push_back({std::to_string(i), "", "1", "", ""});
    report = gw::ImportRecords(gwtest::SheetOfLines(lines), gw::PdoTranslationImporter(back));
    EXPECT_EQ(report.placed, 10);
    EXPECT_EQ(report.leftOut, 1);
}

} // namespace
