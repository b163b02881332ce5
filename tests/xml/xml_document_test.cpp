#include "common/errors.h"
#include "support/temp_dir.h"
#include "xml/xml_document.h"

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

} // namespace
