#include "bridge/emcy_def.h"

#include "bridge_test_support.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace gw;
using gwtest::TempDir;
using gwtest::WriteFile;

EmcyItem Item(const std::string& id, bool enable = false, int alias = 0) {
    TClEmcy def;
    def.texts[0] = id;
    def.enable = enable;
    def.alias = alias;
    return {id, WithZeroForEmpty(def)};
}

std::vector<std::string> Lines(const std::vector<EmcyItem>& list) {
    std::vector<std::string> lines;
    for (const EmcyItem& i : list)
        lines.push_back(i.line);
    return lines;
}

TEST(EmcyDef, BypassSetPacksEnableAliasAndList) {
    EXPECT_EQ(PackBypassSet(true, 3, EmcyList::CanB), 39);
    EXPECT_EQ(PackBypassSet(true, 2, EmcyList::CanA), 5);
    const BypassSet b = UnpackBypassSet(39 + 64); // bits from 6 on are ignored
    EXPECT_TRUE(b.enable);
    EXPECT_EQ(b.alias, 3);
    EXPECT_EQ(b.list, EmcyList::CanB);
}

TEST(EmcyDef, LoadFillsMissingTextsWithZeroAndSplitsByBit5) {
    TempDir dir;
    WriteFile(dir / "emcydef.xml",
              "<anything><row id_dev='4' bypass_set='39'/>"
              "<row id_dev='9' mask_eq_ec='' enmask_eq_m3='0xFF' bypass_set='1'/></anything>");
    EmcyLists lists;
    lists[EmcyList::CanA].push_back(Item("old"));
    const BridgeLoad load = LoadEmcyDefs(dir / "emcydef.xml", lists);
    EXPECT_TRUE(load.fileFound && !load.error);
    ASSERT_EQ(Lines(lists[EmcyList::CanA]), std::vector<std::string>{"9"});
    ASSERT_EQ(Lines(lists[EmcyList::CanB]), std::vector<std::string>{"4"});
    const TClEmcy& b = lists[EmcyList::CanB][0].def;
    for (std::size_t i = 1; i < 11; ++i)
        EXPECT_EQ(b.texts[i], "0") << i;
    EXPECT_TRUE(b.enable);
    EXPECT_EQ(b.alias, 3);
    EXPECT_EQ(lists[EmcyList::CanA][0].def.texts[10], "0xFF");
}

TEST(EmcyDef, LoadFaultsKeepTheRowsBefore) {
    for (const char* bad :
         {"<row id_dev='2'/>", "<row id_dev='2' bypass_set='x'/>", "text between rows"}) {
        TempDir dir;
        WriteFile(dir / "emcydef.xml", std::string("<emcydef><row id_dev='1' bypass_set='0'/>") +
                                           bad + "<row id_dev='3' bypass_set='0'/></emcydef>");
        EmcyLists lists;
        EXPECT_TRUE(LoadEmcyDefs(dir / "emcydef.xml", lists).error) << bad;
        EXPECT_EQ(Lines(lists[EmcyList::CanA]), std::vector<std::string>{"1"}) << bad;
    }
    TempDir dir;
    EmcyLists lists;
    EXPECT_FALSE(LoadEmcyDefs(dir / "emcydef.xml", lists).fileFound);
    CreateOneFolder(dir / "emcydef.xml"); // a folder is no missing document
    EXPECT_TRUE(LoadEmcyDefs(dir / "emcydef.xml", lists).error);
}

TEST(EmcyDef, IdCheckComparesTextExactly) {
    const std::vector<EmcyItem> list = {Item("5"), Item("7")};
    EXPECT_TRUE(EmcyIdAccepted("05", "7", true, list));
    EXPECT_FALSE(EmcyIdAccepted("5", "7", true, list));
    EXPECT_FALSE(EmcyIdAccepted("", "7", true, list));
    EXPECT_TRUE(EmcyIdAccepted("7", "7", false, list)); // Modify keeping its ID
    EXPECT_FALSE(EmcyIdAccepted("7", "7", true, list)); // New with that line selected
    EXPECT_FALSE(EmcyIdAccepted("5", "7", false, list));
}

