#include "gateway/pargen.h"

#include "common/errors.h"
#include "support/findings_text.h"
#include "support/temp_dir.h"
#include "xml/xml_document.h"

#include <gtest/gtest.h>

namespace {

using gw::PargenFields;

constexpr const char* kDefaultDocument =
    "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>1</Can_Send_Data>"
    "<Can_Send_Time>100</Can_Send_Time><Can_TO>10</Can_TO><Profi_ID>1</Profi_ID>"
    "<Profi_Baud>10</Profi_Baud><Profi_Frames>0</Profi_Frames></Par_Gen>";

PargenFields FromText(const std::string& text) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "pargen.xml", text);
    return gw::LoadPargenFields(dir / "pargen.xml");
}

TEST(Pargen, MissingFileGivesDefaultsAndDefaultsSaveToTheFixedDocument) {
    gwtest::TempDir dir;
    PargenFields f = gw::LoadPargenFields(dir / "pargen.xml");
    EXPECT_EQ(f, PargenFields{});
    EXPECT_EQ(gw::CanBaudText(f.canBaudIndex), "250K");
    EXPECT_EQ(gw::ProfiBaudText(f.profiBaudIndex), "Auto Baudrate");

    gw::SavePargen(dir / "pargen.xml", f);
    EXPECT_EQ(gwtest::ReadFile(dir / "pargen.xml"), kDefaultDocument);
    EXPECT_EQ(gw::LoadPargenFields(dir / "pargen.xml"), f);
}

TEST(Pargen, EachElementFallsBackOnItsOwn) {
    PargenFields f = FromText("<Par_Gen><Can_Baud>2</Can_Baud><Can_Type>0</Can_Type>"
                              "<Can_Send_Data>abc</Can_Send_Data><Can_TO>$20</Can_TO>"
                              "<Profi_ID></Profi_ID><Profi_Baud>3</Profi_Baud>"
                              "<Profi_Frames>1</Profi_Frames></Par_Gen>");
    EXPECT_EQ(f.canBaudIndex, 1);    // 50K
    EXPECT_FALSE(f.canType11Bit);    // any integer but 1
    EXPECT_TRUE(f.sendOnDataChange); // not an integer: default
    EXPECT_EQ(f.sendTime, "100");    // missing: default
    EXPECT_EQ(f.timeOut, "$20");     // as stored, unchecked
    EXPECT_EQ(f.profiId, "");        // as stored, even empty
    EXPECT_EQ(f.profiBaudIndex, 10); // the stored rate is never used
    EXPECT_TRUE(f.gsdFromMapping);

    EXPECT_FALSE(FromText("<Par_Gen><Can_Send_Data>7</Can_Send_Data></Par_Gen>").sendOnDataChange);
    EXPECT_FALSE(FromText("<Par_Gen><Profi_Frames>01</Profi_Frames></Par_Gen>").gsdFromMapping);
    EXPECT_EQ(FromText("<Par_Gen><Can_Baud>x</Can_Baud></Par_Gen>").canBaudIndex, 4);
}

TEST(Pargen, BaudOutsideTheListLoadsAsNoSelectionAndSavesAsZero) {
    for (const char* baud : {"0", "9", "-1"}) {
        PargenFields f =
            FromText(std::string("<Par_Gen><Can_Baud>") + baud + "</Can_Baud></Par_Gen>");
        EXPECT_EQ(f.canBaudIndex, -1) << baud;
        EXPECT_EQ(gw::CanBaudText(f.canBaudIndex), "");
        EXPECT_NE(gw::PargenDocumentText(f).find("<Can_Baud>0</Can_Baud>"), std::string::npos);
    }
    EXPECT_EQ(FromText("<Par_Gen><Can_Baud>8</Can_Baud></Par_Gen>").canBaudIndex, 7);
}

TEST(Pargen, RootIsTheFirstNodeWhateverItIs) {
    std::string body = "<Par_Gen><Can_Baud>1</Can_Baud><Profi_ID>7</Profi_ID></Par_Gen>";
    EXPECT_EQ(FromText("<?xml version=\"1.0\"?>" + body), PargenFields{});
    EXPECT_EQ(FromText("<!-- note -->" + body), PargenFields{});
    // Not looked up by name: another root name still loads.
    EXPECT_EQ(FromText("<Other><Profi_ID>7</Profi_ID></Other>").profiId, "7");
}

TEST(Pargen, NotWellFormedOrUnreadableDocumentThrowsTheParserText) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "pargen.xml", "<Par_Gen><Can_Baud>5</Par_Gen>");
    try {
        gw::LoadPargenFields(dir / "pargen.xml");
        FAIL() << "no error";
    } catch (const gw::XmlError& e) {
        EXPECT_NE(std::string(e.what()).find("line 1"), std::string::npos) << e.what();
    }
}

TEST(Pargen, RangeChecksListEveryMessageInOrder) {
    const std::string send = gw::pargen::kMsgSendTime;
    const std::string to = gw::pargen::kMsgTimeOut;
    const std::string id = gw::pargen::kMsgProfiId;
    EXPECT_EQ(send, "Error!! The Time Before send a new frame must be between 1 and 65535. ");
    EXPECT_EQ(to, "Error!! CAN TimeOut Data must be between 0 and 10000. ");
    EXPECT_EQ(id, "Error!! ProfiBus address must be between 1 and 125. ");

    struct Case {
        const char *sendTime, *timeOut, *profiId;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"1", "0", "1", {}},
        {"65535", "10000", "125", {}},
        {"$FFFF", "x0", "$14", {}},
        {"0", "10", "1", {send}},
        {"65536", "10", "1", {send}},
        {"abc", "10", "1", {send}},
        {"", "10", "1", {send}},
        {"100", "-1", "1", {to}},
        {"100", "10001", "1", {to}},
        {"100", "10", "0", {id}},
        {"100", "10", "126", {id}},
        {"100", "10", " 7 ", {id}},
        {"0", "10001", "126", {send, to, id}},
        {"x", "y", "z", {send, to, id}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(gwtest::Messages(gw::CheckPargenFields(c.sendTime, c.timeOut, c.profiId)),
                  c.expected)
            << c.sendTime << "|" << c.timeOut << "|" << c.profiId;

    PargenFields f;
    f.sendTime = "0";
    f.profiId = "0";
    EXPECT_EQ(gw::FirstPargenError(f), send);
    EXPECT_EQ(gw::FirstPargenError(PargenFields{}), std::nullopt);
}

TEST(Pargen, NumericFieldsAreWrittenAsTyped) {
    PargenFields f;
    f.canBaudIndex = 7;
    f.canType11Bit = false;
    f.sendOnDataChange = false;
    f.sendTime = "0x3E8";
    f.timeOut = "0";
    f.profiId = "$14";
    f.gsdFromMapping = true;
    EXPECT_EQ(gw::PargenDocumentText(f),
              "<Par_Gen><Can_Baud>8</Can_Baud><Can_Type>0</Can_Type>"
              "<Can_Send_Data>0</Can_Send_Data><Can_Send_Time>0x3E8</Can_Send_Time>"
              "<Can_TO>0</Can_TO><Profi_ID>$14</Profi_ID><Profi_Baud>10</Profi_Baud>"
              "<Profi_Frames>1</Profi_Frames></Par_Gen>");
}

TEST(Pargen, SaveIntoAFolderThatHasGoneThrowsAndWritesNothing) {
    gwtest::TempDir dir;
    EXPECT_THROW(gw::SavePargen(dir / "gone/pargen.xml", PargenFields{}), gw::FileError);
}

} // namespace
