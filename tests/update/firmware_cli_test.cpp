// sw40931-cli firmware: its output checked by an independent S-record tool
// (srec_cat, srec_cmp and srec_info of the srecord package), its messages and
// exit status.
#include "cli/cli_commands.h"

#include "support/run_program.h"
#include "support/temp_dir.h"
#include "update/firmware_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

using gwtest::BankBytes;
using gwtest::BankRange;
using gwtest::MakeFirmware;
using gwtest::ProgramOutcome;
using gwtest::ReadFile;
using gwtest::RunProgram;
using gwtest::S2Lines;
using gwtest::WriteFile;

namespace {

std::string Hex(std::uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "0x%06X", v);
    return s;
}

class FirmwareCommand : public ::testing::Test {
protected:
    FirmwareCommand() {
        std::filesystem::create_directory(dir / "bin");
        for (int stage = 1; stage <= 5; ++stage)
            WriteFile(dir / ("bin/bank" + std::to_string(stage) + ".bin"),
                      BankBytes(stage, stage == 5 ? 1000 : 0x4000)); // bank 5 is short
    }

    ProgramOutcome Cli(const std::vector<std::string>& args) {
        std::vector<std::string> all{"firmware"};
        all.insert(all.end(), args.begin(), args.end());
        return RunProgram(GW_CLI_PATH, all, scratch);
    }

    ProgramOutcome InProcess(const std::vector<std::string>& args) {
        std::vector<std::string> all{"firmware"};
        all.insert(all.end(), args.begin(), args.end());
        std::ostringstream out, err;
        ProgramOutcome o;
        o.status = gw::cli::Run(all, out, err);
        o.out = out.str();
        o.err = err.str();
        return o;
    }

    // srec_cat's own splice: the source without the banks' ranges, and each
    // bank file at its address, filled with zeros to the bank's size.
    void ExpectedBySrecCat(const std::vector<int>& banks, const std::string& target) {
        std::vector<std::string> args{dir / "src.sx"};
        for (int bank : banks) {
            const gwtest::AddressRange r = BankRange(bank);
            args.insert(args.end(), {"-exclude", Hex(r.first), Hex(r.end)});
        }
        for (int bank : banks) {
            const gwtest::AddressRange r = BankRange(bank);
            args.insert(args.end(),
                        {dir / ("bin/bank" + std::to_string(bank) + ".bin"), "-binary", "-offset",
                         Hex(r.first), "-fill", "0x00", Hex(r.first), Hex(r.end)});
        }
        args.insert(args.end(), {"-o", target});
        const ProgramOutcome o = RunProgram("srec_cat", args, scratch);
        ASSERT_EQ(o.status, 0) << o.err;
    }

    gwtest::TempDir dir;
    gwtest::TempDir scratch;
};

