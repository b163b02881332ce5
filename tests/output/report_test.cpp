// The commissioning report's findings and words, and the offline simulation
// of the data path, on small projects made for each rule.
#include "output/commissioning_report.h"
#include "output/simulation.h"

#include "output/bank_image.h"

#include "cli/cli_commands.h"
#include "common/errors.h"
#include "gateway/project_documents.h"
#include "project_fixture.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace gw {
namespace {

using gwtest::PargenDocument;
using gwtest::ReceiveDocument;
using gwtest::Row;
using gwtest::Rows;
using gwtest::SendDocument;

// A project folder; every document the editors' defaults unless a test says
// otherwise.
struct Project {
    gwtest::TempDir dir;

    explicit Project(const std::vector<Row>& receive = {Row{}},
                     const std::vector<Row>& send = {Row{.CobId = "$201", .Dimension = "4"}},
                     const std::optional<std::string>& pargen = PargenDocument()) {
        gwtest::WriteFile(dir / "sdo.xml", ReceiveDocument(receive));
        gwtest::WriteFile(dir / "pdo.xml", SendDocument(send));
        if (pargen)
            gwtest::WriteFile(dir / "pargen.xml", *pargen);
    }

    std::vector<std::string> Findings() const {
        std::vector<std::string> lines;
        for (const Finding& f : BuildCommissioningReport(dir.Path()).findings)
            lines.push_back(FindingLine(f));
        return lines;
    }

