#include "bridge/sdo_access.h"

#include "bridge_test_support.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using gw::SdoAccessTables;

std::vector<std::string> Row(const gw::EntryTable& t, int row) {
    return t.RowCells(row);
}

TEST(SdoAccessLoad, ConfPicksTableAndRwFlagMissingNameIsEmpty) {
    gwtest::TempDir dir;
    const std::string path = dir / "sdoaccess.xml";
    gwtest::WriteFile(path,
                      "<anything>"
                      "<a conf=\"16\" IndexA=\"0x2000\" SubindexA=\"1\" devIDB=\"5\" "
                      "IndexB=\"0x6000\" SubindexB=\"2\" nbyteB=\"4\" mnemonico=\"speed\"/>"
                      "<b conf=\"17\" IndexA=\"0x2100\" SubindexA=\"0\" devIDB=\"6\" "
                      "IndexB=\"0x6100\" SubindexB=\"0\" nbyteB=\"2\"/>"
                      "<c conf=\"0\" IndexA=\"x\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" "
                      "SubindexB=\"\" nbyteB=\"\" mnemonico=\"\"/>"
                      "<d conf=\"$23\" IndexA=\"i\" SubindexA=\"s\" devIDB=\"d\" IndexB=\"I\" "
                      "SubindexB=\"S\" nbyteB=\"n\" mnemonico=\"m\"/>"
                      "</anything>");
    SdoAccessTables t;
    t.a.SetCell(8, 5, "from an earlier show");
    const gw::BridgeLoad r = gw::LoadSdoAccess(path, t);
    EXPECT_TRUE(r.fileFound);
    EXPECT_FALSE(r.error);
    using V = std::vector<std::string>;
    EXPECT_EQ(Row(t.a, 1), (V{"1", "0x2000", "1", "5", "0x6000", "2", "4", "speed"}));
    EXPECT_EQ(Row(t.a, 2), (V{"0", "x", "", "", "", "", "", ""}));
    EXPECT_EQ(Row(t.b, 1), (V{"1", "0x2100", "0", "6", "0x6100", "0", "2", ""}));
    EXPECT_EQ(Row(t.b, 2), (V{"0", "i", "s", "d", "I", "S", "n", "m"})); // 0x23: B, no RW
    EXPECT_EQ(t.a.Cell(8, 5), "");
    EXPECT_EQ(t.a.Cell(0, 1500), "1499");
}

TEST(SdoAccessLoad, AnErrorKeepsTheRowsReadBeforeItAndSaysWhere) {
    gwtest::TempDir dir;
    const std::string path = dir / "sdoaccess.xml";
    const char* good = "<r conf=\"0\" IndexA=\"1\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" "
                       "SubindexB=\"\" nbyteB=\"\"/>";
    const std::pair<std::string, std::string> cases[] = {
        {std::string("<sdo>") + good + "<r conf=\"0\" IndexA=\"2\"/></sdo>",
         "entry 2: the attribute 'SubindexA' is missing"},
        {std::string("<sdo>") + good + "<r conf=\"yes\"/></sdo>",
         "entry 2: 'yes' is not a valid integer value"},
    };
    for (const auto& [doc, error] : cases) {
        gwtest::WriteFile(path, doc);
        SdoAccessTables t;
        const gw::BridgeLoad r = gw::LoadSdoAccess(path, t);
        EXPECT_EQ(r.error.value_or(""), error);
        EXPECT_EQ(t.a.Cell(2, 1), "1");
        EXPECT_FALSE(t.a.RowFilled(2));
    }
    gwtest::WriteFile(path, "<sdo><r conf=\"0\"");
    SdoAccessTables t;
    EXPECT_TRUE(gw::LoadSdoAccess(path, t).error);
    EXPECT_FALSE(gw::LoadSdoAccess(dir / "none.xml", t).fileFound);
}