TEST_F(FirmwareCommand, SrecordToolsSeeTheSourceWithTheBanksReplaced) {
    // Code below, between and above the banks; around bank 2 the records are
    // 16 bytes long and shifted by 8, so two of them cross the bank's edges.
    const gwtest::AddressRange b2 = BankRange(2);
    WriteFile(dir / "src.sx", "S00600004844521B\n" + S2Lines({0x380000, b2.first - 0x18}) +
                                  S2Lines({b2.first - 0x18, b2.end + 0x18}, "\n", 16) +
                                  S2Lines({b2.end + 0x18, 0x3D0000}) + "S9030000FC\n");

    const struct {
        std::vector<std::string> option;
        std::vector<int> banks;
    } cases[] = {
        {{}, {1, 2, 3, 4, 5}},
        {{"--banks", "1,2"}, {1, 2}},
        {{"--banks=5,3"}, {3, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.banks.size());
        std::vector<std::string> args{dir / "src.sx", dir / "bin", dir / "out.sx"};
        args.insert(args.end(), c.option.begin(), c.option.end());
        const ProgramOutcome ours = Cli(args);
        ASSERT_EQ(ours.status, 0) << ours.err;
        EXPECT_EQ(ours.err, "");

        ExpectedBySrecCat(c.banks, dir / "expected.sx");
        const ProgramOutcome same =
            RunProgram("srec_cmp", {dir / "out.sx", dir / "expected.sx"}, scratch);
        EXPECT_EQ(same.status, 0) << same.out << same.err;
        const ProgramOutcome info = RunProgram("srec_info", {dir / "out.sx"}, scratch);
        EXPECT_EQ(info.status, 0) << info.err;
    }

    // The peers do notice a wrong checksum and a wrong byte.
    std::string out = ReadFile(dir / "out.sx");
    const std::size_t line = out.find("\r\nS2") + 2;
    std::string badSum = out;
    std::swap(badSum[out.find("\r\n", line) - 1], badSum[out.find("\r\n", line) - 2]);
    WriteFile(dir / "bad.sx", badSum);
    EXPECT_NE(RunProgram("srec_info", {dir / "bad.sx"}, scratch).status, 0);
    ExpectedBySrecCat({1, 2, 3, 4}, dir / "expected.sx");
    EXPECT_NE(RunProgram("srec_cmp", {dir / "out.sx", dir / "expected.sx"}, scratch).status, 0);
}

TEST_F(FirmwareCommand, ABankMissingFromTheSourceIsReportedAndTheFileWritten) {
    const std::string source = MakeFirmware({BankRange(1), BankRange(2), BankRange(4)});
    WriteFile(dir / "src.sx", source);
    const ProgramOutcome o = InProcess({dir / "src.sx", dir / "bin", dir / "out.sx"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "sw40931-cli firmware: bank 3 not found in the firmware\n"
                     "sw40931-cli firmware: bank 5 not found in the firmware\n");
    EXPECT_EQ(o.out, "Wrote " + dir / "out.sx" + "\n");
    EXPECT_TRUE(std::filesystem::exists(dir / "out.sx"));
    // Only the new file joins the folder: the stage files are gone.
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"bin", "out.sx", "src.sx"}));
}

TEST_F(FirmwareCommand, FailuresEndWithTheMessageAndNoNewFile) {
    const struct {
        const char* what;
        std::string source;
        std::vector<std::string> extra;
        std::string message;
    } cases[] = {
        {"no end record",
         MakeFirmware({BankRange(1)}, "\n", 32, false),
         {},
         "File New Sx Not Create,Abort Procedure"},
        {"no source", "", {}, "File *.Sx Not Found,Abort Procedure"},
        {"bank file missing",
         MakeFirmware({BankRange(1)}),
         {"--banks", "1,4"},
         "File bank4.bin Not Found,Abort Procedure"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.source.empty())
            std::filesystem::remove(dir / "src.sx");
        else
            WriteFile(dir / "src.sx", c.source);
        std::filesystem::remove(dir / "bin/bank4.bin");
        std::vector<std::string> args{dir / "src.sx", dir / "bin", dir / "out.sx"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const ProgramOutcome o = Cli(args);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, "sw40931-cli firmware: " + c.message + "\n");
        EXPECT_FALSE(std::filesystem::exists(dir / "out.sx"));
    }
}

TEST_F(FirmwareCommand, UsageErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"a.sx", "bin"},
        {"a.sx", "bin", "out.sx", "more"},
        {"a.sx", "bin", "out.sx", "--banks"},
        {"a.sx", "bin", "out.sx", "--banks", "0"},
        {"a.sx", "bin", "out.sx", "--banks", "6"},
        {"a.sx", "bin", "out.sx", "--banks", "1,,2"},
        {"a.sx", "bin", "out.sx", "--banks", "1,2,"},
        {"a.sx", "bin", "out.sx", "--banks", "2,2"},
        {"a.sx", "bin", "out.sx", "--banks", "12"},
        {"a.sx", "bin", "out.sx", "--banks", "1", "--banks", "2"},
        {"a.sx", "bin", "out.sx", "--bank", "1"},
    };
    for (const auto& args : cases) {
        const ProgramOutcome o = InProcess(args);
        EXPECT_EQ(o.status, 2) << testing::PrintToString(args);
        EXPECT_TRUE(o.err.starts_with("sw40931-cli firmware: ")) << o.err;
        EXPECT_NE(o.err.find("Usage: sw40931-cli firmware"), std::string::npos) << o.err;
    }
    const ProgramOutcome help = InProcess({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: sw40931-cli firmware")) << help.out;
    std::ostringstream out, err;
    EXPECT_EQ(gw::cli::Run({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("firmware SOURCE.sx BINDIR OUT.sx [--banks LIST]"), std::string::npos);
}

} // namespace