    GatewayMap Map() const { return MapGateway(ReadProjectDocuments(dir.Path())); }
};

// ---- Findings -------------------------------------------------------------

TEST(ReportFindings, ASoundProjectHasNone) {
    EXPECT_EQ(Project().Findings(), std::vector<std::string>{});
    // Swap groups that end on the frame's last byte, an empty Swap as the
    // editors store it, 30 frames of 8 bytes each way.
    std::vector<Row> send = Rows(30, 8);
    for (Row& r : send)
        r.CobId = std::to_string(std::stoi(*r.CobId) + 0x200); // none in both lists
    Project full(Rows(30, 8), send);
    EXPECT_EQ(full.Findings(), std::vector<std::string>{});
    Project edges({Row{.Dimension = "4", .Swap = "0x20"}, Row{.CobId = "$182", .Swap = "0xFE"},
                   Row{.CobId = "$183", .Swap = ""}});
    EXPECT_EQ(edges.Findings(), std::vector<std::string>{});
}

TEST(ReportFindings, EachRuleIsCaughtOnAProjectThatBreaksIt) {
    const std::string tooMany = "sdo.xml: The document sdo.xml holds 31 frames; only the first 30 "
                                "are shown, and only these 30 will be kept by OK.";
    const struct {
        const char* rule;
        Project project;
        std::vector<std::string> expected; // among the findings
    } cases[] = {
        {"an editor's row error",
         Project({Row{}, Row{.CobId = "$800"}}),
         {"sdo.xml:2: Error row 2!! CANOpen Cob-Id must be between 0x000 and 0x7FF. "}},
        {"an editor's parameter error",
         Project({Row{}}, {}, PargenDocument("0", "100", "126")),
         {"pargen.xml: Error!! ProfiBus address must be between 1 and 125. "}},
        {"more than 30 rows", Project(Rows(31, 1)), {tooMany}},
        {"more than 244 input bytes",
         Project(Rows(31, 8)),
         {tooMany, "sdo.xml: The receive frames fill 248 input bytes, more than the 244 a DP "
                   "master accepts of a slave"}},
        {"more than 244 output bytes",
         Project({}, Rows(31, 8)),
         {"pdo.xml: The send frames take 248 output bytes, more than the 244 a DP master "
          "accepts of a slave"}},
        {"lengths that wrap the image's offsets",
         Project(Rows(33, 8)),
         {"sdo.xml:33: The frame lengths add up to 264 bytes; the configuration image holds "
          "offsets and totals in one byte, so they wrap past 255 and the gateway's data "
          "overlap"}},
        {"only the total wraps",
         Project({}, Rows(32, 8)),
         {"pdo.xml: The frame lengths add up to 256 bytes; the configuration image holds "
          "offsets and totals in one byte, so they wrap past 255 and the gateway's data "
          "overlap"}},
        {"a Cob-ID twice in a list, however written",
         Project({Row{}, Row{.CobId = "$182"}, Row{.CobId = "385"}}),
         {"sdo.xml:3: Cob-ID $181 is also in row 1"}},
        {"a Cob-ID in both lists",
         Project({Row{}, Row{.CobId = "$201"}}),
         {"pdo.xml:1: Cob-ID $201 is also in the receive list (sdo.xml row 2)"}},
        {"a swap group past the frame's length",
         Project({Row{.Dimension = "3", .Swap = "0x20"}}),
         {"sdo.xml:1: Swap 0x20 joins bytes 3-4, past the frame's length of 3 bytes"}},
        {"bit 0 of the swap joins a ninth byte",
         Project({}, {Row{.Swap = "0x01"}}),
         {"pdo.xml:1: Swap 0x01 joins bytes 8-9, past the frame's length of 8 bytes"}},
        {"a Swap that is no byte",
         Project({Row{.Swap = "0x1FF"}, Row{.CobId = "$182", .Swap = "all"}}),
         {"sdo.xml:1: Swap '0x1FF' is not a byte value; the configuration image takes 0xFF",
          "sdo.xml:2: Swap 'all' is not a byte value; the configuration image takes 0x00"}},
        {"no communication parameters",
         Project({Row{}}, {}, std::nullopt),
         {"pargen.xml: No communication parameters: the configuration image carries no "
          "parameter block"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        const std::vector<std::string> found = c.project.Findings();
        for (const std::string& e : c.expected)
            EXPECT_NE(std::find(found.begin(), found.end(), e), found.end())
                << "missing: " << e << "\nfound:\n"
                << ::testing::PrintToString(found);
    }
}

TEST(ReportFindings, AnUnreadableDocumentIsAFindingNotAFailure) {
    Project p;
    gwtest::WriteFile(p.dir / "sdo.xml", "<Profibus_to_Receive_CAN><Receive_Frames>");
    const CommissioningReport r = BuildCommissioningReport(p.dir.Path());
    EXPECT_EQ(r.receive.summary, "sdo.xml: cannot be read");
    EXPECT_TRUE(r.receive.rows.empty());
    ASSERT_FALSE(r.findings.empty());
    EXPECT_EQ(r.findings[0].document, "sdo.xml");
    // The send list is still reported.
    EXPECT_EQ(r.send.rows.size(), 1u);
}

// ---- Words ----------------------------------------------------------------

TEST(ReportWords, SwapGroups) {
    const struct {
        unsigned mask;
        const char* words;
    } cases[] = {
        {0x00, "none"},
        {0x80, "bytes 1-2 swapped"},
        {0xE0, "bytes 1-4 swapped"},
        {0xA0, "bytes 1-2 swapped, bytes 3-4 swapped"},
        {0xB8, "bytes 1-2 swapped, bytes 3-6 swapped"},
        {0xFE, "bytes 1-8 swapped"},
        {0x03, "bytes 7-9 swapped"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SwapWords(c.mask), c.words) << std::hex << c.mask;
}

TEST(ReportWords, FramesShowWhatTheDocumentsHold) {
    // A Dimension the generators refuse gets no DP bytes and moves no later
    // frame; a Cob-ID that is no number shows as stored.
    Project p({Row{.Dimension = "9"}, Row{.CobId = "18x", .Dimension = "2"},
               Row{.CobId = std::nullopt, .Dimension = "1", .Delete = "Y", .Mnemonic = "Door"}});
    const CommissioningReport r = BuildCommissioningReport(p.dir.Path());
    using Cells = std::vector<std::string>;
    ASSERT_EQ(r.receive.rows.size(), 3u);
    EXPECT_EQ(r.receive.rows[0], (Cells{"1", "?", "?", "$181", "9", "none", "no", ""}));
    EXPECT_EQ(r.receive.rows[1], (Cells{"2", "1", "0-1", "18x", "2", "none", "no", ""}));
    EXPECT_EQ(r.receive.rows[2], (Cells{"3", "1", "2", "(none)", "1", "none", "yes", "Door"}));
}

TEST(ReportWords, DpBytesAreTheImagesOffsetsAlsoWhenTheyWrap) {
    std::vector<Row> rows = Rows(40, 7);
    rows[3].Dimension = "1";
    Project p(rows, Rows(3, 5));
    const CommissioningReport r = BuildCommissioningReport(p.dir.Path());
    const std::string image = BuildBankImage(p.dir.Path()).Bytes;
    ASSERT_EQ(r.receive.rows.size(), 40u);
    for (std::size_t i = 0; i < 40; ++i) {
        const auto offset = static_cast<unsigned char>(image[kBankHeaderSize + 8 * i + 7]);
        const std::string range = r.receive.rows[i][2];
        EXPECT_EQ(range.substr(0, range.find('-')), std::to_string(offset)) << "row " << i + 1;
    }
    const std::size_t sendAt = kBankHeaderSize + 8 * 40;
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(r.send.rows[i][2].substr(0, r.send.rows[i][2].find('-')),
                  std::to_string(static_cast<unsigned char>(image[sendAt + 7 * i + 6])));
}

TEST(ReportWords, ParametersWithoutAUsableDocument) {
    Project missing({}, {}, std::nullopt);
    const CommissioningReport r = BuildCommissioningReport(missing.dir.Path());
    EXPECT_EQ(r.parameters[0].value, "not set (no pargen.xml)");

    Project odd({}, {},
                "<Par_Gen><Can_Baud>9</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0"
                "</Can_Send_Data><Can_Send_Time>fast</Can_Send_Time><Profi_Baud>6</Profi_Baud>"
                "</Par_Gen>");
    const CommissioningReport o = BuildCommissioningReport(odd.dir.Path());
    std::vector<std::string> values;
    for (const ReportParameter& p : o.parameters)
        values.push_back(p.value);
    EXPECT_EQ(values, (std::vector<std::string>{"unknown (9)", "11-bit (CAN 2.0A)",
                                                "every ? ms (send time 'fast' is not a number)",
                                                "not set", "not set", "1.5 Mbit/s",
                                                "the bytes in modules of up to 64"}));
}

TEST(ReportText, TablesStayAlignedWithWideAndOddTexts) {
    // Columns count characters, not bytes; a line break in a cell stays in
    // its row.
    Project p({Row{.CobId = "Größe1"}, Row{.CobId = "$182", .Mnemonic = "two&#10;lines"}});
    StringSink text;
    WriteReportText(BuildCommissioningReport(p.dir.Path()), text);
    EXPECT_NE(
        text.Text().find("\n  1    1       0-7       Größe1  8       none  no\n"
                         "  2    1       8-15      $182    8       none  no      two lines\n"),
        std::string::npos)
        << text.Text();
}

// ---- Simulation -----------------------------------------------------------

TEST(Simulation, SwapOrderReversesEachGroupWithinTheFrame) {
    const struct {
        unsigned mask;
        int length;
        std::vector<int> order;
    } cases[] = {
        {0x00, 3, {0, 1, 2}},
        {0xE0, 8, {3, 2, 1, 0, 4, 5, 6, 7}},
        {0xA0, 4, {1, 0, 3, 2}},
        {0xE0, 2, {1, 0}}, // a group past the end is cut there
        {0x01, 8, {0, 1, 2, 3, 4, 5, 6, 7}},
        {0xFE, 8, {7, 6, 5, 4, 3, 2, 1, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SwapOrder(static_cast<std::uint8_t>(c.mask), c.length), c.order)
            << std::hex << c.mask;
}

TEST(Simulation, ReceivedFramesLandSwappedAtTheirOffset) {
    Project p({Row{.Dimension = "4"}, Row{.CobId = "$182", .Swap = "0xE0"},
               Row{.CobId = "$183", .Dimension = "2"}});
    const ReceiveOutcome r = SimulateReceive(
        p.Map(), {*ParseCanFrame("182#1122334455667788"), *ParseCanFrame("183#AA")});
    EXPECT_EQ(DpInputsText(r.inputs), "    0  -- -- -- -- 44 33 22 11 55 66 77 88 AA --\n");
    ASSERT_EQ(r.notes.size(), 2u);
    EXPECT_EQ(r.notes[0].text, "182#1122334455667788: receive row 2, DP input bytes 4-11");
    EXPECT_EQ(r.notes[1].text,
              "183#AA: receive row 3, DP input bytes 12-13 (1 of its 2 bytes received)");
}

TEST(Simulation, UnknownAndOverlongFramesAreIgnored) {
    Project p({Row{.Dimension = "2"}});
    const ReceiveOutcome r =
        SimulateReceive(p.Map(), {*ParseCanFrame("181#1122"), *ParseCanFrame("281#33"),
                                  *ParseCanFrame("181#445566"), *ParseCanFrame("181#77")});
    // The last frame overwrites its first byte; the ignored ones change nothing.
    EXPECT_EQ(DpInputsText(r.inputs), "    0  77 22\n");
    ASSERT_EQ(r.notes.size(), 4u);
    EXPECT_FALSE(r.notes[1].used);
    EXPECT_EQ(r.notes[1].text, "281#33: not in the receive list; ignored");
    EXPECT_FALSE(r.notes[2].used);
    EXPECT_EQ(r.notes[2].text,
              "181#445566: 3 data bytes, more than the 2 of receive row 1; ignored");
}

TEST(Simulation, ADpOutputImageLeavesAsTheSendFrames) {
    Project p({}, {Row{.CobId = "$201", .Dimension = "4", .Swap = "0xC0"},
                   Row{.CobId = "$202", .Dimension = "2"}, Row{.CobId = "$7FF", .Dimension = "1"}});
    const SendOutcome s = SimulateSend(p.Map(), *ParseHexBytes("11 22 33 44 55 66 77"));
    std::vector<std::string> frames;
    for (const SentFrame& f : s.frames)
        frames.push_back(CanFrameText(f.frame));
    EXPECT_EQ(frames, (std::vector<std::string>{"201#33221144", "202#5566", "7FF#77"}));
    EXPECT_EQ(s.frames[1].row, 2);
    EXPECT_EQ(s.frames[1].offset, 4u);
    EXPECT_TRUE(s.notes.empty());

    // Too short: the rest is 00; too long: the rest is ignored.
    EXPECT_EQ(SimulateSend(p.Map(), {0x11}).notes,
              std::vector<std::string>{
                  "The DP output image has 1 byte, the send list takes 7; bytes 1-6 are taken "
                  "as 00"});
    EXPECT_EQ(CanFrameText(SimulateSend(p.Map(), {0x11}).frames[0].frame), "201#00001100");
    EXPECT_EQ(SimulateSend(p.Map(), std::vector<std::uint8_t>(8, 0)).notes,
              std::vector<std::string>{
                  "The DP output image has 8 bytes, the send list takes 7; byte 7 is ignored"});
}

TEST(Simulation, A29BitProjectSendsExtendedFrames) {
    Project p({Row{.Dimension = "1"}},
              {Row{.CobId = "$18FF0001", .Dimension = "2"}, Row{.CobId = "$182", .Dimension = "1"}},
              "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>0</Can_Type><Can_Send_Data>1"
              "</Can_Send_Data><Can_Send_Time>100</Can_Send_Time><Can_TO>10</Can_TO>"
              "<Profi_ID>1</Profi_ID><Profi_Baud>10</Profi_Baud><Profi_Frames>0</Profi_Frames>"
              "</Par_Gen>");
    const SendOutcome s = SimulateSend(p.Map(), {1, 2, 3});
    ASSERT_EQ(s.frames.size(), 2u);
    EXPECT_EQ(CanFrameText(s.frames[0].frame), "18FF0001#0102");
    EXPECT_EQ(CanFrameText(s.frames[1].frame), "00000182#03");
    // A received frame is found by its identifier, however many digits it has.
    const ReceiveOutcome r = SimulateReceive(p.Map(), {*ParseCanFrame("00000181#01")});
    EXPECT_TRUE(r.notes[0].used);
    EXPECT_EQ(DpInputsText(r.inputs), "    0  01\n");
}

TEST(Simulation, FrameNotation) {
    const struct {
        const char* text;
        const char* parsed; // nullptr: not a frame
    } cases[] = {
        {"181#1122334455667788", "181#1122334455667788"},
        {"7ff#aa.bb", "7FF#AABB"},
        {"181#", "181#"},
        {"1FFFFFFF#00", "1FFFFFFF#00"},
        {"800#00", nullptr},      // more than 11 bits in three digits
        {"20000000#00", nullptr}, // more than 29 bits
        {"18#11", nullptr},
        {"0181#11", nullptr},
        {"181#123", nullptr},
        {"181#zz", nullptr},
        {"181#112233445566778899", nullptr}, // nine bytes
        {"181", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<CanFrame> f = ParseCanFrame(c.text);
        if (c.parsed)
            EXPECT_EQ(f ? CanFrameText(*f) : "(none)", c.parsed) << c.text;
        else
            EXPECT_FALSE(f) << c.text;
    }
    EXPECT_EQ(ParseHexBytes("11:22.33 44"), (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x44}));
    EXPECT_FALSE(ParseHexBytes("1122 3"));
}

TEST(Simulation, AProjectWithoutAnImageCannotBeSimulated) {
    Project p({Row{.Dimension = "9"}});
    try {
        p.Map();
        FAIL() << "no error";
    } catch (const DocumentError& e) {
        EXPECT_STREQ(e.what(),
                     "sdo.xml: Error row 1!! CANOpen Dimension must be between 1 and 8. ");
    }
}

// ---- The commands ---------------------------------------------------------

struct Outcome {
    int status;
    std::string out, err;
};

Outcome Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::Run(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(ReportCommands, SimulateReceive) {
    Project p({Row{.Dimension = "4"}, Row{.CobId = "$182", .Swap = "0xE0"}});
    const Outcome r = Cli({"simulate", p.dir.Path(), "--can", "182#1122334455667788", "281#11"});
    EXPECT_EQ(r.status, cli::kExitInvalid);
    EXPECT_EQ(r.out, "182#1122334455667788: receive row 2, DP input bytes 4-11\n"
                     "DP inputs (12 bytes):\n"
                     "    0  -- -- -- -- 44 33 22 11 55 66 77 88\n");
    EXPECT_EQ(r.err, "281#11: not in the receive list; ignored\n");
    EXPECT_EQ(Cli({"simulate", p.dir.Path(), "--can", "181#01020304"}).status, cli::kExitOk);
}

TEST(ReportCommands, SimulateSend) {
    Project p({}, {Row{.CobId = "$201", .Dimension = "2", .Swap = "0x80"},
                   Row{.CobId = "$202", .Dimension = "1"}});
    const Outcome r = Cli({"simulate", p.dir.Path(), "--dp", "1122", "33"});
    EXPECT_EQ(r.status, cli::kExitOk) << r.err;
    EXPECT_EQ(r.out, "201#2211  send row 1, DP output bytes 0-1\n"
                     "202#33  send row 2, DP output bytes 2\n");
}

TEST(ReportCommands, UsageAndStatus) {
    Project p;
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err; // a part of standard error
    } cases[] = {
        {{"simulate", p.dir.Path()}, cli::kExitUsage, "give either --can or --dp"},
        {{"simulate", p.dir.Path(), "--can", "181#11", "--dp", "11"},
         cli::kExitUsage,
         "give either --can or --dp"},
        {{"simulate", p.dir.Path(), "--can"}, cli::kExitUsage, "--can needs at least one frame"},
        {{"simulate", p.dir.Path(), "--can", "181#1", "--can", "181#11"},
         cli::kExitUsage,
         "option --can given twice"},
        {{"simulate", p.dir.Path(), "--can", "181-11"},
         cli::kExitUsage,
         "'181-11' is not a CAN frame such as 181#1122334455667788"},
        {{"simulate", p.dir.Path(), "--dp", "1g"},
         cli::kExitUsage,
         "'1g' is not a DP output image in hexadecimal such as 1122334455"},
        {{"simulate", "--can", "181#11"}, cli::kExitUsage, "missing PROJECT_DIR"},
        {{"report", p.dir / "nowhere"}, cli::kExitInvalid, "not found"},
        {{"report", p.dir.Path(), "-o", p.dir / "no/such/folder/r.html"},
         cli::kExitInvalid,
         "Cannot write file"},
        {{"report", p.dir.Path()}, cli::kExitOk, ""},
    };
    for (const auto& c : cases) {
        const Outcome r = Cli(c.args);
        EXPECT_EQ(r.status, c.status) << ::testing::PrintToString(c.args) << r.err;
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    }
}

TEST(ReportCommands, ReportToAFileByItsName) {
    Project p({Row{}, Row{}});
    for (const char* name : {"r.html", "R.HTM", "r.txt"}) {
        const Outcome r = Cli({"report", p.dir.Path(), "-o", p.dir / name});
        EXPECT_EQ(r.status, cli::kExitInvalid);
        EXPECT_EQ(r.out, "Wrote " + (p.dir / name) + " (1 finding)\n");
        const std::string written = gwtest::ReadFile(p.dir / name);
        const bool html = std::string(name) != "r.txt";
        EXPECT_EQ(written.rfind("<!DOCTYPE html>", 0) == 0, html) << name;
        // Self-contained: no scripts and nothing fetched from elsewhere.
        for (const char* outside : {"<script", "src=", "href=", "@import", "url("})
            EXPECT_EQ(written.find(outside), std::string::npos) << name << ": " << outside;
    }
}

} // namespace
} // namespace gw
