#include "bridge/save_order.h"
#include "bridge/stored_pdo.h"

#include "bridge_test_support.h"
#include "common/errors.h"
#include "common/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace gw;
using gwtest::ReadFile;
using gwtest::TempDir;
using gwtest::WriteFile;

// Side A with two PDOs, side B with one, as a PDO translation document with
// the rows 0x181 (table B), 0x201 (table A), 0x182 (table B) gives them.
StoredPdos TwoSides() {
    StoredPdos m;
    for (auto [code, cobid] : {std::pair{1, "0x181"}, {3, "0x201"}, {0, "0x182"}})
        AddPdo(m, SideOfTranslationCode(code), cobid);
    return m;
}

TEST(StoredPdo, TranslationRowsSplitIntoSidesNumberedInDocumentOrder) {
    const StoredPdos m = TwoSides();
    ASSERT_EQ(m[PdoSide::A].pdos.size(), 2u);
    EXPECT_EQ(m[PdoSide::A].pdos[0].cobid, "0x181");
    EXPECT_EQ(m[PdoSide::A].pdos[1].cobid, "0x182");
    EXPECT_EQ(m[PdoSide::A].pdos[1].number, 2);
    ASSERT_EQ(m[PdoSide::B].pdos.size(), 1u);
    EXPECT_EQ(m[PdoSide::B].pdos[0].cobid, "0x201");
    EXPECT_EQ(m[PdoSide::B].pdos[0].number, 1);
}

TEST(StoredPdo, LoadAttachesByNrpdoAndDropsRowsBeyondTheSide) {
    TempDir dir;
    WriteFile(dir / "sdopdo.xml", "<sdopdo>"
                                  "<row index='1' subindex='2' nrpdo='129' poscomp='33'/>"
                                  "<row index='3' subindex='4' nrpdo='3' poscomp='0'/>"
                                  "<x index='5' subindex='6' nrpdo='2' poscomp='1'/>"
                                  "</sdopdo>");
    StoredPdos m = TwoSides();
    std::vector<int> dropped;
    const BridgeLoad load = LoadStoredEntries(dir / "sdopdo.xml", m, &dropped);
    EXPECT_TRUE(load.fileFound && !load.error);
    EXPECT_EQ(m[PdoSide::B].pdos[0].entries, (std::vector<TClSdo>{{"1", "2", "33"}}));
    EXPECT_TRUE(m[PdoSide::A].pdos[0].entries.empty());
    EXPECT_EQ(m[PdoSide::A].pdos[1].entries, (std::vector<TClSdo>{{"5", "6", "1"}}));
    EXPECT_EQ(dropped, std::vector<int>{2});
}

