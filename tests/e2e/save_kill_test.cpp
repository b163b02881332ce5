// Saves killed at random moments: a child process saves one kind of file over
// and over, alternating two contents, until it is killed with SIGKILL. The
// file must then hold one of the two contents whole, and the next save must
// leave nothing beside it: no temporary file, no stage file.
#include "bridge/csv_export.h"
#include "bridge/emcy_def.h"
#include "common/ini_file.h"
#include "gateway/frame_list.h"
#include "gateway/pargen.h"
#include "output/bank_image.h"
#include "output/gsd_file.h"
#include "output/output_sink.h"
#include "support/temp_dir.h"
#include "update/firmware_fixture.h"
#include "update/firmware_image.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <random>
#include <set>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

using namespace gw;
namespace fs = std::filesystem;

namespace {

struct SaveKind {
    const char* name;
    std::string target; // the file the save replaces, inside the kind's folder
    std::function<void(const fs::path& dir)> prepare;
    std::function<void(const fs::path& dir, int version)> save; // version 0 or 1
};

FrameGrid Frames(FrameListKind kind, int version) {
    FrameGrid grid(kind);
    for (int row = 1; row <= MaxFrameRows; ++row)
        grid.SetRow(row,
                    {"$" + std::to_string(0x180 + row + version), std::to_string(1 + row % 8), "0",
                     kind == FrameListKind::Receive ? "0" : "",
                     "frame " + std::to_string(row) + " of version " + std::to_string(version)});
    return grid;
}

std::vector<SaveKind> Kinds() {
    const auto none = [](const fs::path&) {};
    return {
        {"pargen.xml", "pargen.xml", none,
         [](const fs::path& dir, int v) {
             PargenFields f;
             f.profiId = v ? "17" : "3";
             f.sendTime = v ? "250" : "100";
             SavePargen(dir / "pargen.xml", f);
         }},
        {"sdo.xml", "sdo.xml", none,
         [](const fs::path& dir, int v) {
             SaveFrameDocument(FrameListKind::Receive, Frames(FrameListKind::Receive, v),
                               dir / "sdo.xml");
         }},
        {"pdo.xml", "pdo.xml", none,
         [](const fs::path& dir, int v) {
             SaveFrameDocument(FrameListKind::Send, Frames(FrameListKind::Send, v),
                               dir / "pdo.xml");
         }},
        {"settings file", "settings.ini", none,
         [](const fs::path& dir, int v) {
             IniFile ini = IniFile::Parse("[other]\r\nkey=kept\r\n");
             ini.WriteString("lastproj", "projectname", v ? "/Pump" : "/Fan");
             ini.Save(dir / "settings.ini");
         }},
        {"EMCY definitions", "emcydef.xml", none,
         [](const fs::path& dir, int v) {
             EmcyLists lists;
             for (int i = 0; i < 40; ++i) {
                 TClEmcy def;
                 def.texts.fill(std::to_string(i + v));
                 def.enable = (i + v) % 2 == 0;
                 lists[i % 2 ? EmcyList::CanB : EmcyList::CanA].push_back({def.texts[0], def});
             }
             SaveEmcyDefs(dir / "emcydef.xml", lists);
         }},
        {"CSV export", "sdoaccess.csv", none,
         [](const fs::path& dir, int v) {
             std::vector<CsvLine> lines;
             for (int i = 0; i < 300; ++i)
                 lines.push_back({std::to_string(i), v ? "read, write" : "read", "0x1000"});
             WriteCsvFile(dir / "sdoaccess.csv", lines);
         }},
        {"bank.bin", "bank.bin", none,
         [](const fs::path& dir, int v) {
             BankImage image;
             image.Bytes.assign(20000, static_cast<char>(v ? 0xA5 : 0x5A));
             WriteBankFileTo(image, dir / "bank.bin");
         }},
        {"GSD file", "HD40931.gsd", none,
         [](const fs::path& dir, int v) {
             GsdCounts counts;
             counts.ProfiFrames = v;
             counts.ReceiveDimensions.assign(30, 8);
             counts.SendDimensions.assign(v ? 30 : 10, 4);
             counts.InputModules = 30;
             counts.OutputModules = v ? 30 : 10;
             counts.InputBytes = 240;
             counts.OutputBytes = v ? 120 : 40;
             AtomicFileSink sink(dir / "HD40931.gsd");
             WriteGsdText(counts, sink);
             sink.Commit();
         }},
        {"firmware file", "New_sx58204.sx",
         [](const fs::path& dir) {
             fs::create_directories(dir / "bin");
             for (int stage = 1; stage <= kBankCount; ++stage)
                 gwtest::WriteFile(dir / "bin" / BankFileName(stage), gwtest::BankBytes(stage));
             std::vector<gwtest::AddressRange> ranges;
             for (int stage = 1; stage <= kBankCount; ++stage)
                 ranges.push_back(gwtest::BankRange(stage));
             gwtest::WriteFile(dir / kDeliveredFirmwareName, gwtest::MakeFirmware(ranges, "\r\n"));
         },
         [](const fs::path& dir, int v) {
             const FirmwareFolders f{dir.string(), (dir / "bin").string(), "New_sx58204.sx"};
             const FirmwareBuild build = BuildFirmwareImage(
                 f, (dir / kDeliveredFirmwareName).string(), {true, v == 1, true, false, v == 1});
             if (build.failed)
                 throw std::runtime_error(build.message);
         }},
    };
}

// What the folder holds besides the target and the inputs.
std::vector<std::string> Debris(const fs::path& dir, const std::set<std::string>& expected) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (!expected.count(name))
            found.push_back(name);
    }
    return found;
}

