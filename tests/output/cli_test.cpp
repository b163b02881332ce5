// sw40931-cli: the commands in process, and the built program against the core.
#include "cli/cli_commands.h"

#include "common/hex_text.h"
#include "gateway/frame_list.h"
#include "gateway/pargen.h"
#include "output/bank_dump.h"
#include "output/bank_image.h"
#include "output/gsd_file.h"
#include "project_fixture.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace gw {
namespace {

using gwtest::PargenDocument;
using gwtest::ReceiveDocument;
using gwtest::Row;
using gwtest::Rows;
using gwtest::SendDocument;

using Outcome = gwtest::ProgramOutcome;

// Runs the built program, its output captured in files of `scratch`.
Outcome RunProgram(const std::vector<std::string>& args, const gwtest::TempDir& scratch) {
    return gwtest::RunProgram(GW_CLI_PATH, args, scratch);
}

Outcome RunInProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Outcome o;
    o.status = cli::Run(args, out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
}

// A project as the editors leave it: their own save functions write it.
class CliProject : public ::testing::Test {
protected:
    CliProject() {
        std::filesystem::create_directory(project / "bin");
        PargenFields fields;
        fields.sendTime = "250";
        fields.profiId = "$14";
        fields.gsdFromMapping = true;
        SavePargen(project / "pargen.xml", fields);
        FrameGrid receive(FrameListKind::Receive);
        for (int row = 1; row <= MaxFrameRows; ++row)
            receive.SetRow(row, {CobIdText(0x180 + row), "8", row == 8 ? "0x1B" : "0x00",
                                 row == 5 ? "Y" : "N", "Frame " + std::to_string(row)});
        SaveFrameDocument(FrameListKind::Receive, receive, project / "sdo.xml");
        FrameGrid send(FrameListKind::Send);
        for (int row = 1; row <= 12; ++row)
            send.SetRow(row, {std::to_string(0x200 + row), "3", "", "", ""});
        SaveFrameDocument(FrameListKind::Send, send, project / "pdo.xml");
    }

    gwtest::TempDir project;
    gwtest::TempDir scratch;
};

TEST_F(CliProject, ProgramWritesWhatTheCoreBuilds) {
    const Outcome bank = RunProgram({"bank", project.Path()}, scratch);
    EXPECT_EQ(bank.status, 0) << bank.err;
    const BankImage image = BuildBankImage(project.Path());
    EXPECT_EQ(gwtest::ReadFile(project / "bin/bank.bin"), image.Bytes);

    const Outcome other =
        RunProgram({"bank", project.Path(), "-o", scratch / "other.bin"}, scratch);
    EXPECT_EQ(other.status, 0) << other.err;
    EXPECT_EQ(gwtest::ReadFile(scratch / "other.bin"), image.Bytes);

    const Outcome gsd = RunProgram({"gsd", "-o", scratch / "device.gsd", project.Path()}, scratch);
    EXPECT_EQ(gsd.status, 0) << gsd.err;
    EXPECT_EQ(gwtest::ReadFile(scratch / "device.gsd"), GsdText(ComputeGsdCounts(project.Path())));

    const Outcome dump = RunProgram({"dump-bank", project / "bin/bank.bin"}, scratch);
    EXPECT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.out, DescribeBankImage(image.Bytes));
    EXPECT_TRUE(dump.err.empty());
}

