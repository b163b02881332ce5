#include "common/errors.h"
#include "extras/xml_reader.h"
#include "support/temp_dir.h"

#include <sstream>
#include <string>

#include <gtest/gtest.h>

using gw::ParseXml;
using gw::TXMLNode;
using gw::XmlReaderError;

namespace {

std::string Tree(const TXMLNode& doc) {
    std::ostringstream out;
    gw::PrintXmlTree(doc, out);
    return out.str();
}

std::string TreeOf(const std::string& text) {
    return Tree(ParseXml(text));
}

std::string ErrorOf(const std::string& text) {
    try {
        ParseXml(text);
    } catch (const XmlReaderError& e) {
        return e.what();
    }
    return "(parsed)";
}

struct ErrorCase {
    const char* input;
    const char* message;
};

TEST(XmlReader, EveryReaderErrorWithItsText) {
    const ErrorCase cases[] = {
        {"", "Unexpected end of data"},
        {" \t\r\n ", "Missing element"},
        {"<!-- only a comment -->", "Missing element"},
        {"<?pi only?>", "Missing element"},
        {"<!DOCTYPE a><a/>", "DocTypeDecl parsing not yet implemented"},
        {"<!-- c --> <!DOCTYPE a [ ]><a/>", "DocTypeDecl parsing not yet implemented"},
        {"<?xml version=\"1.0\"><a/>", "XML declaration not terminated with \"?>\""},
        {"<?xml version=\"1.0\"?<a/>", "XML declaration not terminated with \"?>\""},
        {"<?xml version=\"1.0\"encoding=\"UTF-8\"?><a/>",
         "XML declaration not terminated with \"?>\""},
        {"<a b=\"1\"c=\"2\"/>", "Tag not terminated properly"},
        {"<a/ >", "Tag not terminated properly"},
        {"<a", "Tag not terminated properly"},
        {"<a>text", "No ending tag for a"},
        {"<a><b>x</b>< c/></a>", "No ending tag for a"},
        {"<a><![CDAT[x]]></a>", "No ending tag for a"},
        {"<a></b>", "End tag name \"b\" does not match start tag name \"a\""},
        {"<a><b></a></b>", "End tag name \"a\" does not match start tag name \"b\""},
        {"<a></>", "End tag name \"\" does not match start tag name \"a\""},
        {"<a></a x>", "End tag missing \">\""},
        {"<a></a", "End tag missing \">\""},
        {"<a b/>", "Equals sign missing in attribute"},
        {"<a b=1/>", "Attribute \"b\" missing value"},
        {"<a b='x<y'/>", "Invalid character \"<\" in attribute value"},
        {"<a>x]]>y</a>", "Character data cannot contain \"]]>\""},
        {"<a><!-- x ---></a>", "Comments cannot end in \"--->\""},
        {"<a/><!-- after ---->", "Comments cannot end in \"--->\""},
        {"<a><? x?></a>", "Processing instruction does not contain valid name"},
        {"<a><?1x?></a>", "Processing instruction does not contain valid name"},
        {" <?xml version=\"1.0\"?><a/>",
         "Processing instruction cannot have the reserved name \"xml\""},
        {"<a><?XML x?></a>", "Processing instruction cannot have the reserved name \"xml\""},
        {"<a><?pi x</a>", "Unterminated processing instruction"},
        {"<a>&nbsp;</a>", "Unrecognized reference"},
        {"<a b='&;'/>", "Unrecognized reference"},
        {"<a>&#1x;</a>", "Invalid integer in reference &#1x;"},
        {"<a>&#;</a>", "Invalid integer in reference &#;"},
        {"<a b='&#xZZ;'/>", "Invalid integer in reference &#xZZ;"},
        {"<a>&#X41;</a>", "Invalid integer in reference &#X41;"},
        // Codes that name no character are refused, not cut to a byte.
        {"<a>&#0;</a>", "Invalid integer in reference &#0;"},
        {"<a>&#xD800;</a>", "Invalid integer in reference &#xD800;"},
        {"<a>&#1114112;</a>", "Invalid integer in reference &#1114112;"},
        {"<a>&amp</a>", "Unexpected end of data"},
        {"<a b='x", "Unexpected end of data"},
        {"<a><![CDATA[x]]</a>", "Unexpected end of data"},
        {"<a><!-- x --</a>", "Unexpected end of data"},
    };
    for (const ErrorCase& c : cases)
        EXPECT_EQ(ErrorOf(c.input), c.message) << "input: " << c.input;
}

TEST(XmlReader, TreeOfADocumentWithEveryKindOfNode) {
    const std::string text = "<?xml version=\"1.0\" encoding='UTF-8' ?>\r\n"
                             "<?xml-stylesheet href=\"a.xsl\"?>\n"
                             "<!-- comments make no node -->\n"
                             "<root a=\"1\" empty=\"\">\n"
                             "  <e id_dev=\"5\"/>\n"
                             "  <t>x<!-- c -->y</t>\n"
                             "  <n> &#65;&#x42;&lt;&gt;&amp;&quot;&apos;<![CDATA[<z>&amp;]]> </n>\n"
                             "  <?work done?>\n"
                             "  <d><dd k='a&amp;b'>deep</dd><?empty?></d>\n"
                             "</root>\n"
                             "<?after root?>";
    EXPECT_EQ(TreeOf(text), "File: \n"
                            "  XMLDeclaration\n"
                            "    version = 1.0\n"
                            "    encoding = UTF-8\n"
                            "  xml-stylesheetProcessingInstruction = href=\"a.xsl\"\n"
                            "  root\n"
                            "    a = 1\n"
                            "    empty\n"
                            "    e\n"
                            "      id_dev = 5\n"
                            "    t = xy\n"
                            "    n = AB<>&\"'<z>&amp;\n"
                            "    workProcessingInstruction = done\n"
                            "    d\n"
                            "      dd = deep\n"
                            "        k = a&b\n"
                            "      emptyProcessingInstruction\n"
                            "  afterProcessingInstruction = root\n");
}

TEST(XmlReader, NodeFieldsAndKinds) {
    const gw::TXMLDocument doc = ParseXml("<?xml version='1.0'?><r a='1'>  text  <c/><?p q?></r>");
    ASSERT_EQ(doc.children().size(), 2u);
    EXPECT_EQ(doc.kind(), TXMLNode::Document);
    const TXMLNode& decl = doc.children()[0];
    EXPECT_EQ(decl.kind(), TXMLNode::XMLDeclaration);
    EXPECT_EQ(decl.name(), "");
    const TXMLNode& r = doc.children()[1];
    EXPECT_EQ(r.kind(), TXMLNode::Element);
    EXPECT_EQ(r.value(), "text"); // trimmed at the end tag
    ASSERT_EQ(r.children().size(), 3u);
    EXPECT_EQ(r.children()[0].kind(), TXMLNode::Attribute);
    EXPECT_EQ(r.children()[1].kind(), TXMLNode::Element);
    EXPECT_EQ(r.children()[2].kind(), TXMLNode::ProcessingInstruction);
    EXPECT_EQ(r.children()[2].name(), "p");
    EXPECT_EQ(r.children()[2].value(), "q");
}

TEST(XmlReader, WhatTheReaderAcceptsAndIgnores) {
    // Names: letters, "_" and ":" first; digits, "-", "." and the middle dot after.
    EXPECT_EQ(TreeOf("<_a:b-1.c\xC2\xB7"
                     "d x.y='1'/>"),
              "File: \n  _a:b-1.c\xC2\xB7"
              "d\n    x.y = 1\n");
    // Whitespace around "=" and in the end tag.
    EXPECT_EQ(TreeOf("<a b \t=\n'1'></a \r\n>"), "File: \n  a\n    b = 1\n");
    // After the root element and its misc items, anything is ignored.
    EXPECT_EQ(TreeOf("<a/><!-- c --> junk <b>"), "File: \n  a\n");
    // Comments ending in exactly "-->" are fine, also when they hold dashes.
    EXPECT_EQ(TreeOf("<a><!-- a - b -- c -->x<!---->y</a>"), "File: \n  a = xy\n");
    // A NUL byte in text is data.
    EXPECT_EQ(ParseXml(std::string("<a>x\0y</a>", 10)).children()[0].value(),
              std::string("x\0y", 3));
}

TEST(XmlReader, ReferencesGiveTheirCharacterInUtf8) {
    EXPECT_EQ(ParseXml("<a>&#233;&#x20AC;&#128512;</a>").children()[0].value(),
              "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(ParseXml("<a b='&#321;'/>").children()[0].children()[0].value(), "\xC5\x81");
    // Leading zeros do not make a code too big.
    EXPECT_EQ(ParseXml("<a>&#00000000000000000065;</a>").children()[0].value(), "A");
}

// A reader that counts the positions handed out and not yet released, as a
// reader over a stream would to know what it must keep.
class CountingReader : public gw::TXMLReader {
public:
    explicit CountingReader(std::string_view text) : inner_(text) {}
    bool AtEnd() const override { return inner_.AtEnd(); }
    void ReleaseState(const gw::TXMLStringReaderState& s) override {
        --held;
        inner_.ReleaseState(s);
    }
    char ReadChar() override { return inner_.ReadChar(); }
    void RestoreState(const gw::TXMLStringReaderState& s) override { inner_.RestoreState(s); }
    gw::TXMLStringReaderState SaveState() override {
        ++held;
        ++saves;
        return inner_.SaveState();
    }
    int held = 0;
    int saves = 0;

private:
    gw::TXMLStringReader inner_;
};

TEST(XmlReader, AnyReaderGivesTheSameTreeAndReleasesEverySavedPosition) {
    const std::string text =
        "<?xml version='1.0'?><?p x?><!-- c --><r a='&amp;'><![CDATA[x]]><!--c--><e/>t</r>";
    CountingReader reader(text);
    const gw::TXMLDocument doc = ParseXml(reader);
    EXPECT_EQ(Tree(doc), TreeOf(text));
    EXPECT_GT(reader.saves, 0);
    EXPECT_EQ(reader.held, 0);
}

TEST(XmlReader, StringReaderPositionsAndEnd) {
    gw::TXMLStringReader r("ab");
    EXPECT_FALSE(r.AtEnd());
    EXPECT_EQ(r.ReadChar(), 'a');
    const gw::TXMLStringReaderState s = r.SaveState();
    EXPECT_EQ(s.position, 1u);
    EXPECT_EQ(s.current, 'a');
    EXPECT_EQ(r.ReadChar(), 'b');
    EXPECT_TRUE(r.AtEnd());
    EXPECT_EQ(r.ReadChar(), 0);
    EXPECT_EQ(r.ReadChar(), 0);
    r.RestoreState(s);
    EXPECT_FALSE(r.AtEnd());
    EXPECT_EQ(r.ReadChar(), 'b');
}

TEST(XmlReader, DeepNestingNeedsNoDeepStack) {
    constexpr int kDepth = 200000;
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += "<a>";
    text += "x";
    for (int i = 0; i < kDepth; ++i)
        text += "</a>";
    gw::TXMLDocument doc = ParseXml(text);
    const TXMLNode* n = &doc.Node();
    int depth = 0;
    while (!n->children().empty()) {
        n = &n->children()[0];
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(n->value(), "x");
    // Freed when `doc` goes out of scope, without recursion.
}

TEST(XmlReader, FilesAreReadAsUtf8OrElseLatin1) {
    gwtest::TempDir dir;
    // Valid UTF-8 stays as it is; a byte order mark is dropped.
    gwtest::WriteFile(dir / "utf8.xml", "\xEF\xBB\xBF<a>gr\xC3\xBC\xC3\x9F</a>");
    const gw::TXMLDocument u = gw::ReadXmlFile(dir / "utf8.xml");
    EXPECT_EQ(u.file(), "utf8.xml");
    EXPECT_EQ(Tree(u), "File: utf8.xml\n  a = gr\xC3\xBC\xC3\x9F\n");
    // Not UTF-8: every byte is a Latin-1 character, the references too.
    gwtest::WriteFile(dir / "latin1.xml", "<a b='\xE9'>gr\xFC\xDF &#233;</a>");
    EXPECT_EQ(Tree(gw::ReadXmlFile(dir / "latin1.xml")),
              "File: latin1.xml\n  a = gr\xC3\xBC\xC3\x9F \xC3\xA9\n    b = \xC3\xA9\n");
    EXPECT_THROW(gw::ReadXmlFile(dir / "missing.xml"), gw::FileError);
}

TEST(XmlReader, Utf8CheckRefusesMalformedSequences) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"plain", "plain"},
        {"\xC3\xA9", "\xC3\xA9"},
        {"\xC3", "\xC3\x83"},                                     // cut short
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                         // overlong
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},             // surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"}, // beyond U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(gw::XmlTextAsUtf8(c.in), c.out);
}

} // namespace

