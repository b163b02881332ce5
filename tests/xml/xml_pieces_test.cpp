// The children of an element read a piece at a time must be those of the
// whole document read at once, or the reading must give way to the whole one.
#include "xml/xml_pieces.h"

#include "xml/xml_document.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Printed(pugi::xml_node n) {
    std::ostringstream out;
    n.print(out, "", pugi::format_raw);
    return out.str();
}

// Each child as it prints, and its first attribute's value as a pointer kept
// past its piece, read back at the end.
struct Children {
    bool read = false;
    std::vector<std::string> printed;
    std::vector<std::string> firstValues;
};

Children Whole(const std::string& text, const char* list) {
    Children c;
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size(), gw::kXmlParseOptions))
        return c;
    c.read = true;
    const pugi::xml_node root = doc.first_child();
    for (pugi::xml_node n : (list ? root.child(list) : root).children()) {
        c.printed.push_back(Printed(n));
        c.firstValues.push_back(n.first_attribute().value());
    }
    return c;
}

Children InPieces(std::string text, const char* list, std::size_t pieceBytes, gw::PieceCuts how) {
    Children c;
    std::vector<const char*> kept;
    c.read = gw::ReadChildrenInPieces(text.data(), text.size(), list, pieceBytes, how, {},
                                      [&](pugi::xml_node piece) {
                                          for (pugi::xml_node n : piece.children()) {
                                              c.printed.push_back(Printed(n));
                                              kept.push_back(n.first_attribute().value());
                                          }
                                      });
    for (const char* v : kept)
        c.firstValues.emplace_back(v);
    return c;
}