TEST_F(CliProject, ProgramExitStatus) {
    gwtest::WriteFile(scratch / "junk.bin", "not an image");
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err; // a part of standard error
    } cases[] = {
        {{}, 2, "Usage: sw40931-cli COMMAND"},
        {{"--help"}, 0, ""},
        {{"bank", "--help"}, 0, ""},
        {{"gsd", "--help"}, 0, ""},
        {{"dump-bank", "--help"}, 0, ""},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"bank"}, 2, "missing PROJECT_DIR"},
        {{"bank", project.Path(), "extra"}, 2, "unexpected argument 'extra'"},
        {{"bank", project.Path(), "-o"}, 2, "option -o needs a file name"},
        {{"bank", project.Path(), "-x"}, 2, "unknown option '-x'"},
        {{"gsd", project.Path()}, 2, "missing -o FILE"},
        {{"dump-bank", "a", "-o", "b"}, 2, "unknown option '-o'"},
        {{"bank", project / "nowhere"},
         1,
         "project folder '" + (project / "nowhere") + "' not found"},
        {{"dump-bank", scratch / "junk.bin"}, 1, "junk.bin' is not a configuration image"},
        {{"check", project.Path()}, 0, ""},
        {{"check", "--help"}, 0, ""},
        {{"check"}, 2, "missing PROJECT_DIR"},
        {{"check", project.Path(), "-o", "x"}, 2, "unknown option '-o'"},
        {{"dump-bank", scratch / "none.bin"}, 1, "Cannot open file"},
        {{"--version"}, 0, ""},
        {{"--data-dir"}, 2, "option --data-dir needs a folder"},
        {{"--data-dir", scratch.Path()}, 2, "Usage: sw40931-cli COMMAND"},
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& a : c.args)
            line += a + " ";
        SCOPED_TRACE(line);
        const Outcome o = RunProgram(c.args, scratch);
        EXPECT_EQ(o.status, c.status);
        EXPECT_NE(o.err.find(c.err), std::string::npos) << o.err;
        if (c.status == 0) {
            EXPECT_FALSE(o.out.empty());
        }
        // The program and the core agree on everything they print.
        const Outcome in = RunInProcess(c.args);
        EXPECT_EQ(in.status, o.status);
        EXPECT_EQ(in.out, o.out);
        EXPECT_EQ(in.err, o.err);
    }
}

TEST_F(CliProject, VersionIsTheProjectsOne) {
    const Outcome o = RunProgram({"--version"}, scratch);
    EXPECT_EQ(o.out, std::string("sw40931-cli ") + GW_PROJECT_VERSION + "\n");
}

// A project given by name is looked for in PROJECTS of the data folder the
// windowed program would use.
TEST_F(CliProject, AProjectNameIsFoundInTheDataFolder) {
    namespace fs = std::filesystem;
    gwtest::TempDir data;
    fs::create_directories(data / "PROJECTS");
    fs::copy(project.Path(), data / "PROJECTS/Pump", fs::copy_options::recursive);
    const std::string bytes = BuildBankImage(project.Path()).Bytes;

    const Outcome o = RunProgram({"--data-dir", data.Path(), "bank", "Pump"}, scratch);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(gwtest::ReadFile(data / "PROJECTS/Pump/bin/bank.bin"), bytes);

    const Outcome gone = RunProgram({"--data-dir=" + data.Path(), "check", "Gone"}, scratch);
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(gone.err, "sw40931-cli check: project folder 'Gone' not found, nor '" +
                            (data / "PROJECTS/Gone") + "'\n");

    // An installed CLI takes the user's data folder, as the program does.
    gwtest::TempDir root;
    fs::create_directories(root / "usr/bin");
    fs::create_directories(root / "usr/share/sw40931");
    fs::create_directories(root / "home/.local/share/sw40931");
    fs::rename(data / "PROJECTS", root / "home/.local/share/sw40931/PROJECTS");
    std::ostringstream out, err;
    const cli::Surroundings installed{root / "usr/bin", {"", root / "home"}};
    EXPECT_EQ(cli::Run({"check", "Pump"}, out, err, installed), 0) << err.str();
    EXPECT_NE(out.str().find("PROJECTS/Pump: no errors"), std::string::npos) << out.str();

    // With neither, a name is a folder of the working folder only.
    const Outcome plain = RunInProcess({"check", "Pump"});
    EXPECT_EQ(plain.err, "sw40931-cli check: project folder 'Pump' not found\n");
}

TEST_F(CliProject, AnInvalidProjectWritesNothing) {
    gwtest::WriteFile(project / "bin/bank.bin", "previous");
    gwtest::WriteFile(project / "pdo.xml", SendDocument({Row{.Dimension = "four"}}));
    const Outcome bank = RunProgram({"bank", project.Path()}, scratch);
    EXPECT_EQ(bank.status, 1);
    EXPECT_EQ(bank.err, "sw40931-cli bank: 'four' is not a valid integer value\n");
    EXPECT_TRUE(bank.out.empty());
    EXPECT_EQ(gwtest::ReadFile(project / "bin/bank.bin"), "previous");

    const Outcome gsd = RunProgram({"gsd", project.Path(), "-o", scratch / "device.gsd"}, scratch);
    EXPECT_EQ(gsd.status, 1);
    EXPECT_EQ(gsd.err, "sw40931-cli gsd: 'four' is not a valid integer value\n");
    EXPECT_FALSE(std::filesystem::exists(scratch / "device.gsd"));
}