TEST(StoredPdo, ShowReadsTheThreeDocumentsOfTheProject) {
    TempDir dir;
    // A receive frame list in sdo.xml takes no part: the SDO access entries
    // come from the SDO access editor's own document.
    WriteFile(dir / "sdo.xml", "<Profibus_to_Receive_CAN><Receive_Frames><row Cob_Id='1'/>"
                               "</Receive_Frames></Profibus_to_Receive_CAN>");
    WriteFile(dir / "sdoaccess.xml",
              "<sdo><row conf='16' IndexA='0x2000' SubindexA='1' devIDB='' IndexB='' "
              "SubindexB='' nbyteB=''/><row conf='1' IndexA='7' SubindexA='0' devIDB='' "
              "IndexB='' SubindexB='' nbyteB=''/></sdo>");
    WriteFile(dir / "rpdodef.xml", gwtest::kThreePdos);
    WriteFile(dir / "sdopdo.xml", "<sdopdo><row index='1' subindex='2' nrpdo='129' poscomp='0'/>"
                                  "<row index='1' subindex='2' nrpdo='3' poscomp='0'/></sdopdo>");
    StoredPdos m;
    m[PdoSide::A].sdoAccess = {{"stale", "", ""}};
    const StoredPdoLoad load =
        LoadStoredPdos({dir / "sdoaccess.xml", dir / "rpdodef.xml", dir / "sdopdo.xml"}, m);
    for (const BridgeLoad* l : {&load.sdoAccess, &load.pdos, &load.entries})
        EXPECT_TRUE(l->fileFound && !l->error) << l->error.value_or("");
    EXPECT_EQ(m[PdoSide::A].sdoAccess, (std::vector<TClSdo>{{"0x2000", "1", ""}}));
    EXPECT_EQ(m[PdoSide::B].sdoAccess, (std::vector<TClSdo>{{"7", "0", ""}}));
    EXPECT_EQ(m[PdoSide::A].pdos.size(), 2u);
    EXPECT_EQ(m[PdoSide::B].pdos[0].entries.size(), 1u);
    EXPECT_EQ(load.dropped, std::vector<int>{2});

    // A side may hold more PDOs than the PDO translation editor shows.
    std::string many = "<rpdodef>";
    for (int i = 0; i < 12; ++i)
        many += "<row cobid='" + std::to_string(0x180 + i) + "' en_bypass='0'/>";
    WriteFile(dir / "rpdodef.xml", many + "</rpdodef>");
    WriteFile(dir / "sdopdo.xml", "<sdopdo><row index='1' subindex='2' nrpdo='12' poscomp='0'/>"
                                  "</sdopdo>");
    LoadStoredPdos({dir / "sdoaccess.xml", dir / "rpdodef.xml", dir / "sdopdo.xml"}, m);
    ASSERT_EQ(m[PdoSide::A].pdos.size(), 12u);
    EXPECT_EQ(m[PdoSide::A].pdos[11].entries.size(), 1u);
}