TEST(XmlPieces, ChildrenAreThoseOfTheWholeDocumentOrTheWholeReadingDecides) {
    const struct {
        const char* name;
        const char* list; // null: the root's children
        std::string text;
        bool pieces; // read in pieces (else left to the whole reading)
    } cases[] = {
        {"list rows", "L",
         "<R>\n <L>\n  <row a=\"1\" b=\"x&amp;y\"/>\n  <row a='2'></row>\n </L>\n</R>", true},
        {"every kind of child", "L",
         "<R><L>\r\n <row a=\"x>y\" b='/>'/>text &amp; more<!-- note --><?pi data?>"
         "<![CDATA[<raw>]]><e z=\"\"><in x=\"1\">t<!--c--></in></e>tail &lt;</L></R>",
         true},
        {"text only", "L", "<R><L>just text</L></R>", true},
        {"texts of one >", "L", "<R><L><![CDATA[a]]>><e/> ><f/>></L></R>", true},
        {"list after other children", "L",
         "<R a=\"1\"><O><L><no/></L></O><!-- c --><L x=\"y\"><row a=\"3\"/></L><L><row "
         "a=\"4\"/></L></R>",
         true},
        {"a pi named as the list first", "L", "<R><?L pi?><L><row a=\"1\"/></L></R>", false},
        {"order mark and blanks first", nullptr, "\xEF\xBB\xBF \n<r><a/><b c=\"d\"/></r>", true},
        {"declaration first", nullptr, "<?xml version=\"1.0\"?><r><a/></r>", false},
        {"comment first", "L", "<!-- c --><R><L><a/></L></R>", false},
        {"no list", "L", "<R><M><a/></M></R>", false},
        {"empty list", "L", "<R><L/></R>", false},
        {"list without children", "L", "<R><L></L></R>", true},
        {"list of blanks", "L", "<R><L>  \n </L></R>", true},
        {"nested empty namesake", "L", "<R><M><L/></M><L><a b=\"c\"/></L></R>", true},
        {"not well-formed child", "L", "<R><L><a/><b x=\"1\"><c></b><d/></L></R>", false},
        {"another end tag", nullptr, "<r><a/><b/></s>", false},
        {"end tag of the root without the list's", "L", "<R><L><a/></R>", false},
        {"bad root attribute", nullptr, "<r a=1><x/></r>", false},
        {"bad attribute outside the list", "L", "<R><M a=1/><L><x/></L></R>", false},
        {"text after the root", nullptr, "<r><a/></r>junk", true},
        {"two roots", nullptr, "<r><a/></r><s/>", true},
        {"declaration inside", nullptr, "<r><a/><?xml version=\"1.0\"?><b/></r>", false},
        {"doctype inside", "L", "<R><L><a/><!DOCTYPE r><b/></L></R>", false},
        {"no end", nullptr, "<r><a/><b/>", false},
        {"lt ending the content", nullptr, "<r><a b=\"c\"/>t<</r>", false},
        {"lt in a value", nullptr, "<r><a x=\"<\"/><b/></r>", true},
        {"latin-1 declared", nullptr,
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><a x=\"\xE9\"/></r>", false},
        {"order mark in a text", nullptr, "<r><a/>\xEF\xBB\xBFtext<b/>\xEF\xBB\xBF</r>", false},
        {"nul in a text", nullptr, std::string("<r><a/>te\0xt<b/></r>", 20), false},
        {"reference that names nothing", "L", "<R><L><a/><b v=\"&nope;\"/></L></R>", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Children whole = Whole(c.text, c.list);
        for (std::size_t pieceBytes : {std::size_t(1), std::size_t(12), std::size_t(1) << 20}) {
            SCOPED_TRACE(pieceBytes);
            bool read = false;
            for (const gw::PieceCuts how : {gw::PieceCuts::Guessed, gw::PieceCuts::Scanned}) {
                SCOPED_TRACE(static_cast<int>(how));
                const Children pieces = InPieces(c.text, c.list, pieceBytes, how);
                if (pieces.read) {
                    ASSERT_TRUE(whole.read); // never a document the whole reading refuses
                    EXPECT_EQ(pieces.printed, whole.printed);
                    EXPECT_EQ(pieces.firstValues, whole.firstValues);
                }
                read = read || pieces.read;
            }
            EXPECT_EQ(read, c.pieces); // as the readers try them: guessed, else scanned
        }
    }
}

TEST(XmlPieces, PiecesAreRunsOfWholeChildrenOfAboutTheSizeAsked) {
    // Rows on lines of their own, as the documents are written, cut without a
    // scan; rows holding markup of their own, cut by the scan.
    for (const bool nested : {false, true}) {
        SCOPED_TRACE(nested);
        std::string text = "<R><L>\n";
        for (int i = 0; i < 1000; ++i)
            text += nested ? "<row a=\"" + std::to_string(i) + "\"><in/></row>"
                           : "  <row a=\"" + std::to_string(i) + "\"/>\n";
        text += "tail</L></R>";
        const gw::PieceCuts how = nested ? gw::PieceCuts::Scanned : gw::PieceCuts::Guessed;
        const auto pieces = gw::FindChildPieces(text, "L", 100, how);
        ASSERT_TRUE(pieces);
        EXPECT_EQ(pieces->nameAt, 4u);
        EXPECT_EQ(pieces->textFrom, text.rfind('>', text.size() - 12) + 1); // "tail", blanks before

        EXPECT_GT(pieces->cuts.size(), 100u);
        for (std::size_t i = 0; i + 2 < pieces->cuts.size(); ++i) {
            std::string_view piece = std::string_view(text).substr(
                pieces->cuts[i], pieces->cuts[i + 1] - pieces->cuts[i]);
            while (!piece.empty() && std::isspace(static_cast<unsigned char>(piece.front())))
                piece.remove_prefix(1);
            EXPECT_TRUE(piece.starts_with("<row ")) << i;
            EXPECT_TRUE(piece.ends_with(nested ? "</row>" : "/>")) << i;
            if (i + 3 < pieces->cuts.size()) { // all but the rest before the text
                EXPECT_GE(piece.size(), 90u);
                EXPECT_LT(piece.size(), 100u + 30u);
            }
        }
        EXPECT_EQ(InPieces(text, "L", 100, how).printed.size(), 1001u);
    }
}

} // namespace