TEST_F(CliProject, CheckPassesAProjectTheEditorsAccept) {
    const Outcome o = RunProgram({"check", project.Path()}, scratch);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out,
              project.Path() + ": no errors (11-bit identifiers, 30 receive and 12 send frames)\n");
    EXPECT_TRUE(o.err.empty());
}

TEST_F(CliProject, CheckReportsEveryErrorWithTheEditorsTexts) {
    PargenFields fields;
    fields.canType11Bit = false;
    fields.sendTime = "0";
    fields.profiId = "126";
    SavePargen(project / "pargen.xml", fields);
    FrameGrid receive(FrameListKind::Receive);
    receive.SetRow(1, {"$1FFFFFFF", "8", "", "N", ""});
    receive.SetRow(2, {"$20000000", "0", "", "N", ""});
    receive.SetRow(3, {"$181", "abc", "", "N", ""});
    SaveFrameDocument(FrameListKind::Receive, receive, project / "sdo.xml");
    FrameGrid send(FrameListKind::Send);
    send.SetRow(1, {"-1", "8", "", "", ""});
    SaveFrameDocument(FrameListKind::Send, send, project / "pdo.xml");

    const Outcome o = RunInProcess({"check", project.Path()});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(o.out.empty());
    const std::vector<std::string> pargenErrors = CheckPargenFields("0", "10", "126");
    ASSERT_EQ(pargenErrors.size(), 2u);
    const std::string expected = "pargen.xml: " + pargenErrors[0] + "\n" +                       //
                                 "pargen.xml: " + pargenErrors[1] + "\n" +                       //
                                 "sdo.xml: " + CobIdRangeMessage(2, CobIdWidth::Bits29) + "\n" + //
                                 "sdo.xml: " + DimensionRangeMessage(2) + "\n" +                 //
                                 "sdo.xml: " + DimensionRangeMessage(3) + "\n" +                 //
                                 "pdo.xml: " + CobIdRangeMessage(1, CobIdWidth::Bits29) + "\n" + //
                                 "bank.bin: 'abc' is not a valid integer value\n";
    EXPECT_EQ(o.err, expected);
    EXPECT_EQ(RunProgram({"check", project.Path()}, scratch).err, expected);
}

TEST_F(CliProject, CheckReportsWhatTheEditorsCannotLoad) {
    // A malformed pargen.xml: reported, and the frames checked for 11-bit identifiers.
    gwtest::WriteFile(project / "pargen.xml", "<Par_Gen><Can_Type>0</Par_Gen>");
    FrameGrid receive(FrameListKind::Receive);
    receive.SetRow(1, {"$800", "8", "", "N", ""});
    SaveFrameDocument(FrameListKind::Receive, receive, project / "sdo.xml");
    // 31 frames, more than an editor holds; the 31st lacks its Cob_Id.
    std::vector<Row> rows = Rows(31, 1);
    rows[30].CobId = std::nullopt;
    gwtest::WriteFile(project / "pdo.xml", SendDocument(rows));

    const Outcome o = RunInProcess({"check", project.Path()});
    EXPECT_EQ(o.status, 1);
    std::vector<std::string> lines;
    std::istringstream in(o.err);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    // The GSD stops at the same malformed pargen.xml: that message is reported once.
    ASSERT_EQ(lines.size(), 4u) << o.err;
    EXPECT_EQ(lines[0].rfind("pargen.xml: Start-end tags mismatch", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "sdo.xml: " + CobIdRangeMessage(1, CobIdWidth::Bits11));
    EXPECT_EQ(lines[2], "pdo.xml: " + TooManyFramesMessage(FrameListKind::Send, 31));
    EXPECT_EQ(lines[3],
              "bank.bin: Frame 31 in '" + (project / "pdo.xml") + "' has no attribute 'Cob_Id'");
}

} // namespace
} // namespace gw