namespace {

// The tree through the general reader interface, one character at a time.
std::string TreeThroughAnyReader(const std::string& text) {
    gw::TXMLStringReader reader(text);
    return Tree(ParseXml(static_cast<gw::TXMLReader&>(reader)));
}

TEST(XmlReader, ElementTextsJoinedAroundChildrenCommentsAndReferences) {
    const struct {
        const char* input;
        const char* value;
    } cases[] = {
        {"<a> <b/> </a>", ""},
        {"<a>\n  <b/>\n  <c/>\n</a>", ""},
        {"<a>  <b/>x</a>", "x"},
        {"<a>x <b/> y</a>", "x  y"},
        {"<a>x<?p q?>y</a>", "xy"},
        {"<a>&#32;<b/> y </a>", "y"},
        {"<a>x<![CDATA[ y ]]>z</a>", "x y z"},
        {"<a> &amp; </a>", "&"},
        {"<a>x&lt;y<!-- c -->&gt;z</a>", "x<y>z"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseXml(c.input).children()[0].value(), c.value) << c.input;
        EXPECT_EQ(TreeThroughAnyReader(c.input), TreeOf(c.input)) << c.input;
    }
}

TEST(XmlReader, TheTreeKeepsItsOwnTextAndMovesWithItsDocument) {
    std::string text = "<r a='x&amp;y'><e>t<c/>u</e><?p q?></r>";
    const std::string expected = TreeOf(text);
    gw::TXMLDocument doc = ParseXml(text);
    gw::TXMLStringReader reader(text);
    gw::TXMLDocument viaReader = ParseXml(static_cast<gw::TXMLReader&>(reader));
    text.assign(text.size(), '#'); // the caller's text is gone
    EXPECT_EQ(Tree(doc), expected);
    EXPECT_EQ(Tree(viaReader), expected);

    // Moved and move-assigned over another document, as a window keeps one.
    gw::TXMLDocument kept = std::move(doc);
    EXPECT_TRUE(doc.children().empty());
    kept.SetFile("kept.xml");
    gw::TXMLDocument other = ParseXml("<other/>");
    other = std::move(kept);
    EXPECT_EQ(other.file(), "kept.xml");
    EXPECT_EQ(Tree(other), "File: kept.xml" + expected.substr(expected.find('\n')));

    // A node made empty takes a file name too.
    gw::TXMLDocument empty;
    empty.SetFile("e.xml");
    EXPECT_EQ(gw::NodeCaption(empty), "File: e.xml");
}

TEST(XmlReader, AStringReaderIsReadFromWhereItStandsAndLeftWhereTheParseEnded) {
    gw::TXMLStringReader reader("x<a/> yz");
    EXPECT_EQ(reader.ReadChar(), 'x');
    EXPECT_EQ(Tree(ParseXml(reader)), "File: \n  a\n");
    EXPECT_EQ(reader.SaveState().current, 'y');
    EXPECT_EQ(reader.ReadChar(), 'z');
}

} // namespace

