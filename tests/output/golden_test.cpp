// Golden cases: every folder under tests/data/output is one case, its project
// documents beside the outputs they must give. A new case is a new folder;
// the test finds it. expected.bin is the configuration image, expected.gsd
// the GSD file, expected_dump.txt the image as dump-bank shows it, and
// expected_check.txt what check prints ({dir} stands for the case's folder),
// expected_report.txt the text report; the HTML report of such a case must
// show the same parameters, rows and findings.
#include "cli/cli_commands.h"
#include "output/bank_dump.h"
#include "output/bank_image.h"
#include "output/gsd_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

namespace gw {
namespace {

// The lines of a text, without their line breaks.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

using Table = std::vector<std::vector<std::string>>;

// What the text report shows, read back from its lines: the parameters, the
// rows of each frame table and the findings.
struct TextReport {
    Table parameters;
    std::map<std::string, Table> lists; // by the list's heading
    std::vector<std::string> findings;
};

// A table's columns start where its title line has a word after two blanks
// (a title may hold one blank: "DP bytes").
Table ReadTextTable(const std::vector<std::string>& lines, std::size_t& at) {
    const std::string& title = lines[at];
    std::vector<std::size_t> starts{2};
    for (std::size_t i = 3; i < title.size(); ++i)
        if (title[i] != ' ' && title[i - 1] == ' ' && title[i - 2] == ' ')
            starts.push_back(i);
    Table rows;
    for (++at; at < lines.size() && !lines[at].empty(); ++at) {
        std::vector<std::string> cells;
        for (std::size_t c = 0; c < starts.size(); ++c) {
            const std::size_t end = c + 1 < starts.size() ? starts[c + 1] : std::string::npos;
            cells.push_back(starts[c] < lines[at].size()
                                ? Trimmed(lines[at].substr(starts[c], end - starts[c]))
                                : "");
        }
        rows.push_back(cells);
    }
    return rows;
}

TextReport ReadTextReport(const std::string& text) {
    TextReport r;
    const std::vector<std::string> lines = Lines(text);
    for (std::size_t at = 0; at < lines.size(); ++at) {
        const std::string& line = lines[at];
        if (line == "Bus parameters") {
            for (++at; at < lines.size() && !lines[at].empty(); ++at) {
                const std::size_t gap = lines[at].find("  ", 2);
                r.parameters.push_back(
                    {lines[at].substr(2, gap - 2), Trimmed(lines[at].substr(gap))});
            }
        } else if (line.rfind("  Row  ", 0) == 0) {
            const std::string heading = lines[at - 2]; // above the summary
            r.lists[heading] = ReadTextTable(lines, at);
        } else if (line.rfind("Findings: ", 0) == 0) {
            for (++at; at < lines.size(); ++at)
                r.findings.push_back(lines[at].substr(2));
        }
    }
    return r;
}

// The same read from the HTML page's elements.
std::vector<std::string> Cells(pugi::xml_node row) {
    std::vector<std::string> cells;
    for (pugi::xml_node cell : row.children())
        cells.push_back(cell.text().get());
    return cells;
}

TextReport ReadHtmlReport(const pugi::xml_document& page) {
    TextReport r;
    const pugi::xml_node body = page.child("html").child("body");
    for (pugi::xml_node row : body.find_child_by_attribute("table", "id", "parameters").children())
        r.parameters.push_back(Cells(row));
    // A frame table follows its heading and its summary.
    for (pugi::xml_node h2 = body.child("h2"); h2; h2 = h2.next_sibling("h2")) {
        const pugi::xml_node table = h2.next_sibling().next_sibling();
        if (std::string(table.name()) != "table")
            continue;
        Table& rows = r.lists[h2.text().get()];
        for (pugi::xml_node row : table.child("tbody").children("tr"))
            rows.push_back(Cells(row));
    }
    const pugi::xml_node findings = body.find_child_by_attribute("id", "findings");
    for (pugi::xml_node item : findings.children("li"))
        r.findings.push_back(item.text().get());
    return r;
}

class Golden : public ::testing::TestWithParam<std::string> {
protected:
    std::string Folder() const { return gwtest::DataPath("output/" + GetParam()); }
    bool Has(const char* name) const { return std::filesystem::exists(Folder() + "/" + name); }
    std::string Expected(const char* name) const {
        std::string expected = gwtest::ReadFile(Folder() + "/" + name);
        for (std::size_t at; (at = expected.find("{dir}")) != std::string::npos;)
            expected.replace(at, 5, Folder());
        return expected;
    }
};

TEST_P(Golden, OutputsMatchTheExpectedFiles) {
    int compared = 0;
    if (Has("expected.bin")) {
        ++compared;
        EXPECT_EQ(BuildBankImage(Folder()).Bytes, Expected("expected.bin"));
    }
    if (Has("expected_dump.txt")) {
        ++compared;
        EXPECT_EQ(DescribeBankImage(Expected("expected.bin")), Expected("expected_dump.txt"));
    }
    if (Has("expected.gsd")) {
        ++compared;
        EXPECT_EQ(GsdText(ComputeGsdCounts(Folder())), Expected("expected.gsd"));
        gwtest::TempDir out;
        WriteGsdFile(Folder(), out / "device.gsd");
        EXPECT_EQ(gwtest::ReadFile(out / "device.gsd"), Expected("expected.gsd"));
    }
    if (Has("expected_check.txt")) {
        ++compared;
        std::ostringstream out, err;
        const int status = cli::Run({"check", Folder()}, out, err);
        EXPECT_EQ(out.str() + err.str(), Expected("expected_check.txt"));
        EXPECT_EQ(status, err.str().empty() ? cli::kExitOk : cli::kExitInvalid);
    }
    if (Has("expected_report.txt")) {
        ++compared;
        const std::string expected = Expected("expected_report.txt");
        std::ostringstream out, err;
        const int status = cli::Run({"report", Folder()}, out, err);
        EXPECT_EQ(out.str(), expected);
        EXPECT_EQ(err.str(), "");
        const bool clean = expected.find("\nFindings: none\n") != std::string::npos;
        EXPECT_EQ(status, clean ? cli::kExitOk : cli::kExitInvalid);

        gwtest::TempDir dir;
        std::ostringstream quiet;
        EXPECT_EQ(cli::Run({"report", Folder(), "-o", dir / "report.html"}, quiet, quiet), status);
        pugi::xml_document page;
        const pugi::xml_parse_result parsed =
            page.load_string(gwtest::ReadFile(dir / "report.html").c_str());
        ASSERT_TRUE(parsed) << parsed.description() << " at " << parsed.offset;
        const TextReport text = ReadTextReport(expected);
        const TextReport html = ReadHtmlReport(page);
        EXPECT_EQ(html.parameters, text.parameters);
        EXPECT_EQ(html.lists.size(), 2u);
        for (const auto& [title, rows] : text.lists)
            EXPECT_EQ(html.lists.count(title) ? html.lists.at(title) : Table{}, rows) << title;
        EXPECT_EQ(html.findings, text.findings);
    }
    EXPECT_GT(compared, 0) << "a case folder without an expected output";
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(gwtest::CaseFolders("output")),
                         [](const auto& info) { return info.param; });

} // namespace
} // namespace gw
