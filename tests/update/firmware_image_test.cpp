// The firmware build: bank records, one stage's merge with its checks and
// results, and the five stages with their stage files.
#include "update/firmware_image.h"

#include "support/temp_dir.h"
#include "update/firmware_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

using namespace gw;
using gwtest::AddressRange;
using gwtest::BankBytes;
using gwtest::BankRange;
using gwtest::MakeFirmware;
using gwtest::ReadFile;
using gwtest::WriteFile;

namespace {

std::vector<std::string> Lines(const std::string& text, const std::string& eol = "\r\n") {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find(eol, at);
        if (end == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, end - at));
        at = end + eol.size();
    }
    return lines;
}

std::string Hex(const std::string& bytes) {
    std::string s;
    char two[3];
    for (unsigned char b : bytes) {
        std::snprintf(two, sizeof two, "%02X", b);
        s += two;
    }
    return s;
}

std::string WithCrLf(const std::string& lfText) {
    std::string s;
    for (char c : lfText) {
        if (c == '\n')
            s += '\r';
        s += c;
    }
    return s;
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SRecord, Checksum) {
    const struct {
        std::string record; // without its checksum
        int checksum;
    } cases[] = {
        {"S224388000" + std::string(64, '0'), 0x23},
        {"S1137AF00A0A0D0000000000000000000000000000", 0x61},
        {"S9030000", 0xFC},
        {"S2043880ff", 0x44}, // lowercase digits read as well
    };
    for (const auto& c : cases)
        EXPECT_EQ(SRecordChecksum(c.record), c.checksum) << c.record;
    const std::uint8_t data[] = {0x01, 0xAB};
    EXPECT_EQ(S2Record(0x3C8010, data, 2), gwtest::S2Line(0x3C8010, {0x01, 0xAB}));
}

TEST(SRecord, BankRecordsCoverTheBankFromItsFile) {
    const std::string bytes = BankBytes(3);
    const std::vector<std::string> lines = Lines(BankRecords(3, bytes));
    ASSERT_EQ(lines.size(), 512u);
    EXPECT_TRUE(lines[0].starts_with("S2243A8000")) << lines[0];
    for (int i = 0; i < 512; ++i) {
        const std::uint32_t address = 0x3A8000 + 32 * i;
        const std::vector<std::uint8_t> data(bytes.begin() + 32 * i, bytes.begin() + 32 * i + 32);
        ASSERT_EQ(lines[i], gwtest::S2Line(address, data)) << i;
    }
    EXPECT_EQ(BankRecords(1, "").substr(0, 10), "S224388000");
}

TEST(SRecord, ShortBankFileIsFilledWithZerosAndLongOneCut) {
    const std::string shortFile = BankBytes(2, 100);
    std::string filled = shortFile + std::string(0x4000 - 100, '\0');
    EXPECT_EQ(BankRecords(2, shortFile), BankRecords(2, filled));
    // Record 3 holds bytes 96 to 127: four from the file, then zeros.
    const std::string record3 = Lines(BankRecords(2, shortFile))[3];
    EXPECT_EQ(record3.substr(10, 64), Hex(shortFile.substr(96, 4)) + std::string(56, '0'));
    EXPECT_EQ(BankRecords(2, BankBytes(2, 0x5000)), BankRecords(2, BankBytes(2)));
}

TEST(SRecord, StageAndBankNames) {
    EXPECT_EQ(StageFileName(1), "\xC2\xB0"
                                "B1\xC2\xB0.sx");
    EXPECT_EQ(BankFileName(5), "bank5.bin");
    EXPECT_EQ(BankStart(1), 0x388000u);
    EXPECT_EQ(BankStart(5), 0x3C8000u);
    EXPECT_EQ(BankFileNotFoundMessage(4), "File bank4.bin Not Found,Abort Procedure");
}

// A project folder with a bin folder holding the five bank files.
class Merge : public ::testing::Test {
protected:
    Merge() {
        std::filesystem::create_directory(dir / "bin");
        Reset();
    }