TEST(StoredPdo, LoadFaultsKeepTheRowsBefore) {
    struct Case {
        const char* bad;
        const char* reason;
    };
    const Case cases[] = {
        {"<row index='3' subindex='4' nrpdo='128' poscomp='0'/>", "names no PDO"},
        {"<row index='3' subindex='4' nrpdo='0' poscomp='0'/>", "names no PDO"},
        {"<row index='3' nrpdo='1' poscomp='0'/>", "'subindex' is missing"},
        {"<row index='3' subindex='4' nrpdo='one' poscomp='0'/>", "'one' is not a valid integer"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        WriteFile(dir / "sdopdo.xml",
                  std::string("<sdopdo><row index='1' subindex='2' nrpdo='1' poscomp='0'/>") +
                      c.bad + "<row index='9' subindex='9' nrpdo='1' poscomp='0'/></sdopdo>");
        StoredPdos m = TwoSides();
        const BridgeLoad load = LoadStoredEntries(dir / "sdopdo.xml", m);
        EXPECT_TRUE(load.error) << c.bad;
        EXPECT_NE(load.error.value_or("").find(c.reason), std::string::npos)
            << load.error.value_or("");
        EXPECT_NE(load.error.value_or("").find("entry 2"), std::string::npos)
            << load.error.value_or("");
        EXPECT_EQ(m[PdoSide::A].pdos[0].entries.size(), 1u) << c.bad;
    }
    StoredPdos m = TwoSides();
    TempDir dir;
    EXPECT_FALSE(LoadStoredEntries(dir / "sdopdo.xml", m).fileFound);
}

TEST(StoredPdo, SaveOrdersEachSideByIndexThenSubindexAndRoundTrips) {
    StoredPdos m = TwoSides();
    m[PdoSide::A].pdos[0].entries = {{"0x2000", "2", "18"}, {"0x2000", "1", "0"}};
    m[PdoSide::A].pdos[1].entries = {{"0x1000", "5", "33"}};
    m[PdoSide::B].pdos[0].entries = {{"7", "0", "1"}};
    EXPECT_EQ(StoredPdoDocumentText(m),
              "<sdopdo>"
              "<row index=\"0x1000\" subindex=\"5\" nrpdo=\"2\" poscomp=\"33\"/>"
              "<row index=\"0x2000\" subindex=\"1\" nrpdo=\"1\" poscomp=\"0\"/>"
              "<row index=\"0x2000\" subindex=\"2\" nrpdo=\"1\" poscomp=\"18\"/>"
              "<row index=\"7\" subindex=\"0\" nrpdo=\"129\" poscomp=\"1\"/>"
              "</sdopdo>");

    TempDir dir;
    SaveStoredPdos(dir / "sdopdo.xml", m);
    StoredPdos back = TwoSides();
    ASSERT_FALSE(LoadStoredEntries(dir / "sdopdo.xml", back).error);
    EXPECT_EQ(back[PdoSide::A].pdos[0].entries,
              (std::vector<TClSdo>{{"0x2000", "1", "0"}, {"0x2000", "2", "18"}}));
    EXPECT_EQ(back[PdoSide::B].pdos, m[PdoSide::B].pdos);
}

TEST(StoredPdo, SaveRefusesWhatItCannotWriteAndWritesNothing) {
    TempDir dir;
    StoredPdos m = TwoSides();
    m[PdoSide::A].pdos[0].entries = {{"1", "1", "0"}, {"0x", "1", "0"}};
    EXPECT_THROW(SaveStoredPdos(dir / "sdopdo.xml", m), ConversionError);
    EXPECT_FALSE(FileExists(dir / "sdopdo.xml"));

    // The 128th PDO of side A would be written as side B's PDO 0.
    StoredPdos many;
    for (int i = 0; i < 128; ++i)
        AddPdo(many, PdoSide::A, std::to_string(0x200 + i));
    many[PdoSide::A].pdos[127].entries = {{"1", "1", "0"}};
    try {
        SaveStoredPdos(dir / "sdopdo.xml", many);
        ADD_FAILURE() << "a PDO beyond 127 was written";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("The PDO 639 is PDO 128 of side CanA"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_FALSE(FileExists(dir / "sdopdo.xml"));
    EXPECT_THROW(StoredPdoCsvLines(many), std::runtime_error);
    many[PdoSide::A].pdos[127].entries.clear();
    many[PdoSide::A].pdos[126].entries = {{"1", "1", "0"}};
    EXPECT_NE(StoredPdoDocumentText(many).find("nrpdo=\"127\""), std::string::npos);
}

TEST(StoredPdo, IndexesAboveTheCeilingFollowAllOthersAndAreNeverLost) {
    StoredPdos m = TwoSides();
    m[PdoSide::A].pdos[0].entries = {{"0xA00000", "1", "0"},
                                     {"0x999999", "0x999999", "0"},
                                     {"0x999999", "1", "0"},
                                     {"5", "1", "0"}};
    const std::string text = StoredPdoDocumentText(m);
    const auto at = [&](const char* index, const char* sub) {
        return text.find(std::string("index=\"") + index + "\" subindex=\"" + sub + "\"");
    };
    EXPECT_LT(at("5", "1"), at("0x999999", "1"));
    EXPECT_LT(at("0x999999", "1"), at("0xA00000", "1"));
    EXPECT_LT(at("0xA00000", "1"), at("0x999999", "0x999999"));
}

TEST(StoredPdo, CheckSdoEntryComparesNumbers) {
    StoredPdos m = TwoSides();
    StoredPdoSide& a = m[PdoSide::A];
    a.pdos[1].entries = {{"24576", "0x01", "0"}, {"0x1000", "2", "0"}};
    a.sdoAccess = {{"0x3000", "$10", ""}};
    struct Case {
        const char *index, *subindex;
        int pdo, entry;
        SdoCheck expected;
    };
    const Case cases[] = {
        {"0x6000", "1", -1, -1, SdoCheck::EntryExists},
        {"0x6000", "2", -1, -1, SdoCheck::Accept},
        {"12288", "16", -1, -1, SdoCheck::SdoExists},
        {"0x6000", "1", 1, 0, SdoCheck::Accept},      // the entry itself
        {"0x1000", "2", 1, 0, SdoCheck::EntryExists}, // changed onto the other one
        {"0x1000", "2", 0, 1, SdoCheck::EntryExists}, // same position, other PDO
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSdoEntry(c.index, c.subindex, c.pdo, c.entry, a.pdos, a.sdoAccess),
                  c.expected)
            << c.index << "," << c.subindex;
    EXPECT_STREQ(SdoCheckMessage(SdoCheck::EntryExists), "Index or Subindex Not Valid");
    EXPECT_STREQ(SdoCheckMessage(SdoCheck::SdoExists),
                 "Index or Subindex Not Valid,Sdo Already Exists");

    EXPECT_THROW(CheckSdoEntry("x", "1", -1, -1, a.pdos, a.sdoAccess), ConversionError);
    // Nothing to compare on side B: any text passes.
    EXPECT_EQ(CheckSdoEntry("x", "", -1, -1, m[PdoSide::B].pdos, m[PdoSide::B].sdoAccess),
              SdoCheck::Accept);
}

TEST(StoredPdo, ByteChoicesPackIntoPoscomp) {
    EXPECT_EQ(PackByteChoices(2, 1), "33");
    const ByteChoices back = UnpackByteChoices("33");
    EXPECT_EQ(back.high, 2);
    EXPECT_EQ(back.low, 1);
    const ByteChoices odd = UnpackByteChoices("0x9F"); // 9 and 15: no such items
    EXPECT_FALSE(odd.high);
    EXPECT_FALSE(odd.low);
    EXPECT_THROW(UnpackByteChoices(""), ConversionError);
}

TEST(StoredPdo, CsvAndSheetRecordsCarryIndexSubindexNrpdoPoscomp) {
    StoredPdos m = TwoSides();
    m[PdoSide::A].pdos[1].entries = {{"0x2000", "1", "33"}, {"0x1000", "2", "0"}};
    m[PdoSide::B].pdos[0].entries = {{"5", "6", "7"}};
    std::vector<CsvLine> lines = StoredPdoCsvLines(m);
    EXPECT_EQ(lines,
              (std::vector<CsvLine>{
                  {"0x2000", "1", "2", "33"}, {"0x1000", "2", "2", "0"}, {"5", "6", "129", "7"}}));
    // The export with a title row added imports back into the same entries;
    // what the PDOs held before is dropped once the sheet is found.
    lines.insert(lines.begin(), {"index", "subindex", "nrpdo", "poscomp"});
    StoredPdos back = TwoSides();
    back[PdoSide::A].pdos[0].entries = {{"9", "9", "0"}};
    ImportReport report = ImportRecords(gwtest::SheetOfLines(lines), StoredPdoImporter(back));
    EXPECT_EQ(report.placed, 3);
    EXPECT_FALSE(report.stop);
    EXPECT_EQ(back[PdoSide::A].pdos, m[PdoSide::A].pdos);
    EXPECT_EQ(back[PdoSide::B].pdos, m[PdoSide::B].pdos);

    // A record beyond the PDOs is dropped; an empty nrpdo ends the import there.
    report = ImportRecords(gwtest::SheetOfLines({{"i", "s", "n", "p"},
                                                 {"1", "1", "130", "0"},
                                                 {"2", "2", "1", "0"},
                                                 {"3", "3", "", "0"},
                                                 {"4", "4", "1", "0"}}),
                           StoredPdoImporter(back));
    EXPECT_EQ(report.dropped, 1);
    EXPECT_EQ(report.placed, 1);
    ASSERT_TRUE(report.stop);
    EXPECT_EQ(report.stop->record, 3);
    EXPECT_EQ(back[PdoSide::A].pdos[0].entries, (std::vector<TClSdo>{{"2", "2", "0"}}));
}

TEST(SaveOrder, EqualKeysInListOrderOrLaterFirst) {
    using Keys = std::vector<std::array<std::int64_t, 1>>;
    const Keys keys = {{3}, {1}, {3}, {2}, {1}};
    EXPECT_EQ(SaveOrder(keys, 999999, EqualKeys::ListOrder),
              (std::vector<std::size_t>{1, 4, 3, 0, 2}));
    EXPECT_EQ(SaveOrder(keys, 999999, EqualKeys::LaterFirst),
              (std::vector<std::size_t>{4, 1, 3, 2, 0}));
    // From the ceiling on: after all others, in list order.
    EXPECT_EQ(SaveOrder(Keys{{2000000}, {5}, {999999}, {-1}}, 999999, EqualKeys::LaterFirst),
              (std::vector<std::size_t>{3, 1, 0, 2}));
}

} // namespace
