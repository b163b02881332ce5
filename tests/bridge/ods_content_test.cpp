// The .ods reader's walk over content.xml, fed in pieces of every size the
// module's inflating could cut it into: one byte, a few, the whole.
#include "bridge/ods_content.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<office:document-content "
                              "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                              "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                              "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                              "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
                              "xmlns:xlink=\"http://www.w3.org/1999/xlink\" office:version=\"1.2\">"
                              "<office:automatic-styles/><office:body><office:spreadsheet>";
constexpr const char* kTail = "</office:spreadsheet></office:body></office:document-content>";

// A content.xml of one sheet "s" holding `rows`.
std::string Sheet(const std::string& rows) {
    return std::string(kHead) + "<table:table table:name=\"s\">" + rows + "</table:table>" + kTail;
}

gw::SheetReadReply Read(const std::string& content, std::size_t piece,
                        const std::string& sheet = "s", gw::ProgressTicker* ticker = nullptr) {
    std::size_t at = 0;
    gw::SheetReadReply reply;
    gw::ReadOdsContent(
        [&](std::string& out) {
            if (at == content.size())
                return false;
            const std::size_t n = std::min(piece, content.size() - at);
            out.append(content, at, n);
            at += n;
            return true;
        },
        sheet, reply, ticker);
    return reply;
}

// The cells as "A1=text" in row order, then the sheet's size: "| 2x3".
std::string Cells(const gw::SheetCells& cells) {
    std::string out;
    for (int r = 0; r < cells.Rows(); ++r)
        for (int c = 0; c < cells.Columns(); ++c)
            if (const auto text = cells.Text(r, c)) {
                out += std::string(1, static_cast<char>('A' + c % 26)) + std::to_string(r + 1) +
                       "=" + std::string(*text) + " ";
            }
    return out + "| " + std::to_string(cells.Rows()) + "x" + std::to_string(cells.Columns());
}

const std::size_t kPieces[] = {1, 3, 1 << 20};

std::string Row(const std::string& cells, const std::string& attrs = "") {
    return "<table:table-row" + attrs + ">" + cells + "</table:table-row>";
}
std::string Cell(const std::string& attrs, const std::string& content = "") {
    return "<table:table-cell " + attrs + ">" + content + "</table:table-cell>";
}
std::string Text(const std::string& paragraphs) {
    return Cell("office:value-type=\"string\"", paragraphs);
}
const std::string kEmpty = "<table:table-cell/>";

// `s` cut where `mark` first stands.
std::string Before(const std::string& s, const std::string& mark) {
    return s.substr(0, s.find(mark));
}