    void Reset() {
        for (int stage = 1; stage <= 5; ++stage)
            WriteFile(dir / ("bin/" + BankFileName(stage)), BankBytes(stage));
        folders = {dir.Path() + "/", dir.Path() + "/bin/", "New_fw.sx"};
    }

    MergeOutcome Run(int stage, const std::string& input, const std::string& output = "out.sx",
                     bool ask = false, const MergeCallbacks& callbacks = {}) {
        WriteFile(dir / "in.sx", input);
        return MergeBank(folders, stage, ask, output, dir / "in.sx", callbacks);
    }

    gwtest::TempDir dir;
    FirmwareFolders folders;
};

TEST_F(Merge, BankRecordsTakeThePlaceOfTheFirstRecordInRange) {
    const std::string source =
        MakeFirmware({{0x380000, 0x380040}, BankRange(1), {0x38C000, 0x38C020}});
    const MergeOutcome m = Run(1, source);
    EXPECT_EQ(m.result, kBankInserted);
    EXPECT_EQ(m.message, "");
    const std::vector<std::string> in = Lines(source, "\n");
    const std::vector<std::string> out = Lines(ReadFile(dir / "out.sx"));
    ASSERT_EQ(out.size(), in.size()); // 512 records replaced by 512
    const std::vector<std::string> bank = Lines(BankRecords(1, BankBytes(1)));
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i >= 3 && i < 3 + 512)
            EXPECT_EQ(out[i], bank[i - 3]) << i;
        else
            EXPECT_EQ(out[i], in[i]) << i;
    }
    EXPECT_TRUE(ReadFile(dir / "out.sx").ends_with("S9030000FC\r\n"));
    EXPECT_FALSE(std::filesystem::exists(dir / "bin/Bin.sx"));
}

TEST_F(Merge, ASourceWithoutTheBankIsCopiedUnchanged) {
    const std::string source = WithCrLf(MakeFirmware({{0x380000, 0x380100}, BankRange(2)}));
    const MergeOutcome m = Run(1, source);
    EXPECT_EQ(m.result, kBankNotFound);
    EXPECT_EQ(m.message, "");
    EXPECT_EQ(ReadFile(dir / "out.sx"), source);
}

TEST_F(Merge, EveryLineEndIsReadAndWrittenAsCrLf) {
    // LF, CR LF and a lone CR, a last line without its end, an empty line.
    const std::string source = "S0030000FC\rS1050000AABB95\r\n\nS5030001FB\nS9030000FC";
    std::vector<std::pair<int, int>> progress;
    MergeCallbacks callbacks;
    callbacks.progress = [&](int position, int maximum) {
        progress.push_back({position, maximum});
    };
    EXPECT_EQ(Run(2, source, "out.sx", false, callbacks).result, kBankNotFound);
    EXPECT_EQ(ReadFile(dir / "out.sx"),
              "S0030000FC\r\nS1050000AABB95\r\n\r\nS5030001FB\r\nS9030000FC\r\n");
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress.front(), std::make_pair(0, 0));
    EXPECT_EQ(progress.back(), std::make_pair(512 + 5, 512 + 5));
}

TEST_F(Merge, LineEndsDoNotChangeTheResultOfABigFirmware) {
    // Larger than the read buffer, so lines and line ends straddle its refills.
    const std::vector<AddressRange> ranges = {{0x340000, 0x3D0000}};
    std::string expected;
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(eol.size() == 2 ? "CR LF" : eol == "\n" ? "LF" : "CR");
        const std::string source = MakeFirmware(ranges, eol);
        ASSERT_GT(source.size(), 1u << 20);
        WriteFile(dir / "src.sx", source);
        const FirmwareBuild build =
            BuildFirmwareImage(folders, dir / "src.sx", {true, true, true, true, true});
        ASSERT_FALSE(build.failed) << build.message;
        const std::string built = ReadFile(dir / "New_fw.sx");
        if (expected.empty()) {
            expected = built;
            // Only the banks differ from the source.
            EXPECT_EQ(built.size(), source.size());
            EXPECT_EQ(built.substr(0, 0x8000), source.substr(0, 0x8000));
        }
        EXPECT_TRUE(built == expected);
    }
}