TEST(SdoAccessSave, WritesFilledEntriesTableAThenBAndRoundTrips) {
    gwtest::TempDir dir;
    SdoAccessTables t;
    t.b.SetCell(1, 3, "1");
    t.b.SetCell(2, 3, "0x2100");
    t.a.SetCell(8, 7, "only a name");
    t.a.SetCell(1, 9, "0"); // as every loaded row has it: not an entry by itself
    t.a.SetCell(1, 2, "yes");
    t.a.SetCell(2, 2, "0x2000");
    t.a.SetCell(1, 1, "1");
    t.a.SetCell(3, 1, "a \"quoted\" & <odd>");
    EXPECT_EQ(gw::SdoAccessDocumentText(t),
              "<sdo>"
              "<row conf=\"16\" IndexA=\"\" SubindexA=\"a &quot;quoted&quot; &amp; &lt;odd>\" "
              "devIDB=\"\" IndexB=\"\" SubindexB=\"\" nbyteB=\"\" mnemonico=\"\"/>"
              "<row conf=\"0\" IndexA=\"0x2000\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" "
              "SubindexB=\"\" nbyteB=\"\" mnemonico=\"\"/>"
              "<row conf=\"0\" IndexA=\"\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
              "nbyteB=\"\" mnemonico=\"only a name\"/>"
              "<row conf=\"17\" IndexA=\"0x2100\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" "
              "SubindexB=\"\" nbyteB=\"\" mnemonico=\"\"/>"
              "</sdo>");

    const std::string path = dir / "sdoaccess.xml";
    gw::SaveSdoAccess(path, t);
    SdoAccessTables back;
    gw::LoadSdoAccess(path, back);
    EXPECT_EQ(back.a.RowCells(1), t.a.RowCells(1));
    EXPECT_EQ(back.a.Cell(1, 2), "0"); // "yes" is no RW flag
    EXPECT_EQ(back.a.Cell(8, 3), "only a name");
    EXPECT_EQ(back.b.RowCells(1), t.b.RowCells(3));
    gw::SaveSdoAccess(path, back);
    SdoAccessTables again;
    gw::LoadSdoAccess(path, again);
    EXPECT_EQ(again, back);
}

TEST(SdoAccessSave, TheFirstCellXmlCannotHoldIsFoundInTableOrder) {
    SdoAccessTables t;
    EXPECT_FALSE(gw::FirstUnfitSdoAccessCell(t));
    t.b.SetCell(8, 3, "tab\tis fine");
    t.b.SetCell(4, 5, std::string("bell\a"));
    t.a.SetCell(3, 9,
                "\xFF"
                "bad");
    const auto unfit = gw::FirstUnfitSdoAccessCell(t);
    ASSERT_TRUE(unfit);
    EXPECT_EQ(unfit->table, 0);
    EXPECT_EQ(unfit->row, 9);
    EXPECT_EQ(unfit->column, 3);
    EXPECT_EQ(unfit->message, "Error row 8!! Subindex: character 1 (byte 0xFF, not UTF-8) cannot "
                              "be stored in an XML document. ");
    t.a.SetCell(3, 9, "");
    EXPECT_EQ(gw::FirstUnfitSdoAccessCell(t)->row, 5);
}

TEST(SdoAccessLoad, EntriesBeyondATableAreCountedNotShown) {
    gwtest::TempDir dir;
    std::string doc = "<sdo>";
    for (int i = 0; i < 1502; ++i)
        doc += "<r conf=\"0\" IndexA=\"" + std::to_string(i) +
               "\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" nbyteB=\"\"/>";
    doc += "<r conf=\"1\" IndexA=\"b\" SubindexA=\"\" devIDB=\"\" IndexB=\"\" SubindexB=\"\" "
           "nbyteB=\"\"/></sdo>";
    gwtest::WriteFile(dir / "sdoaccess.xml", doc);
    SdoAccessTables t;
    const gw::BridgeLoad r = gw::LoadSdoAccess(dir / "sdoaccess.xml", t);
    EXPECT_EQ(r.leftOut, 2);
    EXPECT_EQ(t.a.Cell(2, 1500), "1499");
    EXPECT_EQ(t.b.Cell(2, 1), "b");
    EXPECT_EQ(gw::EntriesLeftOutMessage("sdoaccess.xml", 2),
              "The document sdoaccess.xml holds 2 entries more than its tables hold; they are not "
              "shown, and OK will not keep them.");
}

