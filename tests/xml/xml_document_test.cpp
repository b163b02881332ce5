#include "common/errors.h"
#include "support/temp_dir.h"
#include "xml/xml_document.h"
#include "xml/xml_text.h"

#include <gtest/gtest.h>

using namespace gw;
using gwtest::ReadFile;
using gwtest::TempDir;
using gwtest::WriteFile;

namespace {

TEST(XmlDocument, FirstTopLevelNodeIsTheRoot) {
    struct Case {
        const char* text;
        const char* rootName; // "" for a node without a name
        bool hasChild;
    } cases[] = {
        {"<Par_Gen><Can_Type>1</Can_Type></Par_Gen>", "Par_Gen", true},
        {"  \n<Other>\n  <Can_Type>1</Can_Type>\n</Other>\n", "Other", true},
        // A declaration or a comment in front is the root; it has no elements.
        {"<?xml version=\"1.0\"?><Par_Gen><Can_Type>1</Can_Type></Par_Gen>", "xml", false},
        {"<!-- c --><Par_Gen><Can_Type>1</Can_Type></Par_Gen>", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        XmlDocument d = XmlDocument::LoadText(c.text);
        EXPECT_STREQ(d.Root().name(), c.rootName);
        EXPECT_EQ(ChildText(d.Root(), "Can_Type").has_value(), c.hasChild);
    }
}

TEST(XmlDocument, WhitespaceBetweenElementsMakesNoNodes) {
    XmlDocument d = XmlDocument::LoadText("<a>\n  <row x=\"1\"/>\n  <row x=\"2\"/>\n</a>");
    int n = 0;
    for ([[maybe_unused]] auto c : d.Root().children())
        ++n;
    EXPECT_EQ(n, 2);
}

TEST(XmlDocument, SavesRawUtf8WithAttributesInOrder) {
    TempDir dir;
    XmlDocument d;
    pugi::xml_node root = d.ResetWithRoot("Profibus_to_Send_CAN");
    pugi::xml_node row = root.append_child("Send_Frames").append_child("row");
    row.append_attribute("Cob_Id") = "$181";
    row.append_attribute("Dimension") = "8";
    row.append_attribute("Swap") = "";
    row.append_attribute("Mnemonic") = "Température <a&b> \"q\"";
    d.SaveFile(dir / "pdo.xml");
    EXPECT_EQ(ReadFile(dir / "pdo.xml"),
              "<Profibus_to_Send_CAN><Send_Frames><row Cob_Id=\"$181\" Dimension=\"8\" Swap=\"\" "
              "Mnemonic=\"Température &lt;a&amp;b> &quot;q&quot;\"/></Send_Frames>"
              "</Profibus_to_Send_CAN>");
    // And it reads back to the same values.
    XmlDocument back = XmlDocument::LoadFile(dir / "pdo.xml");
    EXPECT_EQ(AttributeText(back.Root().first_child().first_child(), "Mnemonic"),
              "Température <a&b> \"q\"");
    EXPECT_FALSE(AttributeText(back.Root().first_child().first_child(), "Delete"));
}

TEST(XmlDocument, LoadErrorCarriesParserTextAndPosition) {
    TempDir dir;
    WriteFile(dir / "bad.xml", "<a>\n<b></c></a>");
    try {
        XmlDocument::LoadFile(dir / "bad.xml");
        FAIL() << "no error";
    } catch (const XmlError& e) {
        EXPECT_EQ(e.Line(), 2);
        const std::string m = e.what();
        EXPECT_NE(m.find("Start-end tags mismatch"), std::string::npos) << m;
        EXPECT_NE(m.find("line 2"), std::string::npos) << m;
        EXPECT_NE(m.find(dir / "bad.xml"), std::string::npos) << m;
    }
    EXPECT_THROW(XmlDocument::LoadFile(dir / "absent.xml"), FileError);
}

TEST(XmlDocument, FailedSaveKeepsThePreviousFile) {
    TempDir dir;
    XmlDocument d;
    d.ResetWithRoot("a");
    EXPECT_THROW(d.SaveFile(dir / "no/such/folder/a.xml"), FileError);
}

TEST(FindUnfitXmlChar, OnlyWhatXml10CanHold) {
    const struct {
        std::string text;
        std::optional<std::size_t> position;
        std::uint32_t code;
    } cases[] = {
        {"", std::nullopt, 0},
        {"pump & <valve> \"1\"", std::nullopt, 0},
        {"tab\tcr\rlf\n", std::nullopt, 0},
        {"\xC2\xB0 \xE2\x82\xAC \xF0\x9F\x98\x80 \xEF\xBF\xBD", std::nullopt, 0},
        {"ab\x01", 3, 0x01},
        {std::string("\0", 1), 1, 0x00},
        {"a\x1F", 2, 0x1F},
        {"\xC2\xB0\x0B", 2, 0x0B}, // counted in characters, not bytes
        {"x\xEF\xBF\xBE", 2, 0xFFFE},
        {"x\xEF\xBF\xBF", 2, 0xFFFF},
        {"x\xFF", 2, 0xFF},         // not UTF-8
        {"x\xC0\x80", 2, 0xC0},     // overlong NUL
        {"x\xED\xA0\x80", 2, 0xED}, // a surrogate
        {"x\xE2\x82", 2, 0xE2},     // cut short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto unfit = gw::FindUnfitXmlChar(c.text);
        ASSERT_EQ(unfit.has_value(), c.position.has_value());
        if (unfit) {
            EXPECT_EQ(unfit->position, *c.position);
            EXPECT_EQ(unfit->code, c.code);
        }
    }
    EXPECT_EQ(gw::DescribeUnfitXmlChar(*gw::FindUnfitXmlChar("ab\x01")), "character 3 (U+0001)");
    EXPECT_EQ(gw::DescribeUnfitXmlChar(*gw::FindUnfitXmlChar("\xFF")),
              "character 1 (byte 0xFF, not UTF-8)");
}

} // namespace