TEST_F(Merge, TheQuestionInsertsAMissingBankBeforeTheEnd) {
    const std::string source = MakeFirmware({{0x380000, 0x380020}});
    for (const bool yes : {true, false}) {
        int asked = 0;
        MergeCallbacks callbacks;
        callbacks.insertAnyway = [&] {
            ++asked;
            return yes;
        };
        const MergeOutcome m = Run(4, source, "out.sx", true, callbacks);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(m.result, yes ? kBankInserted : kBankNotFound);
        const std::vector<std::string> out = Lines(ReadFile(dir / "out.sx"));
        ASSERT_EQ(out.size(), yes ? 3u + 512 : 3u);
        EXPECT_EQ(out.back(), "S9030000FC");
        if (yes) {
            EXPECT_EQ(out[2], Lines(BankRecords(4, BankBytes(4)))[0]);
        }
    }
    // Without `ask` nobody is asked.
    MergeCallbacks never;
    never.insertAnyway = [] {
        ADD_FAILURE() << "asked";
        return true;
    };
    EXPECT_EQ(Run(4, source, "out.sx", false, never).result, kBankNotFound);
}

TEST_F(Merge, EachMissingFileEndsTheStageWithItsMessage) {
    const std::string source = MakeFirmware({BankRange(3)});
    struct Case {
        const char* what;
        std::function<void()> breakIt;
        int stage;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"input", [&] { std::filesystem::remove(dir / "in.sx"); }, 3, kMsgSxNotFound},
        {"new name", [&] { folders.NewSxName = ""; }, 3, kMsgNewSxNotFound},
        {"name leaving the folder", [&] { folders.NewSxName = "../x.sx"; }, 3, kMsgNewSxNotFound},
        {"bin folder", [&] { folders.BinDir = dir / "nobin/"; }, 3, kMsgBinDirNotFound},
        {"bank 3", [&] { std::filesystem::remove(dir / "bin/bank3.bin"); }, 3,
         "File bank3.bin Not Found,Abort Procedure"},
        {"bank 5", [&] { std::filesystem::remove(dir / "bin/bank5.bin"); }, 5,
         "File bank5.bin Not Found,Abort Procedure"},
        {"output folder", [&] { folders.OutputDir = dir / "gone/"; }, 3, kMsgNewSxNotCreated},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reset();
        WriteFile(dir / "in.sx", source);
        c.breakIt();
        const MergeOutcome m = MergeBank(folders, c.stage, false, "out.sx", dir / "in.sx");
        EXPECT_EQ(m.result, kMergeFailed);
        EXPECT_EQ(m.message, c.message);
        EXPECT_FALSE(std::filesystem::exists(dir / "out.sx"));
    }
}

TEST_F(Merge, BrokenInputFailsAndKeepsTheEarlierOutput) {
    WriteFile(dir / "out.sx", "earlier\r\n");
    const struct {
        const char* what;
        std::string source;
    } cases[] = {
        {"no end record", MakeFirmware({BankRange(1)}, "\n", 32, false)},
        {"address not hexadecimal", "S0030000FC\nS224G88000\nS9030000FC\n"},
        {"address cut short", "S2243880\nS9030000FC\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const MergeOutcome m = Run(1, c.source);
        EXPECT_EQ(m.result, kMergeFailed);
        EXPECT_EQ(m.message, kMsgNewSxNotCreated);
        EXPECT_EQ(ReadFile(dir / "out.sx"), "earlier\r\n");
        EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"bin", "in.sx", "out.sx"}));
    }
}