std::string Times(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(OdsContent, CellsOfEveryKindAsTheirText) {
    struct Case {
        const char* what;
        std::string rows;
        const char* cells;
    };
    const Case cases[] = {
        {"numbers in their shortest text, whatever the number type",
         Row(Cell("office:value-type=\"float\" office:value=\"16\"") +
             Cell("office:value-type=\"float\" office:value=\"2.50\"") +
             Cell("office:value-type=\"percentage\" office:value=\"0.25\"") +
             Cell("office:value-type=\"currency\" office:currency=\"EUR\" office:value=\"-3.5\"") +
             Cell("office:value-type=\"float\" office:value=\" +1E3 \"") +
             Cell("office:value-type=\"float\" office:value=\"1e20\"")),
         "A1=16 B1=2.5 C1=0.25 D1=-3.5 E1=1000 F1=1e+20 | 1x6"},
        {"a number that is none: the cell as shown",
         Row(Cell("office:value-type=\"float\" office:value=\"1,5\"", "<text:p>1,5</text:p>") +
             Cell("office:value-type=\"float\"", "<text:p>7</text:p>")),
         "A1=1,5 B1=7 | 1x2"},
        {"paragraphs one line each, spans and links inside, spaces as written",
         Row(Text("<text:p>a</text:p><text:p>b</text:p>") +
             Text("<text:p>x <text:span text:style-name=\"T1\">y</text:span> "
                  "<text:a xlink:href=\"http://h/?a=1&amp;b=2\">z</text:a></text:p>") +
             Text("<text:p>  two  spaces </text:p>") + Text("<text:p>one</text:p><text:p/>")),
         "A1=a\nb B1=x y z C1=  two  spaces  D1=one\n | 1x4"},
        {"spaces, tabs and line breaks given by elements",
         Row(Text("<text:p>a<text:s/>b<text:s text:c=\"3\"/>c<text:tab/>d<text:line-break/>e"
                  "</text:p>")),
         "A1=a b   c\td\ne | 1x1"},
        {"an annotation, a note or a drawing is no part of the text",
         Row(Text("<office:annotation><text:p>note</text:p></office:annotation>"
                  "<text:p>v<text:note><text:note-body><text:p>n</text:p></text:note-body>"
                  "</text:note>w<draw:frame><draw:text-box><text:p>d</text:p></draw:text-box>"
                  "</draw:frame></text:p><office:annotation><text:p>late</text:p>"
                  "</office:annotation>")),
         "A1=vw | 1x1"},
        {"references, CDATA, comments, instructions and line ends as XML reads them",
         Row(Text("<text:p>&lt;&amp;&gt;&quot;&apos; &#65;&#x263A;&#x1F600;</text:p>") +
             Text("<text:p>a<![CDATA[<b>&amp;]]>c<!-- no -->d<?pi x?>e</text:p>") +
             Text("<text:p>1\r\n2\r3&#13;</text:p>")),
         "A1=<&>\"' A\xE2\x98\xBA\xF0\x9F\x98\x80 B1=a<b>&amp;cde C1=1\n2\n3\r | 1x3"},
        {"a string value before the paragraphs; empty texts are empty cells",
         Row(Cell("office:value-type=\"string\" office:string-value=\"sv\"", "<text:p>p</text:p>") +
             Text("") + Text("<text:p/>") + Text("<text:p>d</text:p>")),
         "A1=sv D1=d | 1x4"},
        {"booleans, dates, times",
         Row(Cell("office:value-type=\"boolean\" office:boolean-value=\"true\"") +
             Cell("office:value-type=\"boolean\" office:boolean-value=\"0\"") +
             Cell("office:value-type=\"date\" office:date-value=\"2024-03-05\"") +
             Cell("office:value-type=\"date\" office:date-value=\"2024-03-05T13:04:59.75\"") +
             Cell("office:value-type=\"date\" office:date-value=\"2024-03-05T00:00:00\"") +
             Cell("office:value-type=\"date\" office:date-value=\"2024-03-05T10:20:30+02:00\"") +
             Cell("office:value-type=\"time\" office:time-value=\"PT13H04M05S\"") +
             Cell("office:value-type=\"time\" office:time-value=\"P1DT2H30M0.5S\"")),
         "A1=TRUE B1=FALSE C1=2024-03-05 D1=2024-03-05 13:04:59 E1=2024-03-05 "
         "F1=2024-03-05 10:20:30 G1=13:04:05 H1=26:30:00 | 1x8"},
        {"a date or time that is none: the cell as shown",
         Row(Cell("office:value-type=\"date\" office:date-value=\"5.3.2024\"",
                  "<text:p>05.03.24</text:p>") +
             Cell("office:value-type=\"time\" office:time-value=\"P1Y\"", "<text:p>y</text:p>") +
             Cell("office:value-type=\"boolean\"", "<text:p>WAHR</text:p>")),
         "A1=05.03.24 B1=y C1=WAHR | 1x3"},
        {"a formula cell by its last result, of any type",
         Row(Cell("table:formula=\"of:=1+1\" office:value-type=\"float\" office:value=\"2\"",
                  "<text:p>2</text:p>") +
             Cell("table:formula=\"of:=[.A1]&amp;&quot;x&quot;\" office:value-type=\"string\" "
                  "office:string-value=\"2x\"",
                  "<text:p>2x</text:p>") +
             Cell("table:formula=\"of:=TRUE()\" office:value-type=\"boolean\" "
                  "office:boolean-value=\"true\"") +
             Cell("table:formula=\"of:=[.A1]\"")),
         "A1=2 B1=2x C1=TRUE | 1x3"},
        {"no value type, an unknown one: empty",
         Row(Cell("", "<text:p>no type</text:p>") +
             Cell("office:value-type=\"String\"", "<text:p>x</text:p>") +
             Cell("office:value=\"3\"") + "<table:table-cell table:style-name=\"ce1\"/>"),
         "| 0x0"},
        {"repeated cells and rows stand for as many",
         Row(Cell("office:value-type=\"float\" office:value=\"1\" "
                  "table:number-columns-repeated=\"3\"") +
             "<table:table-cell table:number-columns-repeated=\"2\"/>" +
             Text("<text:p>s</text:p>")) +
             Row(Cell("office:value-type=\"float\" office:value=\"5\"") +
                     Text("<text:p>r</text:p>"),
                 " table:number-rows-repeated=\"2\"") +
             Row(kEmpty, " table:number-rows-repeated=\"3\"") +
             Row(Cell("office:value-type=\"string\" table:number-columns-repeated=\"0\"",
                      "<text:p>t</text:p>") +
                 Cell("office:value-type=\"float\" office:value=\"9\" "
                      "table:number-columns-repeated=\"x\"")),
         "A1=1 B1=1 C1=1 F1=s A2=5 B2=r A3=5 B3=r A7=t B7=9 | 7x6"},
        {"a million empty cells or rows cost nothing and widen nothing",
         Row(Cell("office:value-type=\"float\" office:value=\"1\"") +
             "<table:table-cell table:number-columns-repeated=\"1000000000\"/>") +
             Row("<table:table-cell table:number-columns-repeated=\"16384\"/>",
                 " table:number-rows-repeated=\"1048575\""),
         "A1=1 | 1x1"},
        {"a covered cell keeps its place and what it holds",
         Row(Cell("office:value-type=\"float\" office:value=\"1\" "
                  "table:number-columns-spanned=\"2\"") +
             "<table:covered-table-cell/>" +
             Cell("office:value-type=\"float\" office:value=\"3\"") +
             "<table:covered-table-cell table:number-columns-repeated=\"2\"/>" +
             "<table:covered-table-cell office:value-type=\"float\" office:value=\"8\"/>"),
         "A1=1 C1=3 F1=8 | 1x6"},
        {"rows in groups and header rows; a table inside a cell is no part of the sheet",
         "<table:table-column table:number-columns-repeated=\"3\"/>"
         "<table:table-header-rows>" +
             Row(Text("<text:p>h</text:p>")) +
             "</table:table-header-rows><table:table-row-group><table:table-row-group>" +
             Row(Cell("office:value-type=\"float\" office:value=\"2\"",
                      "<table:table table:name=\"inner\">" +
                          Row(Cell("office:value-type=\"float\" office:value=\"7\"")) +
                          "</table:table>")) +
             "</table:table-row-group></table:table-row-group><table:table-rows>" +
             Row(Text("<text:p>c</text:p>")) + "</table:table-rows>",
         "A1=h A2=2 A3=c | 3x1"},
    };
    for (const Case& c : cases)
        for (const std::size_t piece : kPieces) {
            const gw::SheetReadReply reply = Read(Sheet(c.rows), piece);
            EXPECT_TRUE(reply.found) << c.what;
            EXPECT_EQ(Cells(reply.cells), c.cells) << c.what << ", pieces of " << piece;
        }
}

// Every sheet is listed, names resolved; only the first that matches in any
// letter case is read.
TEST(OdsContent, ListsEverySheetAndReadsTheFirstThatMatches) {
    const std::string content =
        std::string(kHead) + "<table:table table:name=\"Notes\">" +
        Row(Text("<text:p>n</text:p>")) + "</table:table>" +
        "<table:table table:name=\"S&amp;D\">" + Row(Text("<text:p>first</text:p>")) +
        "</table:table><table:table>" + Row(Text("<text:p>nameless</text:p>")) +
        "</table:table><table:table table:name=\"s&amp;d\">" +
        Row(Text("<text:p>second</text:p>")) +
        "</table:table><table:named-expressions/><table:dde-links><table:dde-link>"
        "<table:table table:name=\"dde\"/></table:dde-link></table:dde-links>" +
        kTail;
    for (const std::size_t piece : kPieces) {
        gw::SheetReadReply reply = Read(content, piece, "s&d");
        EXPECT_EQ(reply.sheetNames, (std::vector<std::string>{"Notes", "S&D", "", "s&d"}));
        ASSERT_TRUE(reply.found);
        EXPECT_EQ(Cells(reply.cells), "A1=first | 1x1");
        reply = Read(content, piece, "missing");
        EXPECT_FALSE(reply.found);
        EXPECT_EQ(reply.sheetNames.size(), 4u);
        EXPECT_EQ(reply.cells.Rows(), 0);
    }
}

// The rows are told as they come, repeated ones included; a cancel ends the
// reading there.
TEST(OdsContent, TellsTheRowsAndEndsOnACancel) {
    const std::string content =
        Sheet(Row(Text("<text:p>a</text:p>")) +
              Row(Text("<text:p>b</text:p>"), " table:number-rows-repeated=\"5000\"") +
              Row(Text("<text:p>c</text:p>")));
    std::vector<std::uint64_t> told;
    gw::ProgressHooks hooks;
    hooks.report = [&](std::uint64_t done, std::uint64_t) { told.push_back(done); };
    gw::ProgressTicker ticker(&hooks, 0, 1024);
    const gw::SheetReadReply reply = Read(content, 1 << 20, "s", &ticker);
    EXPECT_EQ(reply.cells.Rows(), 5002);
    EXPECT_EQ(reply.cells.At(5001, 0), gw::SheetCell("c"));
    EXPECT_EQ(told, (std::vector<std::uint64_t>{0, 1024, 2048, 3072, 4096}));

    hooks.cancelled = [&] { return told.size() == 2; };
    told.clear();
    gw::ProgressTicker cancelling(&hooks, 0, 1024);
    EXPECT_THROW(Read(content, 1 << 20, "s", &cancelling), gw::WorkCancelled);
    EXPECT_EQ(told.size(), 2u);
}

// Markup that is not well-formed ends the reading with the reason and where
// it is, the same however the text is cut into pieces; so do sheets too big
// to hold.
TEST(OdsContent, RefusesMarkupThatIsNotWellFormedAndSheetsTooBig) {
    const std::string wellFormed = "its part content.xml is not well-formed XML: ";
    const std::string cells = "the sheet has more than 4194304 cells";
    const std::pair<std::string, std::string> cases[] = {
        {"", wellFormed + "there is no element (byte 1)"},
        {"  <!-- only a comment -->", wellFormed + "there is no element (byte 26)"},
        {std::string(kHead) + "<table:table table:name=\"s\">",
         wellFormed + "the text ends inside <table:table>"},
        {Before(Sheet(Row(Text("<text:p>x</text:p>"))), "-cell"),
         wellFormed + "the text ends inside a tag"},
        {Before(Sheet(Row(Text("<text:p>x</text:p>"))), "ring\""),
         wellFormed + "the text ends inside an attribute value"},
        {Sheet(Row("<table:table-cell>")),
         wellFormed + "</table:table-row> closes <table:table-cell>"},
        {Sheet("</table:table-row>"), wellFormed + "</table:table-row> closes <table:table>"},
        {Sheet("<table:table-row a=1/>"), wellFormed + "an attribute value without quotes"},
        {Sheet("<table:table-row a=\"1\"b=\"2\"/>"),
         wellFormed + "attributes not parted by a space"},
        {Sheet("<table:table-row a=\"1\" b=\"2\" a=\"3\"/>"),
         wellFormed + "an attribute given twice in one tag"},
        {Sheet("<table:table-row a=\"<\"/>"), wellFormed + "a '<' in an attribute value"},
        {Sheet("<table:table-row a/>"), wellFormed + "an attribute without a value"},
        {Sheet("<table:table-row / >"), wellFormed + "a '/' in a tag"},
        {Sheet("< table:table-row/>"), wellFormed + "a '<' that starts no markup"},
        {Sheet(Row(Text("<text:p>&nbsp;</text:p>"))), wellFormed + "an unknown entity, &nbsp;"},
        {Sheet(Row(Text("<text:p>a & b</text:p>"))), wellFormed + "a '&' that starts no reference"},
        {Sheet(Row(Text("<text:p>&#0;</text:p>"))),
         wellFormed + "a reference to no character XML allows, &#0;"},
        {Sheet(Row(Text("<text:p>&#xD800;</text:p>"))),
         wellFormed + "a reference to no character XML allows, &#xD800;"},
        {Sheet(Row(Text(std::string("<text:p>a\x01</text:p>")))),
         wellFormed + "a control character"},
        {Sheet(Row(Text("<text:p>]]></text:p>"))), wellFormed + "\"]]>\" in text"},
        {Sheet("<!-- a -- b -->"), wellFormed + "\"--\" inside a comment"},
        {Sheet("<!-- a"), wellFormed + "a comment that is not closed"},
        {Sheet("<![CDATA[ a"), wellFormed + "a CDATA section that is not closed"},
        {Sheet("<?pi a"), wellFormed + "a processing instruction that is not closed"},
        {Sheet("<?xml version=\"1.0\"?>"), wellFormed + "an XML declaration after the start"},
        {Sheet("<!ELEMENT a>"),
         wellFormed + "a '<!' that starts no comment, CDATA section or document type"},
        {"<![CDATA[x]]><a/>", wellFormed + "a CDATA section outside the root element"},
        {"x<a/>", wellFormed + "text before the root element (byte 1)"},
        {Sheet("") + "x", wellFormed + "text after the root element"},
        {Sheet("") + "<a/>", wellFormed + "a second root element"},
        {Sheet("") + "<!DOCTYPE a>", wellFormed + "a document type that is not the first markup"},
        {Sheet(Times("<table:table-row-group>", 2000)),
         "its part content.xml nests its elements more than 1024 deep"},
        {Sheet(Row(Cell("office:value-type=\"float\" office:value=\"1\" "
                        "table:number-columns-repeated=\"5000000\""))),
         cells},
        {Sheet(Row(Cell("office:value-type=\"float\" office:value=\"1\""),
                   " table:number-rows-repeated=\"100000000\"")),
         cells},
        {Sheet(Row(kEmpty, " table:number-rows-repeated=\"4194304\"") +
               Row(Cell("office:value-type=\"float\" office:value=\"1\""))),
         cells},
        {Sheet(Row(Text("<text:p><text:s text:c=\"9999999999\"/></text:p>"))),
         "the sheet holds more text than can be read"},
    };
    for (const auto& [content, reason] : cases)
        for (const std::size_t piece : kPieces) {
            try {
                Read(content, piece);
                ADD_FAILURE() << "accepted: " << reason;
            } catch (const std::exception& e) {
                const std::string what = e.what();
                EXPECT_EQ(what.substr(0, reason.size()), reason) << "pieces of " << piece;
                EXPECT_EQ(what.find(" (byte ") != std::string::npos, reason.starts_with(wellFormed))
                    << what;
            }
        }
    // Where it is: the byte of the markup at fault, counted from 1.
    const std::string bad = Sheet(Row(Text("<text:p>&bad;</text:p>")));
    for (const std::size_t piece : kPieces) {
        try {
            Read(bad, piece);
            ADD_FAILURE() << "accepted";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), wellFormed + "an unknown entity, &bad; (byte " +
                                                 std::to_string(bad.find("&bad;") + 1) + ")");
        }
    }
}

// What surrounds the markup: a byte order mark, the declaration, a document
// type, comments and instructions before and after the root.
TEST(OdsContent, ReadsPastWhatSurroundsTheRoot) {
    const std::string content = "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>\r\n"
                                "<!DOCTYPE office:document-content [ <!ENTITY e \"]>\"> ]>"
                                "<!-- c --><?pi?>\n" +
                                Sheet(Row(Text("<text:p>x</text:p>")))
                                    .substr(std::string(kHead).find("<office:document-content")) +
                                "\n<!-- after --><?pi after?>\n";
    for (const std::size_t piece : kPieces)
        EXPECT_EQ(Cells(Read(content, piece).cells), "A1=x | 1x1") << piece;
}

} // namespace