TEST(SdoAccessExport, WritesEveryRowWithTitlesAndCodes) {
    SdoAccessTables t;
    t.a.SetCell(1, 1, "1");
    t.a.SetCell(2, 1, "0x2000");
    t.a.SetCell(1, 2, "yes");
    t.b.SetCell(1, 1, "1");
    t.b.SetCell(8, 2, "b, with comma");
    const std::vector<std::string> lines = gwtest::SplitCrLf(gw::CsvText(gw::SdoAccessCsvLines(t)));
    ASSERT_EQ(lines.size(), 3002u);
    EXPECT_EQ(lines[0], "0,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,");
    EXPECT_EQ(lines[1], "16,0x2000,,,,,,,");
    EXPECT_EQ(lines[2], "0,,,,,,,,");
    EXPECT_EQ(lines[1500], "0,,,,,,,,");
    EXPECT_EQ(lines[1501], "1,Index,Subindex,devID,Index,Subindex,nbyte,mnemonico,");
    EXPECT_EQ(lines[1502], "17,,,,,,,,");
    EXPECT_EQ(lines[1503], "1,,,,,,,\"b, with comma\",");
    EXPECT_EQ(lines[3001], "1,,,,,,,,");
}

// A sheet made from an export: its first row is taken as the column names,
// table B's title line is recognised and skipped.
TEST(SdoAccessImport, AnExportImportsBackIntoTheSameTables) {
    SdoAccessTables t;
    for (int row : {1, 2, 1500}) {
        t.a.SetCell(1, row, row == 2 ? "0" : "1");
        t.a.SetCell(2, row, "0x2" + std::to_string(row));
        t.b.SetCell(1, row, "1");
        t.b.SetCell(8, row, "b" + std::to_string(row));
    }
    t.b.SetCell(1, 1, "0");
    SdoAccessTables back;
    back.a.SetCell(3, 3, "cleared by the import");
    const gw::ImportReport report = gw::ImportRecords(
        gwtest::SheetOfLines(gw::SdoAccessCsvLines(t)), gw::SdoAccessImporter(back));
    EXPECT_FALSE(report.stop);
    EXPECT_EQ(report.titlesSkipped, 1);
    EXPECT_EQ(report.leftOut, 0);
    // Empty rows come back as entries with RW "0"; the filled ones where they were.
    for (int row : {1, 2, 1500}) {
        EXPECT_EQ(back.a.RowCells(row), t.a.RowCells(row)) << row;
        EXPECT_EQ(back.b.RowCells(row), t.b.RowCells(row)) << row;
    }
    EXPECT_EQ(back.a.Cell(3, 3), "");
}

TEST(SdoAccessImport, WorkbookRecordsLandInTheirTablesUntilTheEmptyCode) {
    for (const char* file : {"bridge/sheets.xls", "bridge/sheets.xlsx", "bridge/sheets.ods"}) {
        SdoAccessTables t;
        const gw::ImportReport report =
            gw::ImportSheet(gwtest::DataPath(file), gw::SdoAccessImporter(t));
        using V = std::vector<std::string>;
        EXPECT_EQ(Row(t.a, 1), (V{"1", "0x2000", "1", "5", "0x6000", "2", "4", "speed"})) << file;
        EXPECT_EQ(Row(t.a, 2), (V{"0", "0x2001", "0", "7", "0x6001", "1", "1", ""})) << file;
        EXPECT_EQ(Row(t.b, 1), (V{"1", "0x2100", "01", "6", "0x6100", "0", "2", "torque"})) << file;
        EXPECT_EQ(Row(t.b, 2), (V{"0", "8192", "0.5", "", "0x6200", "3", "4", "ramp"})) << file;
        EXPECT_FALSE(t.a.RowFilled(3)) << file;
        EXPECT_FALSE(t.b.RowFilled(3)) << file;
        ASSERT_TRUE(report.stop) << file;
        EXPECT_EQ(report.stop->sheetRow, 7) << file;
    }
}

} // namespace