TEST_F(Merge, RecordsAcrossTheBankEdgeKeepTheirBytesOutsideIt) {
    // 16-byte records shifted by 8: one starts before the bank and one ends after it.
    const AddressRange bank = BankRange(1);
    const std::string source = MakeFirmware({{bank.first - 0x28, bank.end + 0x28}}, "\n", 16);
    EXPECT_EQ(Run(1, source).result, kBankInserted);
    const std::vector<std::string> out = Lines(ReadFile(dir / "out.sx"));
    auto bytes = [](std::uint32_t first, std::uint32_t end) {
        std::vector<std::uint8_t> b;
        for (std::uint32_t a = first; a < end; ++a)
            b.push_back(gwtest::FirmwareByte(a));
        return b;
    };
    // Header, two whole records, the head of the third, the bank, the tail.
    ASSERT_EQ(out.size(), 1u + 3 + 512 + 3 + 1);
    EXPECT_EQ(out[3], gwtest::S2Line(bank.first - 8, bytes(bank.first - 8, bank.first)));
    EXPECT_EQ(out[4], Lines(BankRecords(1, BankBytes(1)))[0]);
    EXPECT_EQ(out[516], gwtest::S2Line(bank.end, bytes(bank.end, bank.end + 8)));
    EXPECT_EQ(out[517], gwtest::S2Line(bank.end + 8, bytes(bank.end + 8, bank.end + 24)));
}

TEST_F(Merge, BuildRunsTheSelectedStagesAndRemovesItsStageFiles) {
    const std::string source =
        MakeFirmware({BankRange(1), BankRange(2), BankRange(3), BankRange(5)});
    WriteFile(dir / "src.sx", source);
    const FirmwareBuild build =
        BuildFirmwareImage(folders, dir / "src.sx", {true, true, true, true, true});
    EXPECT_FALSE(build.failed);
    EXPECT_EQ(build.message, "");
    EXPECT_EQ(build.results[0], kBankInserted);
    EXPECT_EQ(build.results[3], kBankNotFound);
    EXPECT_EQ(build.BanksNotFound(), std::vector<int>{4});
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"New_fw.sx", "bin", "src.sx"}));
    EXPECT_EQ(ReadFile(dir / "src.sx"), source);

    // The same by hand, stage after stage.
    std::string input = dir / "src.sx";
    for (int stage = 1; stage <= 5; ++stage) {
        MergeBank(folders, stage, false, "by_hand" + std::to_string(stage), input);
        input = dir / ("by_hand" + std::to_string(stage));
    }
    EXPECT_EQ(ReadFile(dir / "New_fw.sx"), ReadFile(input));
}

TEST_F(Merge, UnselectedStagesPassTheirInputOn) {
    const std::string source = MakeFirmware({BankRange(1), BankRange(2), BankRange(3)});
    WriteFile(dir / "src.sx", source);
    // Banks 1 and 2 only: the new file is the output of stage 2.
    const FirmwareBuild build =
        BuildFirmwareImage(folders, dir / "src.sx", {true, true, false, false, false});
    EXPECT_FALSE(build.failed);
    EXPECT_FALSE(build.results[2].has_value());
    MergeBank(folders, 1, false, "one", dir / "src.sx");
    MergeBank(folders, 2, false, "two", dir / "one");
    EXPECT_EQ(ReadFile(dir / "New_fw.sx"), ReadFile(dir / "two"));

    // No bank at all: the source itself, byte for byte, and the source stays.
    std::filesystem::remove(dir / "New_fw.sx");
    EXPECT_FALSE(BuildFirmwareImage(folders, dir / "src.sx", {}).failed);
    EXPECT_EQ(ReadFile(dir / "New_fw.sx"), source);
    EXPECT_EQ(ReadFile(dir / "src.sx"), source);
}