TEST(EmcyDef, SaveOrdersByIdLaterFirstAmongEqualAndRoundTrips) {
    EmcyLists lists;
    lists[EmcyList::CanA] = {Item("10"), Item("2", true), Item("7")};
    lists[EmcyList::CanB] = {Item("0x10", false, 1), Item("16", true, 8)};
    const std::string text = EmcyDefDocumentText(lists);
    const std::string first =
        "<emcydef><row id_dev=\"2\" mask_eq_ec=\"0\" mask_eq_er=\"0\" mask_eq_m1=\"0\" "
        "mask_eq_m2=\"0\" mask_eq_m3=\"0\" enmask_eq_ec=\"0\" enmask_eq_er=\"0\" "
        "enmask_eq_m1=\"0\" enmask_eq_m2=\"0\" enmask_eq_m3=\"0\" bypass_set=\"1\"/>";
    EXPECT_EQ(text.substr(0, first.size()), first);

    TempDir dir;
    SaveEmcyDefs(dir / "emcydef.xml", lists);
    EmcyLists back;
    ASSERT_FALSE(LoadEmcyDefs(dir / "emcydef.xml", back).error);
    EXPECT_EQ(Lines(back[EmcyList::CanA]), (std::vector<std::string>{"2", "7", "10"}));
    // Equal values: the later definition first.
    EXPECT_EQ(back[EmcyList::CanB],
              (std::vector<EmcyItem>{lists[EmcyList::CanB][1], lists[EmcyList::CanB][0]}));
}

TEST(EmcyDef, SaveWithALineThatIsNoIntegerOrTextXmlCannotHoldWritesNothing) {
    TempDir dir;
    EmcyLists lists;
    lists[EmcyList::CanB] = {Item("1"), {"", Item("").def}}; // New with an empty ID
    EXPECT_THROW(SaveEmcyDefs(dir / "emcydef.xml", lists), ConversionError);
    EXPECT_FALSE(FileExists(dir / "emcydef.xml"));

    lists[EmcyList::CanB].pop_back();
    lists[EmcyList::CanB][0].def.texts[3] = "a\x01";
    try {
        SaveEmcyDefs(dir / "emcydef.xml", lists);
        ADD_FAILURE() << "a control character was written";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "From CAN B, ID 1, mask_eq_m1: character 2 (U+0001) cannot be "
                               "stored in an XML document.");
    }
    EXPECT_FALSE(FileExists(dir / "emcydef.xml"));
}

TEST(EmcyDef, CsvLinesAndSheetRecords) {
    EmcyLists lists;
    lists[EmcyList::CanA] = {Item("3", true, 2)};
    lists[EmcyList::CanB] = {Item("4", true, 3)};
    std::vector<CsvLine> lines = EmcyDefCsvLines(lists);
    EXPECT_EQ(lines, (std::vector<CsvLine>{
                         {"3", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "5"},
                         {"4", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "39"}}));

    // The export with a title row added imports back into the same definitions.
    lines.insert(lines.begin(), CsvLine(12, "title"));
    EmcyLists back;
    back[EmcyList::CanB].push_back(Item("old")); // cleared by the import
    ImportReport report = ImportRecords(gwtest::SheetOfLines(lines), EmcyDefImporter(back));
    EXPECT_EQ(report.placed, 2);
    EXPECT_EQ(back[EmcyList::CanA], lists[EmcyList::CanA]);
    EXPECT_EQ(back[EmcyList::CanB], lists[EmcyList::CanB]);

    // Import keeps empty cells empty, and an empty code ends the import.
    CsvLine empty(12);
    empty[11] = "0";
    CsvLine noCode(12);
    noCode[0] = "1";
    report = ImportRecords(gwtest::SheetOfLines({CsvLine(12, "title"), empty, noCode, empty}),
                           EmcyDefImporter(back));
    ASSERT_EQ(back[EmcyList::CanA].size(), 1u);
    EXPECT_EQ(back[EmcyList::CanA][0].line, "");
    EXPECT_EQ(back[EmcyList::CanA][0].def.texts[5], "");
    ASSERT_TRUE(report.stop);
    EXPECT_EQ(report.stop->record, 2);
}

} // namespace