TEST(SaveKill, AKilledSaveLeavesTheOldOrTheNewFileAndTheNextSaveLeavesNothingElse) {
    constexpr int kKills = 1000;
    const std::vector<SaveKind> kinds = Kinds();
    std::mt19937 random(20261210);
    gwtest::TempDir root;
    int kill = 0;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        const SaveKind& kind = kinds[k];
        SCOPED_TRACE(kind.name);
        const fs::path dir = root / std::to_string(k);
        fs::create_directories(dir);
        kind.prepare(dir);
        const fs::path target = dir / kind.target;
        kind.save(dir, 1);
        const std::string newer = gwtest::ReadFile(target);
        kind.save(dir, 0);
        const std::string older = gwtest::ReadFile(target);
        ASSERT_NE(older, newer);
        std::set<std::string> expected;
        for (const auto& e : fs::directory_iterator(dir))
            expected.insert(e.path().filename().string());

        // Long enough for a few saves, so kills land in every phase of one.
        const auto start = std::chrono::steady_clock::now();
        kind.save(dir, 0);
        const auto oneSave = std::chrono::steady_clock::now() - start;
        std::uniform_int_distribution<long> delay(
            0, std::chrono::duration_cast<std::chrono::microseconds>(oneSave).count() * 3 + 200);

        const int kills = kKills * static_cast<int>(k + 1) / static_cast<int>(kinds.size()) - kill;
        int partial = 0, lasting = 0, leftBehind = 0;
        for (int i = 0; i < kills; ++i, ++kill) {
            const pid_t child = fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                for (int v = 1;; v ^= 1)
                    kind.save(dir, v);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
            ::kill(child, SIGKILL);
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFSIGNALED(status)) << "the saves failed: exit " << WEXITSTATUS(status);

            const std::string now = gwtest::ReadFile(target);
            if (now != older && now != newer)
                ++partial;
            if (!Debris(dir, expected).empty())
                ++leftBehind;
            kind.save(dir, 0); // the next save
            const std::vector<std::string> debris = Debris(dir, expected);
            if (!debris.empty()) {
                ++lasting;
                ADD_FAILURE() << "after the next save: " << debris.front();
                for (const auto& name : debris)
                    fs::remove(dir / name);
            }
        }
        EXPECT_EQ(partial, 0);
        EXPECT_EQ(lasting, 0);
        std::cout << "  " << kind.name << ": " << kills << " kills, " << leftBehind
                  << " left a file behind until the next save\n";
    }
    EXPECT_EQ(kill, kKills);
}

} // namespace
