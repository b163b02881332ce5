#include "output/gsd_file.h"

#include "common/errors.h"
#include "project_fixture.h"
#include "support/temp_dir.h"
#include "xml/xml_document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <utility>
#include <vector>

namespace gw {
namespace {

using gwtest::PargenDocument;
using gwtest::ReceiveDocument;
using gwtest::Row;
using gwtest::Rows;
using gwtest::SendDocument;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(text.substr(start, at - start));
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

TEST(GsdText, BannerAndEnd) {
    const std::vector<std::string> lines = Lines(GsdText(GsdCounts{}));
    ASSERT_GT(lines.size(), 21u);
    for (std::size_t i = 1; i < 21; ++i)
        EXPECT_EQ(lines[i].size(), 85u) << "line " << i + 1;
    // Lines 6 to 11: the maker's address, telephone, fax and e-mail.
    for (std::size_t i = 5; i < 11; ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(lines[i].substr(0, 13), ";*" + std::string(11, ' '));
        EXPECT_NE(lines[i][13], ' ');
        EXPECT_EQ(lines[i].back(), '*');
    }
    EXPECT_EQ(lines[3], ";*" + std::string(82, ' ') + "*");
    EXPECT_EQ(lines[2], ";* " + std::string(80, '=') + " *");
    const std::vector<std::string> tail(lines.end() - 6, lines.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"SlotDefinition", "EndSlotDefinition", "", "", "", ""}));
}

TEST(GsdShapes, RuleAndHeading) {
    EXPECT_EQ(gsd::R(79), ";" + std::string(78, '='));
    EXPECT_EQ(gsd::H("Modulstatus", 79), ";==== Modulstatus " + std::string(79 - 18, '='));
    EXPECT_EQ(gsd::H("Prm-Text-Def-List", 85).size(), 85u);
}

TEST(GsdCounts, ProfiFramesOtherThanOneMeansPacked) {
    const std::pair<std::string, int> cases[] = {
        {PargenDocument("1"), 1}, {PargenDocument("$1"), 1}, {PargenDocument("0"), 0},
        {PargenDocument("2"), 0}, {PargenDocument("-1"), 0}, {PargenDocument("yes"), 0},
        {PargenDocument(""), 0},  {"<Par_Gen/>", 0},         {"", 0}, // no pargen.xml
    };
    for (const auto& [pargen, expected] : cases) {
        SCOPED_TRACE(pargen);
        gwtest::TempDir dir;
        if (!pargen.empty())
            gwtest::WriteFile(dir / "pargen.xml", pargen);
        gwtest::WriteFile(dir / "sdo.xml", ReceiveDocument(Rows(3, 8)));
        const GsdCounts c = ComputeGsdCounts(dir.Path());
        EXPECT_EQ(c.ProfiFrames, expected);
        // Max_Module always agrees with the modules written.
        EXPECT_EQ(c.InputModules, expected == 1 ? 3 : 1);
        const std::string text = GsdText(c);
        std::size_t modules = 0;
        for (std::size_t at = 0; (at = text.find("Module=\"", at)) != std::string::npos; ++at)
            ++modules;
        EXPECT_EQ(modules, static_cast<std::size_t>(c.InputModules));
    }
}

TEST(GsdCounts, EveryFrameCountsWhateverItsFlagsAndName) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "pargen.xml", PargenDocument("1"));
    gwtest::WriteFile(dir / "sdo.xml",
                      "<Profibus_to_Receive_CAN><Receive_Frames>"
                      "<row Cob_Id=\"$181\" Dimension=\"8\" Swap=\"\" Delete=\"Y\" Mnemonic=\"\"/>"
                      "<frame Cob_Id=\"$FFFFF\" Dimension=\"2\"/>"
                      "</Receive_Frames></Profibus_to_Receive_CAN>");
    const GsdCounts c = ComputeGsdCounts(dir.Path());
    EXPECT_EQ(c.InputModules, 2);
    EXPECT_EQ(c.InputBytes, 10);
    EXPECT_EQ(c.ReceiveDimensions, (std::vector<std::int32_t>{8, 2}));
    EXPECT_EQ(c.OutputModules, 0);
}

TEST(GsdFailure, NothingIsWrittenWhenTheDocumentsCannotBeRead) {
    using Files = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char* what;
        Files files;
        std::string expected;
    } cases[] = {
        {"Dimension missing",
         {{"sdo.xml", ReceiveDocument({Row{}, Row{.Dimension = std::nullopt}})}},
         "sdo.xml' has no attribute 'Dimension'"},
        {"Dimension not a number",
         {{"pdo.xml", SendDocument({Row{.Dimension = "eight"}})}},
         "'eight' is not a valid integer value"},
        {"malformed list", {{"pdo.xml", "<Profibus_to_Send_CAN><Send_Frames>"}}, "pdo.xml'"},
        {"malformed pargen", {{"pargen.xml", "<Par_Gen>"}}, "pargen.xml'"},
        {"list element missing",
         {{"sdo.xml", "<Profibus_to_Receive_CAN/>"}},
         "Element 'Receive_Frames' not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gwtest::TempDir dir;
        for (const auto& [name, text] : c.files)
            gwtest::WriteFile(dir / name, text);
        gwtest::WriteFile(dir / "old.gsd", "previous");
        try {
            WriteGsdFile(dir.Path(), dir / "new.gsd");
            ADD_FAILURE() << "written";
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.expected), std::string::npos) << e.what();
        }
        try {
            WriteGsdFile(dir.Path(), dir / "old.gsd");
            ADD_FAILURE() << "written";
        } catch (const std::exception&) {
        }
        EXPECT_FALSE(std::filesystem::exists(dir / "new.gsd"));
        EXPECT_EQ(gwtest::ReadFile(dir / "old.gsd"), "previous");
        // No temporary file is left behind either.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                                std::filesystem::directory_iterator()),
                  static_cast<long>(c.files.size() + 1));
    }
}

TEST(GsdFailure, AnUnwritableTargetIsAFileError) {
    gwtest::TempDir dir;
    EXPECT_THROW(WriteGsdFile(dir.Path(), dir / "missing/device.gsd"), FileError);
}

} // namespace
} // namespace gw
