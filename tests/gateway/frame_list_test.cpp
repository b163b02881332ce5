#include "gateway/frame_list.h"

#include "common/errors.h"
#include "support/findings_text.h"
#include "support/temp_dir.h"
#include "xml/xml_document.h"

#include <gtest/gtest.h>

namespace {

using gw::CobIdWidth;
using gw::FrameEntry;
using gw::FrameGrid;
using gw::FrameListKind;

const FrameListKind kReceive = FrameListKind::Receive;
const FrameListKind kSend = FrameListKind::Send;

// Fills rows from 1 with Cob-ID and Dimension only.
FrameGrid GridOf(FrameListKind kind,
                 std::initializer_list<std::pair<const char*, const char*>> rows) {
    FrameGrid g(kind);
    int r = 0;
    for (auto [cob, dim] : rows) {
        ++r;
        g.SetCell(1, r, cob);
        g.SetCell(2, r, dim);
    }
    return g;
}

TEST(FrameGrid, HasTitleRowNumberedRowsAndColumnsPerKind) {
    FrameGrid rx(kReceive);
    FrameGrid tx(kSend);
    EXPECT_EQ(rx.ColumnCount(), 6);
    EXPECT_EQ(tx.ColumnCount(), 5);
    EXPECT_EQ(rx.Cell(0, 0), "N\u00B0");
    EXPECT_EQ(rx.Cell(4, 0), "Delete");
    EXPECT_EQ(tx.Cell(4, 0), "Mnemonic");
    EXPECT_EQ(rx.Cell(0, 1), "1");
    EXPECT_EQ(rx.Cell(0, 30), "30");
    EXPECT_THROW(rx.Cell(1, 31), std::out_of_range);
}

TEST(ReadCobIdWidth, OneIsElevenBitAnythingElseNumericIsTwentyNine) {
    gwtest::TempDir dir;
    const std::string path = dir / "pargen.xml";
    EXPECT_EQ(gw::ReadCobIdWidth(path), CobIdWidth::Bits11); // no file
    struct Case {
        const char* doc;
        CobIdWidth width;
    };
    const Case cases[] = {
        {"<Par_Gen><Can_Type>1</Can_Type></Par_Gen>", CobIdWidth::Bits11},
        {"<Par_Gen><Can_Type>$1</Can_Type></Par_Gen>", CobIdWidth::Bits11},
        {"<Par_Gen><Can_Type>0</Can_Type></Par_Gen>", CobIdWidth::Bits29},
        {"<Par_Gen><Can_Type>2</Can_Type></Par_Gen>", CobIdWidth::Bits29},
        {"<Par_Gen><Can_Type>yes</Can_Type></Par_Gen>", CobIdWidth::Bits11},
        {"<Par_Gen/>", CobIdWidth::Bits11},
        {"<?xml version=\"1.0\"?><Par_Gen><Can_Type>0</Can_Type></Par_Gen>", CobIdWidth::Bits11},
    };
    for (const Case& c : cases) {
        gwtest::WriteFile(path, c.doc);
        EXPECT_EQ(gw::ReadCobIdWidth(path), c.width) << c.doc;
    }
    gwtest::WriteFile(path, "<Par_Gen><Can_Type>0</Can_Type>");
    EXPECT_THROW(gw::ReadCobIdWidth(path), gw::XmlError);
}

TEST(FrameSave, ReceiveListIsWrittenVerbatimWithEveryAttributeInOrder) {
    gwtest::TempDir dir;
    FrameGrid g(kReceive);
    g.SetRow(1, {"385", "8", "0xE0", "Y", "Motor & <pump> \"A\""});
    g.SetRow(2, {"$7ff", " 2", "", "", ""});
    g.SetRow(3, {"x181", "abc", "7", "N", "third"});
    gw::SaveFrameDocument(kReceive, g, dir / "sdo.xml");
    EXPECT_EQ(gwtest::ReadFile(dir / "sdo.xml"),
              "<Profibus_to_Receive_CAN><Receive_Frames>"
              "<row Cob_Id=\"385\" Dimension=\"8\" Swap=\"0xE0\" Delete=\"Y\" "
              "Mnemonic=\"Motor &amp; &lt;pump> &quot;A&quot;\"/>"
              "<row Cob_Id=\"$7ff\" Dimension=\" 2\" Swap=\"\" Delete=\"\" Mnemonic=\"\"/>"
              "<row Cob_Id=\"x181\" Dimension=\"abc\" Swap=\"7\" Delete=\"N\" Mnemonic=\"third\"/>"
              "</Receive_Frames></Profibus_to_Receive_CAN>");
}

TEST(FrameSave, SendListHasNoDeleteAndStopsAtTheFirstEmptyCobId) {
    FrameGrid g = GridOf(kSend, {{"0", "8"}, {"$181", "1"}, {"0x181", "2"}});
    g.SetCell(4, 1, "zero");
    g.SetCell(1, 5, "$999"); // row 5, after the empty row 4: neither checked nor saved
    g.SetCell(2, 5, "99");
    EXPECT_TRUE(gwtest::Messages(gw::CheckFrameRows(kSend, g, CobIdWidth::Bits11)).empty());
    EXPECT_EQ(gw::FrameDocumentText(kSend, gw::FramesToSave(g)),
              "<Profibus_to_Send_CAN><Send_Frames>"
              "<row Cob_Id=\"0\" Dimension=\"8\" Swap=\"\" Mnemonic=\"zero\"/>"
              "<row Cob_Id=\"$181\" Dimension=\"1\" Swap=\"\" Mnemonic=\"\"/>"
              "<row Cob_Id=\"0x181\" Dimension=\"2\" Swap=\"\" Mnemonic=\"\"/>"
              "</Send_Frames></Profibus_to_Send_CAN>");
}

TEST(FrameSave, EmptyFirstRowGivesAnEmptyList) {
    EXPECT_EQ(gw::FrameDocumentText(kReceive, gw::FramesToSave(FrameGrid(kReceive))),
              "<Profibus_to_Receive_CAN><Receive_Frames/></Profibus_to_Receive_CAN>");
    EXPECT_EQ(gw::FrameDocumentText(kSend, {}),
              "<Profibus_to_Send_CAN><Send_Frames/></Profibus_to_Send_CAN>");
}

TEST(FrameSave, AllThirtyRowsAreCheckedAndSaved) {
    FrameGrid g(kSend);
    for (int r = 1; r <= gw::MaxFrameRows; ++r) {
        g.SetCell(1, r, std::to_string(r));
        g.SetCell(2, r, "8");
    }
    EXPECT_TRUE(gwtest::Messages(gw::CheckFrameRows(kSend, g, CobIdWidth::Bits11)).empty());
    ASSERT_EQ(gw::FramesToSave(g).size(), 30u);
    EXPECT_EQ(gw::FramesToSave(g).back().Cob_Id, "30");
    g.SetCell(2, 30, "9");
    EXPECT_EQ(gw::FirstFrameRowError(kSend, g, CobIdWidth::Bits11),
              "Error row 30!! CANOpen Dimension must be between 1 and 8. ");
}

TEST(FrameSave, FolderThatHasGoneThrowsTheSystemText) {
    gwtest::TempDir dir;
    EXPECT_THROW(gw::SaveFrameDocument(kSend, FrameGrid(kSend), dir / "gone/pdo.xml"),
                 gw::FileError);
}

TEST(FrameCheck, CobIdRangeDependsOnTheWidth) {
    const std::string cob11 = "!! CANOpen Cob-Id must be between 0x000 and 0x7FF. ";
    const std::string cob29 = "!! CANOpen Cob-Id must be between 0x000 and 0x1FFFFFFF. ";
    struct Case {
        const char* cobId;
        bool ok11, ok29;
    };
    const Case cases[] = {
        {"0", true, true},          {"$7FF", true, true},        {"$800", false, true},
        {"$1FFFFFFF", false, true}, {"$20000000", false, false}, {"-1", false, false},
        {"12 ", false, false},      {" 12", true, true},         {"abc", false, false},
        {"$181", true, true},       {"0x181", true, true},       {"x181", true, true},
        {"385", true, true},        {"$FFFFFFFF", false, false},
    };
    for (const Case& c : cases) {
        FrameGrid g = GridOf(kReceive, {{"1", "1"}, {"2", "8"}, {c.cobId, "4"}});
        auto e11 = gwtest::Messages(gw::CheckFrameRows(kReceive, g, CobIdWidth::Bits11));
        auto e29 = gwtest::Messages(gw::CheckFrameRows(kReceive, g, CobIdWidth::Bits29));
        EXPECT_EQ(e11, c.ok11 ? std::vector<std::string>{}
                              : std::vector<std::string>{"Error row 3" + cob11})
            << c.cobId;
        EXPECT_EQ(e29, c.ok29 ? std::vector<std::string>{}
                              : std::vector<std::string>{"Error row 3" + cob29})
            << c.cobId;
    }
}

TEST(FrameCheck, ListsEveryErrorButOkShowsOnlyTheFirst) {
    FrameGrid g = GridOf(
        kSend,
        {{"1", "1"}, {"$800", "0"}, {"3", "8"}, {"4", ""}, {"5", "9"}, {"6", "8"}, {"7", ""}});
    const std::vector<std::string> all = {
        "Error row 2!! CANOpen Cob-Id must be between 0x000 and 0x7FF. ",
        "Error row 2!! CANOpen Dimension must be between 1 and 8. ",
        "Error row 4!! CANOpen Dimension must be between 1 and 8. ",
        "Error row 5!! CANOpen Dimension must be between 1 and 8. ",
        "Error row 7!! CANOpen Dimension must be between 1 and 8. ",
    };
    EXPECT_EQ(gwtest::Messages(gw::CheckFrameRows(kSend, g, CobIdWidth::Bits11)), all);
    // Each finding names the list's document, the row and the column.
    EXPECT_EQ(gw::CheckFrameRows(kSend, g, CobIdWidth::Bits11)[1],
              (gw::Finding{"pdo.xml", 2, 2, all[1]}));
    EXPECT_EQ(gw::CheckFrameRows(kSend, g, CobIdWidth::Bits11)[0].column, 1);
    EXPECT_EQ(gw::FirstFrameRowError(kSend, g, CobIdWidth::Bits11), all.front());
    EXPECT_EQ(gw::FirstFrameRowError(kSend, g, CobIdWidth::Bits29),
              "Error row 2!! CANOpen Dimension must be between 1 and 8. ");
}

class FrameLoad : public ::testing::Test {
protected:
    gwtest::TempDir dir;
    std::string path = dir / "sdo.xml";
};

TEST_F(FrameLoad, MissingFileGivesTheEmptyNumberedGrid) {
    FrameGrid g(kReceive);
    g.SetCell(1, 4, "stale");
    gw::FrameLoadResult r = gw::LoadFrameDocument(kReceive, path, g);
    EXPECT_EQ(r.framesInDocument, 0);
    EXPECT_EQ(g.Cell(1, 4), "");
    EXPECT_EQ(g.Cell(0, 4), "4");
}

TEST_F(FrameLoad, ShowsCobIdInDollarFormAndDefaultsSwapAndDelete) {
    gwtest::WriteFile(path, "<Profibus_to_Receive_CAN>\n <Receive_Frames>\n"
                            "  <row Cob_Id=\"385\" Dimension=\"8\" Mnemonic=\"a\"/>\n"
                            "  <frame Cob_Id=\"$07f\" Dimension=\"x\" Swap=\"\" Delete=\"Y\" "
                            "Mnemonic=\"b\"/>\n"
                            "  <row Cob_Id=\"bad\" Dimension=\"2\" Swap=\"9\" Delete=\"\" "
                            "Mnemonic=\"\"/>\n"
                            "  <row Cob_Id=\"0x18FF0001\" Dimension=\"1\" Mnemonic=\"\"/>\n"
                            " </Receive_Frames>\n</Profibus_to_Receive_CAN>\n");
    FrameGrid g(kReceive);
    gw::FrameLoadResult r = gw::LoadFrameDocument(kReceive, path, g);
    EXPECT_EQ(r.framesShown, 4);
    EXPECT_EQ(g.Row(1), (FrameEntry{"$181", "8", "0x00", "N", "a"}));
    EXPECT_EQ(g.Row(2), (FrameEntry{"$07F", "x", "", "Y", "b"}));
    EXPECT_EQ(g.Row(3), (FrameEntry{"$000", "2", "9", "", ""}));
    EXPECT_EQ(g.Row(4), (FrameEntry{"$18FF0001", "1", "0x00", "N", ""}));
    EXPECT_EQ(g.Row(5), FrameEntry{});
}

TEST_F(FrameLoad, MissingCobIdStopsAfterTheRowsBeforeIt) {
    gwtest::WriteFile(path, "<Profibus_to_Send_CAN><Send_Frames>"
                            "<row Cob_Id=\"1\" Dimension=\"8\" Swap=\"0x80\" Mnemonic=\"a\"/>"
                            "<row Dimension=\"8\" Swap=\"0x80\" Mnemonic=\"b\"/>"
                            "<row Cob_Id=\"3\" Dimension=\"8\" Swap=\"0x80\" Mnemonic=\"c\"/>"
                            "</Send_Frames></Profibus_to_Send_CAN>");
    FrameGrid g(kSend);
    try {
        gw::LoadFrameDocument(kSend, path, g);
        FAIL() << "no error";
    } catch (const gw::ConversionError& e) {
        EXPECT_STREQ(e.what(),
                     "Could not convert attribute 'Cob_Id' of row 2 to text: the attribute is "
                     "missing");
    }
    EXPECT_EQ(g.Row(1), (FrameEntry{"$001", "8", "0x80", "", "a"}));
    EXPECT_EQ(g.Row(2), FrameEntry{});
    EXPECT_EQ(g.Row(3), FrameEntry{});
}

TEST_F(FrameLoad, MissingMnemonicKeepsTheCellsReadBeforeIt) {
    gwtest::WriteFile(path, "<R><Receive_Frames><row Cob_Id=\"5\" Dimension=\"3\"/>"
                            "</Receive_Frames></R>");
    FrameGrid g(kReceive);
    EXPECT_THROW(gw::LoadFrameDocument(kReceive, path, g), gw::ConversionError);
    EXPECT_EQ(g.Row(1), (FrameEntry{"$005", "3", "0x00", "N", ""}));
}

TEST_F(FrameLoad, NotWellFormedLeavesTheEmptyNumberedGrid) {
    gwtest::WriteFile(path, "<Profibus_to_Receive_CAN><Receive_Frames><row Cob_Id=\"1\"");
    FrameGrid g(kReceive);
    g.SetCell(1, 1, "stale");
    EXPECT_THROW(gw::LoadFrameDocument(kReceive, path, g), gw::XmlError);
    EXPECT_EQ(g.Cell(1, 1), "");
    EXPECT_EQ(g.Cell(0, 1), "1");
}

TEST_F(FrameLoad, ShowsOnlyTheFirstThirtyOfALongerList) {
    std::string doc = "<Profibus_to_Receive_CAN><Receive_Frames>";
    for (int i = 1; i <= 33; ++i)
        doc += "<row Cob_Id=\"" + std::to_string(i) + "\" Dimension=\"1\" Mnemonic=\"\"/>";
    // Rows beyond the editor's capacity are not read, so a fault there does not stop loading.
    doc += "<row/></Receive_Frames></Profibus_to_Receive_CAN>";
    gwtest::WriteFile(path, doc);
    FrameGrid g(kReceive);
    gw::FrameLoadResult r = gw::LoadFrameDocument(kReceive, path, g);
    EXPECT_EQ(r.framesInDocument, 34);
    EXPECT_EQ(r.framesShown, 30);
    EXPECT_EQ(g.Cell(1, 30), "$01E");
    EXPECT_EQ(gw::TooManyFramesMessage(kReceive, 34),
              "The document sdo.xml holds 34 frames; only the first 30 are shown, and only "
              "these 30 will be kept by OK.");
}

TEST_F(FrameLoad, SavedListLoadsBackWithCobIdNormalisedForDisplayOnly) {
    FrameGrid g(kReceive);
    g.SetRow(1, {"385", "8", "0xE0", "Y", "first"});
    g.SetRow(2, {"0", "1", "", "", ""});
    gw::SaveFrameDocument(kReceive, g, path);
    FrameGrid back(kReceive);
    gw::LoadFrameDocument(kReceive, path, back);
    EXPECT_EQ(back.Row(1), (FrameEntry{"$181", "8", "0xE0", "Y", "first"}));
    EXPECT_EQ(back.Row(2), (FrameEntry{"$000", "1", "", "", ""}));
}

} // namespace
