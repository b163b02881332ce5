// A big bridge document is read a piece of entries at a time; whatever its
// shape, the entries handed over and the outcome are those of the whole
// document read at once.
#include "bridge/bridge_xml.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Read {
    std::vector<std::string> entries; // each as its node prints, raw
    gw::BridgeLoad load;
};

// Entries named "bad" make the reader's entry handler fail.
Read ReadWith(const std::string& path, std::size_t pieceBytes) {
    Read r;
    r.load = gw::ReadEntriesInPieces(
        path,
        [&](pugi::xml_node n) {
            if (std::string(n.name()) == "bad")
                throw std::runtime_error("bad entry");
            std::ostringstream out;
            n.print(out, "", pugi::format_raw);
            r.entries.push_back(out.str());
        },
        nullptr, pieceBytes);
    return r;
}

TEST(EntryPieces, EveryShapeReadsAsTheWholeDocument) {
    const struct {
        const char* name;
        std::string text;
        int entries; // in the whole document's reading
    } cases[] = {
        {"rows", "<sdo><row a=\"1\"/><row a=\"2\"/>\n<row a=\"3\"></row></sdo>\n", 3},
        {"every kind of child",
         "<r>\r\n <row a=\"x>y\" b='/>'/>text &amp; more<!-- note --><?pi data?>"
         "<![CDATA[<raw>]]><e><in x=\"1\">t<!--c--></in></e>\r\n</r>",
         6},
        {"order mark and blanks first", "\xEF\xBB\xBF \n<r><a/><b/></r>", 2},
        {"declaration first", "<?xml version=\"1.0\"?><r><a/><b/></r>", 0},
        {"comment first", "<!-- c --><r><a/></r>", 0},
        {"not well-formed late", "<r><a/><b x=\"1\"><c></b><d/></r>", 0},
        {"another end tag", "<r><a/><b/></s>", 0},
        {"text after the root", "<r><a/></r>junk", 1},
        {"comment after the root", "<r><a/><b/></r><!-- end -->", 2},
        {"declaration inside", "<r><a/><?xml version=\"1.0\"?><b/></r>", 0},
        {"doctype inside", "<r><a/><!DOCTYPE r><b/></r>", 0},
        {"no end", "<r><a/><b/>", 0},
        {"lt in a value", "<r><a x=\"<\"/><b/></r>", 2},
        {"empty root", "<r/>", 0},
        {"root without entries", "<r>  </r>", 0},
        {"entry that fails", "<r><a/><b/><bad/><c/></r>", 2},
        {"reference that names nothing", "<r><a/><b>&nope;</b></r>", 2},
    };
    gwtest::TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir / "doc.xml";
        gwtest::WriteFile(path, c.text);
        const Read whole = ReadWith(path, c.text.size() + 1);
        EXPECT_EQ(static_cast<int>(whole.entries.size()), c.entries);
        for (std::size_t piece : {std::size_t(1), std::size_t(12)}) {
            SCOPED_TRACE(piece);
            const Read pieces = ReadWith(path, piece);
            EXPECT_EQ(pieces.entries, whole.entries);
            EXPECT_EQ(pieces.load.fileFound, whole.load.fileFound);
            EXPECT_EQ(pieces.load.error, whole.load.error);
            EXPECT_EQ(pieces.load.errorEntry, whole.load.errorEntry);
        }
    }
}

TEST(EntryPieces, ABigDocumentReportsItsProgressAndStopsOnCancel) {
    gwtest::TempDir dir;
    const std::string path = dir / "big.xml";
    std::string text = "<sdo>\n";
    while (text.size() < (3u << 20))
        text += "<row conf=\"16\" IndexA=\"0x2000\" SubindexA=\"1\" mnemonico=\"entry\"/>\n";
    gwtest::WriteFile(path, text + "</sdo>\n");

    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    int entries = 0;
    gw::ProgressHooks hooks;
    hooks.report = [&](std::uint64_t done, std::uint64_t total) {
        reports.emplace_back(done, total);
    };
    const gw::BridgeLoad load = gw::ReadEntries(
        path, [&](pugi::xml_node) { ++entries; }, &hooks);
    EXPECT_FALSE(load.error);
    EXPECT_GT(entries, 40000);
    ASSERT_GE(reports.size(), 6u); // the start, the pieces of each pass, the end
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_LE(reports[i - 1].first, reports[i].first);
    EXPECT_EQ(reports.back().first, reports.back().second);

    // Cancelled half-way: the reading ends with WorkCancelled, not as an error.
    hooks.cancelled = [&] { return reports.back().first * 2 > reports.back().second; };
    reports.clear();
    EXPECT_THROW(gw::ReadEntries(
                     path, [](pugi::xml_node) {}, &hooks),
                 gw::WorkCancelled);
}

} // namespace

namespace {

// Printed a batch at a time, into a string or a sink, the text is the one a
// pugixml document of all the entries prints.
TEST(EntryDocumentText, IsTheTextOfTheWholeDocument) {
    for (int entries : {0, 1, 4096, 4097, 10000}) {
        SCOPED_TRACE(entries);
        pugi::xml_document whole;
        pugi::xml_node root = whole.append_child("emcydef");
        gw::EntryDocumentText inString("emcydef", static_cast<std::size_t>(entries));
        std::string sunk;
        gw::EntryDocumentText inSink("emcydef", 0, [&](std::string_view s) { sunk += s; });
        for (int i = 0; i < entries; ++i) {
            const std::string value = std::to_string(i) + (i % 7 ? "" : " <&\"'>\t\n");
            for (pugi::xml_node row :
                 {root.append_child("row"), inString.Append("row"), inSink.Append("row")}) {
                row.append_attribute("id").set_value(value.c_str());
                row.append_attribute("n").set_value("");
            }
        }
        std::ostringstream expected;
        whole.save(expected, "", pugi::format_raw | pugi::format_no_declaration,
                   pugi::encoding_utf8);
        EXPECT_EQ(inString.Finish(), expected.str());
        EXPECT_EQ(inSink.Finish(), "");
        EXPECT_EQ(sunk, expected.str());
    }
}

} // namespace
