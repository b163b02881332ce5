#include "app/app_folders.h"
#include "app/program_options.h"
#include "app/workspace.h"
#include "common/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace gw;
using gwtest::TempDir;

namespace {

namespace fs = std::filesystem;

// PREFIX/bin with PREFIX/share/sw40931 beside it, as `cmake --install` leaves it.
std::string MakeInstalledPrefix(const TempDir& root) {
    CreateFolderPath(root / "prefix/bin");
    CreateFolderPath(root / "prefix/share/sw40931");
    return root / "prefix/bin";
}

TEST(LocateAppFolders, DecidesWhereTheDataLives) {
    TempDir root;
    const std::string installed = MakeInstalledPrefix(root);
    CreateFolderPath(root / "build/bin");
    const std::string build = root / "build/bin";
    const std::string share = root / "prefix/share/sw40931";
    const std::string cwd = fs::current_path().string();
    const struct {
        const char* name;
        std::string exeDir, option, xdg, home;
        std::string data, shareDir;
    } cases[] = {
        {"a writable build keeps everything beside it", build + "/", "", "/x", "/home/u", build,
         build},
        {"an installed copy uses XDG_DATA_HOME", installed, "", "/x/data", "/home/u",
         "/x/data/sw40931", share},
        {"without XDG_DATA_HOME, HOME/.local/share", installed, "", "", "/home/u/",
         "/home/u/.local/share/sw40931", share},
        {"a relative XDG_DATA_HOME is ignored", installed, "", "rel/data", "/home/u",
         "/home/u/.local/share/sw40931", share},
        {"a folder that cannot be written", root / "missing/bin", "", "", "/home/u",
         "/home/u/.local/share/sw40931", root / "missing/bin"},
        {"no home at all leaves the data beside it", root / "missing/bin", "", "", "",
         root / "missing/bin", root / "missing/bin"},
        {"--data-dir wins over an installed copy", installed, "/d/x/", "/x", "/home/u", "/d/x",
         share},
        {"a relative --data-dir is taken from the working folder", build, "mine", "", "/home/u",
         cwd + "/mine", build},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AppFolders f = LocateAppFolders(c.exeDir, c.option, {c.xdg, c.home});
        EXPECT_EQ(f.ExeDir,
                  c.exeDir.back() == '/' ? c.exeDir.substr(0, c.exeDir.size() - 1) : c.exeDir);
        EXPECT_EQ(f.DataDir, c.data);
        EXPECT_EQ(f.ShareDir, c.shareDir);
    }
}

TEST(LocateAppFolders, ABinFolderWithoutTheShareFolderIsAPortableCopy) {
    TempDir root;
    CreateFolderPath(root / "tool/bin");
    CreateFolderPath(root / "tool/share/other");
    const AppFolders f = LocateAppFolders(root / "tool/bin", "", {"/x", "/home/u"});
    EXPECT_EQ(f.DataDir, root / "tool/bin");
}

TEST(StartWorkspace, AnInstalledCopyWritesOnlyInTheUsersDataFolder) {
    TempDir root;
    const std::string exe = MakeInstalledPrefix(root);
    const AppFolders f = LocateAppFolders(exe, "", {"", root / "home"});
    const std::string data = root / "home/.local/share/sw40931";
    CreateFolderPath(data + "/PROJECTS/Pump");
    gwtest::WriteFile(data + "/" + kSettingsFileName, "[lastproj]\r\nprojectname=Pump\r\n");

    ProjectPaths p = StartWorkspace(f);
    EXPECT_EQ(p.ExeDir, exe);
    EXPECT_EQ(p.MasterDir, data + "/MASTER");
    EXPECT_EQ(p.ProjectsDir, data + "/PROJECTS");
    EXPECT_EQ(p.ProjectDir, data + "/PROJECTS/Pump");
    EXPECT_TRUE(FolderExists(p.MasterDir));
    p.ProjectName = "/Other";
    SaveWorkspaceSettings(p);
    EXPECT_EQ(gwtest::ReadFile(data + "/" + kSettingsFileName),
              "[lastproj]\r\nprojectname=/Other\r\n");
    EXPECT_TRUE(fs::is_empty(exe));
}

TEST(StartWorkspace, CreatesAFreshHomesDataFolderWithItsParents) {
    TempDir root;
    const AppFolders f = LocateAppFolders(MakeInstalledPrefix(root), "", {"", root / "home"});
    const ProjectPaths p = StartWorkspace(f);
    EXPECT_TRUE(FolderExists(root / "home/.local/share/sw40931/PROJECTS"));
    EXPECT_EQ(p.ProjectDir, p.ProjectsDir);
}

TEST(FindHelperProgram, BesideTheExecutableFirstThenTheDataFolder) {
    TempDir exe, data;
    const std::string name = "Helper";
    EXPECT_EQ(FindHelperProgram(exe.Path(), data.Path(), name), data / name)
        << "missing everywhere: where a user can put it";
    CreateFolderPath(exe / name);
    EXPECT_EQ(FindHelperProgram(exe.Path(), data.Path(), name), data / name)
        << "a folder of that name is no program";
    gwtest::WriteFile(data / name, "#!/bin/sh\n");
    EXPECT_EQ(FindHelperProgram(exe.Path(), data.Path(), name), data / name);
    fs::remove(exe / name);
    gwtest::WriteFile(exe / name, "#!/bin/sh\n");
    EXPECT_EQ(FindHelperProgram(exe.Path(), data.Path(), name), exe / name);
}

TEST(TakeCommonOptions, ReadsTheSharedOptions) {
    using Args = std::vector<std::string>;
    const struct {
        Args args;
        bool leadingOnly;
        std::string dataDir;
        bool version, help;
        Args rest;
        std::string error;
    } cases[] = {
        {{}, false, "", false, false, {}, ""},
        {{"--data-dir", "/d"}, false, "/d", false, false, {}, ""},
        {{"--data-dir=/d", "-platform", "offscreen"},
         false,
         "/d",
         false,
         false,
         {"-platform", "offscreen"},
         ""},
        {{"-platform", "offscreen", "--version"},
         false,
         "",
         true,
         false,
         {"-platform", "offscreen"},
         ""},
        {{"-h"}, false, "", false, true, {}, ""},
        {{"--data-dir", "/d", "bank", "--help", "--data-dir"},
         true,
         "/d",
         false,
         false,
         {"bank", "--help", "--data-dir"},
         ""},
        {{"--data-dir"}, false, "", false, false, {}, "option --data-dir needs a folder"},
        {{"--data-dir="}, false, "", false, false, {}, "option --data-dir needs a folder"},
        {{"--data-dir", "/a", "--data-dir", "/b"},
         false,
         "/a",
         false,
         false,
         {},
         "option --data-dir given twice"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CommonOptions o = TakeCommonOptions(c.args, c.leadingOnly);
        EXPECT_EQ(o.dataDir, c.dataDir);
        EXPECT_EQ(o.version, c.version);
        EXPECT_EQ(o.help, c.help);
        EXPECT_EQ(o.rest, c.rest);
        EXPECT_EQ(o.error.value_or(""), c.error);
    }
}

} // namespace