TEST(XmlReader, AFileReportsItsProgressAndStopsOnCancel) {
    gwtest::TempDir dir;
    std::string text = "<rows>";
    while (text.size() < (2u << 20))
        text += "<row a=\"1\" b=\"2\">text</row>\n";
    text += "</rows>";
    gwtest::WriteFile(dir / "big.xml", text);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    gw::ProgressHooks hooks;
    hooks.report = [&](std::uint64_t done, std::uint64_t total) {
        reports.emplace_back(done, total);
    };
    const gw::TXMLDocument doc = gw::ReadXmlFile(dir / "big.xml", &hooks);
    EXPECT_EQ(doc.children().size(), 1u);
    ASSERT_GT(reports.size(), 100u) << "a report every step of the parse";
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_LE(reports[i - 1].first, reports[i].first);
    EXPECT_EQ(reports.back(),
              std::make_pair(std::uint64_t(2 * text.size()), std::uint64_t(2 * text.size())));

    // Cancelled half-way through the parse.
    hooks.cancelled = [&] { return reports.back().first > text.size() * 3 / 2; };
    reports.clear();
    EXPECT_THROW(gw::ReadXmlFile(dir / "big.xml", &hooks), gw::WorkCancelled);
}

// A node keeps a short name where the text holds it and a long one apart;
// every way of reading gives the same names.
TEST(XmlReader, NamesOfEveryLengthComeBackWhole) {
    for (std::size_t length : {1u, 254u, 255u, 256u, 70000u}) {
        SCOPED_TRACE(length);
        const std::string n(length, 'n');
        const std::string text =
            "<" + n + " " + n + "='v' b='" + n + "'><?" + n + " " + n + "?>" + n + "</" + n + ">";
        gw::TXMLStringReader reader(text);
        const gw::TXMLDocument viaReader = ParseXml(static_cast<gw::TXMLReader&>(reader));
        const gw::TXMLDocument inMemory = ParseXml(text);
        for (const gw::TXMLDocument* doc : {&inMemory, &viaReader}) {
            const TXMLNode& e = doc->children()[0];
            EXPECT_EQ(e.name(), n);
            EXPECT_EQ(e.value(), n);
            ASSERT_EQ(e.children().size(), 3u);
            EXPECT_EQ(e.children()[0].name(), n);
            EXPECT_EQ(e.children()[0].value(), "v");
            EXPECT_EQ(e.children()[1].name(), "b");
            EXPECT_EQ(e.children()[1].value(), n);
            EXPECT_EQ(e.children()[2].name(), n);
            EXPECT_EQ(e.children()[2].value(), n);
        }
        EXPECT_EQ(Tree(ParseXml(text)), Tree(viaReader));
    }
}