TEST_F(Merge, AFailedStageEndsTheBuild) {
    WriteFile(dir / "New_fw.sx", "from an earlier run");
    const struct {
        const char* what;
        std::string source;
        std::function<void()> breakIt;
        int failedStage;
        std::string message;
    } cases[] = {
        {"no end record", MakeFirmware({BankRange(1)}, "\n", 32, false), [] {}, 1,
         kMsgNewSxNotCreated},
        {"bank 3 missing", MakeFirmware({BankRange(1)}),
         [&] { std::filesystem::remove(dir / "bin/bank3.bin"); }, 3,
         "File bank3.bin Not Found,Abort Procedure"},
        {"source missing", "", [&] { std::filesystem::remove(dir / "src.sx"); }, 1, kMsgSxNotFound},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(dir / "src.sx", c.source);
        c.breakIt();
        const FirmwareBuild build =
            BuildFirmwareImage(folders, dir / "src.sx", {true, true, true, true, true});
        EXPECT_TRUE(build.failed);
        EXPECT_EQ(build.message, c.message);
        EXPECT_EQ(build.results[c.failedStage - 1], kMergeFailed);
        for (int later = c.failedStage + 1; later <= 5; ++later)
            EXPECT_FALSE(build.results[later - 1].has_value()) << later;
        for (int stage = 1; stage <= 5; ++stage)
            EXPECT_FALSE(std::filesystem::exists(dir / StageFileName(stage))) << stage;
        EXPECT_EQ(ReadFile(dir / "New_fw.sx"), "from an earlier run");
    }

    // A pass-through stage whose input is missing fails too.
    std::filesystem::remove(dir / "src.sx");
    const FirmwareBuild build = BuildFirmwareImage(folders, dir / "src.sx", {});
    EXPECT_TRUE(build.failed);
    EXPECT_EQ(build.message, kMsgSxNotFound);
}

TEST_F(Merge, ACancelledBuildLeavesTheEarlierFirmwareAndNothingElse) {
    WriteFile(dir / "New_fw.sx", "from an earlier run");
    WriteFile(dir / "src.sx",
              MakeFirmware({BankRange(1), BankRange(2), {0x100000, 0x140000}}, "\r\n"));
    for (int askedAt : {1, 200, 400}) { // in stage 1, later in it, in stage 2
        SCOPED_TRACE(askedAt);
        int asked = 0;
        MergeCallbacks callbacks;
        callbacks.progress = [](int, int) {};
        callbacks.cancelled = [&] { return ++asked >= askedAt; };
        const FirmwareBuild build = BuildFirmwareImage(
            folders, dir / "src.sx", {true, true, false, false, false}, callbacks);
        EXPECT_EQ(asked, askedAt) << "the build stops at the first yes";
        EXPECT_TRUE(build.failed);
        EXPECT_TRUE(build.cancelled);
        EXPECT_EQ(build.message, "");
        EXPECT_TRUE(ReadFile(dir / "New_fw.sx") == "from an earlier run");
        EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"New_fw.sx", "bin", "src.sx"}));
    }
    MergeCallbacks never;
    never.cancelled = [] { return false; };
    const FirmwareBuild build =
        BuildFirmwareImage(folders, dir / "src.sx", {true, true, false, false, false}, never);
    EXPECT_FALSE(build.failed || build.cancelled);
    EXPECT_TRUE(build.results[1] == kBankInserted);
}

TEST(FlashWriter, PathAndParameterText) {
    EXPECT_EQ(FlashWriterProgramPath("/opt/tool"), "/opt/tool/VozedUzida");
    EXPECT_EQ(FlashWriterNotFoundMessage(), "VozedUzida Not Found, Procedure Aborted");
    EXPECT_EQ(FlashWriterParameterText("/p q/New_sx58204.sx", 2), "\"/p q/New_sx58204.sx\"\xC2\xB6"
                                                                  "2");
    EXPECT_EQ(FlashWriterParameterText("/p/New.sx", 0), "\"/p/New.sx\"\xC2\xB6"
                                                        "0");
}

} // namespace
