#include "extras/xml_tree.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

using gw::XmlTree;
using gw::XmlWriteError;

namespace {

XmlTree TreeOf(const std::string& text, const std::string& file = "doc.xml") {
    gw::TXMLDocument doc = gw::ParseXml(text);
    doc.SetFile(file);
    return XmlTree(std::move(doc));
}

// The item at a path of rows below the top item.
XmlTree::Item& At(XmlTree& tree, std::initializer_list<std::size_t> rows) {
    XmlTree::Item* item = tree.Top();
    for (std::size_t r : rows)
        item = &tree.Child(*item, r);
    return *item;
}

std::string WriteError(XmlTree& tree, const std::string& projectDir = "/tmp") {
    try {
        gw::WriteXmlTree(tree, projectDir);
    } catch (const XmlWriteError& e) {
        return e.what();
    }
    return "(written)";
}

TEST(XmlTree, ItemsAreMadeLevelByLevel) {
    XmlTree tree = TreeOf("<r><a x='1'><b/></a><c/></r>");
    XmlTree::Item& top = *tree.Top();
    EXPECT_FALSE(top.made);
    EXPECT_EQ(tree.ChildCount(top), 1u);
    XmlTree::Item& r = tree.Child(top, 0);
    EXPECT_TRUE(top.made);
    EXPECT_FALSE(r.made);
    EXPECT_EQ(tree.ChildCount(r), 2u);
    EXPECT_EQ(tree.Text(tree.Child(r, 0)), "a");
    EXPECT_EQ(tree.Child(r, 1).parent, &r);
    EXPECT_EQ(tree.Child(r, 1).row, 1u);
    EXPECT_FALSE(tree.Child(r, 0).made);
    EXPECT_EQ(tree.MakeAll(), 6u);
    EXPECT_EQ(tree.Text(At(tree, {0, 0, 0})), "x = 1");
}

TEST(XmlTree, EditedTextsReplaceCaptions) {
    XmlTree tree = TreeOf("<r a='1'/>");
    XmlTree::Item& a = At(tree, {0, 0});
    EXPECT_FALSE(tree.Edited(a));
    tree.SetText(a, "a = 2");
    EXPECT_TRUE(tree.Edited(a));
    EXPECT_EQ(tree.Text(a), "a = 2");
    EXPECT_EQ(gw::XmlTreeDocumentText(tree), "<r a=\"2\"/>");
}

TEST(XmlTree, WriteSplitsEditedTextsAtTheFirstEquals) {
    XmlTree tree = TreeOf("<r><e id_dev=' 5 ' name='x'>t</e><f/></r>");
    tree.SetText(At(tree, {0, 0, 1}), "  name =  a = b  ");
    tree.SetText(At(tree, {0, 1}), "g=  text ");
    tree.SetText(At(tree, {0, 0}), "e");
    // Unedited items keep their exact value (the blanks of " 5 ").
    EXPECT_EQ(gw::XmlTreeDocumentText(tree),
              "<r><e id_dev=\" 5 \" name=\"a = b\"/><g>text</g></r>");
    // An attribute text without "=" is the name with an empty value.
    tree.SetText(At(tree, {0, 0, 0}), "id_dev");
    EXPECT_EQ(gw::XmlTreeDocumentText(tree), "<r><e id_dev=\"\" name=\"a = b\"/><g>text</g></r>");
}

TEST(XmlTree, WriteKeepsEveryShapeTheReaderMakes) {
    // Declaration and processing instructions around the root, attributes and
    // text on the root, elements nested deeper than one level, and the
    // characters that need escaping.
    const std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?><?style a?>"
                             "<root k=\"v&amp;&quot;\">top<l1><l2><l3 z=\"&lt;\">deep&gt;</l3>"
                             "</l2><?in l1?></l1></root><?after x?>";
    XmlTree tree = TreeOf(text);
    EXPECT_EQ(gw::XmlTreeDocumentText(tree), text);

    tree.SetText(At(tree, {2}), "root = new top");
    tree.SetText(At(tree, {1}), "styleProcessingInstruction = b");
    tree.SetText(At(tree, {3}), "later = y");
    EXPECT_EQ(gw::XmlTreeDocumentText(tree),
              "<?xml version=\"1.0\" encoding=\"utf-8\"?><?style b?><root k=\"v&amp;&quot;\">"
              "new top<l1><l2><l3 z=\"&lt;\">deep&gt;</l3></l2><?in l1?></l1></root><?later y?>");
}

TEST(XmlTree, WriteRefusesWhatADocumentCannotHold) {
    const struct {
        const char* document;
        std::initializer_list<std::size_t> item;
        const char* text;
        const char* message;
    } cases[] = {
        {"<r a='1'/>", {0, 0}, "my attr = 1", "\"my attr\" is not a valid XML name"},
        {"<r><e/></r>", {0, 0}, "1e", "\"1e\" is not a valid XML name"},
        {"<r><e/></r>", {0, 0}, " = x", "\"\" is not a valid XML name"},
        {"<r a='1' b='2'/>", {0, 1}, "a = 3", "Attribute \"a\" appears twice in \"r\""},
        {"<r><?p x?></r>",
         {0, 0},
         "pProcessingInstruction = a?>b",
         "Processing instruction \"p\" cannot contain \"?>\""},
        {"<r><?p x?></r>",
         {0, 0},
         "XmlProcessingInstruction = a",
         "Processing instruction cannot have the reserved name \"xml\""},
        {"<?xml version='1.0'?><r/>",
         {0, 0},
         "encoding = ISO-8859-1",
         "Write stores UTF-8, but the XML declaration names the encoding \"ISO-8859-1\""},
    };
    for (const auto& c : cases) {
        XmlTree tree = TreeOf(c.document);
        tree.SetText(At(tree, c.item), c.text);
        EXPECT_EQ(WriteError(tree), c.message) << c.document << " / " << c.text;
    }
    XmlTree tree = TreeOf("<r>x</r>");
    tree.SetText(At(tree, {0}), std::string("r = a\0b", 7));
    EXPECT_EQ(WriteError(tree), "\"r\": character 2 (U+0000) cannot be stored in an XML document");
    // Read from a file as a reference, a control character is refused as well:
    // written back it would be a reference XML 1.0 does not allow.
    XmlTree control = TreeOf("<r a='x&#1;'/>");
    EXPECT_EQ(WriteError(control),
              "\"a\": character 2 (U+0001) cannot be stored in an XML document");
}

TEST(XmlTree, WriteGoesIntoTheProjectFolderOnly) {
    gwtest::TempDir project;
    XmlTree tree = TreeOf("<r a='1'/>", "doc.xml");
    EXPECT_EQ(gw::WriteXmlTree(tree, project.Path()), project / "doc.xml");
    EXPECT_EQ(gwtest::ReadFile(project / "doc.xml"), "<r a=\"1\"/>");

    // The name follows the top item's text: after its first ":", trimmed; the
    // whole text when it has no ":".
    tree.SetText(*tree.Top(), "File:   other.xml  ");
    EXPECT_EQ(gw::WriteXmlTree(tree, project.Path()), project / "other.xml");
    tree.SetText(*tree.Top(), "plain.xml");
    EXPECT_EQ(gw::XmlWriteFileName(tree), "plain.xml");

    const struct {
        const char* caption;
        const char* message;
    } refused[] = {
        {"File: ../up.xml", "File name not valid: \"../up.xml\""},
        {"File: /etc/x.xml", "File name not valid: \"/etc/x.xml\""},
        {"File: sub/x.xml", "File name not valid: \"sub/x.xml\""},
        {"File: sub\\x.xml", "File name not valid: \"sub\\x.xml\""},
        {"File: ..", "File name not valid: \"..\""},
        {"File:   ", "File name not valid: \"\""},
    };
    for (const auto& r : refused) {
        tree.SetText(*tree.Top(), r.caption);
        EXPECT_EQ(WriteError(tree, project.Path()), r.message) << r.caption;
    }
    EXPECT_FALSE(
        std::filesystem::exists(std::filesystem::path(project.Path()).parent_path() / "up.xml"));

    tree.SetText(*tree.Top(), "File: doc.xml");
    EXPECT_EQ(WriteError(tree, ""), "Project not valid");
    XmlTree empty;
    EXPECT_EQ(WriteError(empty, project.Path()), "Nothing to write: open an XML file first");
}

TEST(XmlTree, RefusedWriteLeavesTheFileAlone) {
    gwtest::TempDir project;
    gwtest::WriteFile(project / "doc.xml", "old");
    XmlTree tree = TreeOf("<r a='1' b='2'/>", "doc.xml");
    tree.SetText(At(tree, {0, 1}), "a = 2");
    EXPECT_THROW(gw::WriteXmlTree(tree, project.Path()), XmlWriteError);
    EXPECT_EQ(gwtest::ReadFile(project / "doc.xml"), "old");
}

} // namespace
