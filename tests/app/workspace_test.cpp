#include "app/workspace.h"
#include "common/file_io.h"
#include "common/ini_file.h"
#include "common/path_inside.h"
#include "support/temp_dir.h"

#include <filesystem>

#include <gtest/gtest.h>

using namespace gw;
using gwtest::ReadFile;
using gwtest::TempDir;
using gwtest::WriteFile;

namespace {

void Remember(const TempDir& exe, const std::string& name) {
    WriteFile(exe / kSettingsFileName, "[lastproj]\r\nprojectname=" + name + "\r\n");
}

TEST(StartWorkspace, NoSettingsFileUsesTheProjectsFolder) {
    TempDir exe;
    ProjectPaths p = StartWorkspace(exe.Path() + "/");
    EXPECT_EQ(p.ExeDir, exe.Path());
    EXPECT_TRUE(FolderExists(exe / "MASTER"));
    EXPECT_TRUE(FolderExists(exe / "PROJECTS"));
    EXPECT_EQ(p.ProjectName, "");
    EXPECT_EQ(p.ProjectDir, exe / "PROJECTS");
    EXPECT_EQ(p.PargenPath, exe / "PROJECTS/pargen.xml");
    EXPECT_EQ(p.SdoPath, exe / "PROJECTS/sdo.xml");
    EXPECT_EQ(p.PdoPath, exe / "PROJECTS/pdo.xml");
    EXPECT_EQ(p.SdoPdoPath, exe / "PROJECTS/sdopdo.xml");
}

TEST(StartWorkspace, RememberedNameInEveryFormOpensTheSameFolder) {
    const struct {
        const char* stored;
        const char* held;
    } cases[] = {{"Pump", "/Pump"}, {"\\Pump", "\\Pump"}, {"/Pump", "/Pump"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        TempDir exe;
        CreateFolderPath(exe / "PROJECTS/Pump");
        Remember(exe, c.stored);
        ProjectPaths p = StartWorkspace(exe.Path());
        EXPECT_EQ(p.ProjectName, c.held);
        EXPECT_EQ(p.ProjectDir, exe / "PROJECTS/Pump");
        EXPECT_EQ(p.PargenPath, exe / "PROJECTS/Pump/pargen.xml");
    }
}

TEST(StartWorkspace, DeletedFolderFallsBackButKeepsTheName) {
    TempDir exe;
    Remember(exe, "Gone");
    ProjectPaths p = StartWorkspace(exe.Path());
    EXPECT_EQ(p.ProjectName, "/Gone");
    EXPECT_EQ(p.ProjectDir, exe / "PROJECTS");
    EXPECT_EQ(p.PargenPath, exe / "PROJECTS/pargen.xml");
}

TEST(StartWorkspace, GarbledSettingsReadAsNoProject) {
    TempDir exe;
    WriteFile(exe / kSettingsFileName, std::string("\x00\x13[lastproj\n\xff=\x01", 13));
    ProjectPaths p = StartWorkspace(exe.Path());
    EXPECT_EQ(p.ProjectName, "");
    EXPECT_EQ(p.ProjectDir, exe / "PROJECTS");
}

TEST(SaveWorkspaceSettings, WritesTheRawNameAndKeepsOtherSections) {
    TempDir exe;
    WriteFile(exe / kSettingsFileName, "[window]\r\nleft=10\r\n[lastproj]\r\nprojectname=old\r\n");
    ProjectPaths p = StartWorkspace(exe.Path());
    p.ProjectName = "\\Pump 2";
    SaveWorkspaceSettings(p);
    EXPECT_EQ(ReadFile(exe / kSettingsFileName),
              "[window]\r\nleft=10\r\n[lastproj]\r\nprojectname=\\Pump 2\r\n");
    EXPECT_EQ(IniFile::Load(exe / kSettingsFileName).ReadString("window", "left"), "10");
}

TEST(ProjectNameFromDir, IsThePartBehindTheProjectsFolder) {
    EXPECT_EQ(ProjectNameFromDir("/x/PROJECTS", "/x/PROJECTS/Pump"), "/Pump");
    EXPECT_EQ(ProjectNameFromDir("/x/PROJECTS", "/x/PROJECTS"), "");
    EXPECT_EQ(ProjectNameFromDir("/x/PROJECTS", ""), "");
}

TEST(PathIsInside, WholeComponentsOfWhatThePathsLeadTo) {
    TempDir dir;
    namespace fs = std::filesystem;
    const std::string root = dir / "PROJECTS";
    fs::create_directories(root + "/Pump/bin");
    fs::create_directories(dir / "PROJECTS-old/Pump");
    fs::create_directories(dir / "Elsewhere");
    fs::create_directory_symlink(dir / "Elsewhere", root + "/LinkOut");
    fs::create_directory_symlink(root + "/Pump", root + "/LinkIn");
    fs::create_directory_symlink(root, dir / "LinkToProjects");

    const struct {
        std::string path;
        bool inside;
    } cases[] = {
        {root, true},
        {root + "/", true},
        {root + "/Pump", true},
        {root + "/Pump/bin", true},
        {root + "/Pump/../Pump", true},
        {root + "/LinkIn", true},
        {dir / "LinkToProjects/Pump", true},
        {dir / "PROJECTS-old", false},
        {dir / "PROJECTS-old/Pump", false},
        {root + "/..", false},
        {root + "/Pump/../..", false},
        {root + "/LinkOut", false},
        {dir / "Elsewhere", false},
        {dir.Path(), false},
        {"/", false},
        {root + "/Gone", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PathIsInside(root, c.path), c.inside) << c.path;
    // The root may itself be reached through a link; a missing root holds nothing.
    EXPECT_TRUE(PathIsInside(dir / "LinkToProjects", root + "/Pump"));
    EXPECT_FALSE(PathIsInside(dir / "Gone", dir / "Gone"));

    // Open project keeps PROJECTS as held and adds the names below it.
    EXPECT_EQ(ProjectDirOfChoice(root, root), root);
    EXPECT_EQ(ProjectDirOfChoice(root, dir / "LinkToProjects/Pump/"), root + "/Pump");
    EXPECT_EQ(ProjectDirOfChoice(root, root + "/LinkIn"), root + "/Pump");
    EXPECT_EQ(ProjectDirOfChoice(root, root + "/Pump/bin"), root + "/Pump/bin");
    EXPECT_EQ(ProjectDirOfChoice(root, dir / "PROJECTS-old/Pump"), std::nullopt);
    EXPECT_EQ(ProjectDirOfChoice(root, root + "/LinkOut"), std::nullopt);
    WriteFile(root + "/Pump/sdo.xml", "");
    EXPECT_EQ(ProjectDirOfChoice(root, root + "/Pump/sdo.xml"), std::nullopt);
}

TEST(CreateProjectFolder, CreatesTheFolderAndItsBinFolder) {
    TempDir exe;
    CreateFolderPath(exe / "PROJECTS");
    NewProjectResult r = CreateProjectFolder(exe / "PROJECTS", " Pump ");
    EXPECT_TRUE(r.created);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_TRUE(FolderExists(exe / "PROJECTS/ Pump /bin")); // the name is used as typed

    ProjectPaths p = StartWorkspace(exe.Path());
    UseNewProject(p, exe / "PROJECTS", "Pump");
    EXPECT_EQ(p.ProjectName, "Pump");
    EXPECT_EQ(p.ProjectDir, exe / "PROJECTS/Pump");
    EXPECT_EQ(p.PdoPath, exe / "PROJECTS/Pump/pdo.xml");
}

TEST(CreateProjectFolder, RefusesWithItsMessages) {
    TempDir exe;
    CreateFolderPath(exe / "PROJECTS/Pump");
    const std::string parent = exe / "PROJECTS";
    const struct {
        std::string parent;
        std::string name;
        std::vector<std::string> messages;
    } cases[] = {
        {parent, "", {kMsgNameNotValid}},
        {"", "", {kMsgDestinationNotValid, kMsgNameNotValid}},
        {"", "Pump", {kMsgDestinationNotValid}},
        {parent, "Pump", {kMsgNameExists}},
        // Names that would leave the PROJECTS folder.
        {parent, "..", {kMsgNameNotValid}},
        {parent, ".", {kMsgNameNotValid}},
        {parent, "../Escape", {kMsgNameNotValid}},
        {parent, "a/b", {kMsgNameNotValid}},
        {parent, "a\\b", {kMsgNameNotValid}},
        {parent, exe / "Abs", {kMsgNameNotValid}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("name '" + c.name + "'");
        NewProjectResult r = CreateProjectFolder(c.parent, c.name);
        EXPECT_FALSE(r.created);
        EXPECT_EQ(r.messages, c.messages);
    }
    EXPECT_FALSE(FolderExists(exe / "Escape"));
    EXPECT_FALSE(FolderExists(exe / "Abs"));
    EXPECT_FALSE(FolderExists(exe / "PROJECTS/a"));
}

TEST(ProjectNameAcceptable, RefusesWhatAFolderNameOrTheUpdaterCannotHold) {
    for (const char* name : {"Pump", " Pump ", "a.b", "..a", "Pump-2 #1", "P\xC3\xBCmpe"})
        EXPECT_TRUE(ProjectNameAcceptable(name)) << name;
    const std::string refused[] = {
        "",
        ".",
        "..",
        " ",
        "   ",
        "a/b",
        "a\\b",
        "Pump\"x",
        "<Pump",
        "Pump>",
        "a|b",
        "Pump?",
        "Pump*",
        "C:Pump",
        "a\tb",
        "a\nb",
        "a\x7F",
        "a\x01",
        std::string("a\0b", 3),
    };
    TempDir exe;
    for (const std::string& name : refused) {
        EXPECT_FALSE(ProjectNameAcceptable(name)) << "'" << name << "'";
        EXPECT_EQ(CreateProjectFolder(exe.Path(), name).messages,
                  std::vector<std::string>{kMsgNameNotValid});
    }
    EXPECT_TRUE(std::filesystem::is_empty(exe.Path()));
}

TEST(CreateProjectFolder, RefusedCreationIsReported) {
    TempDir exe;
    // The parent is a file, so the system refuses the folder.
    WriteFile(exe / "PROJECTS", "not a folder");
    NewProjectResult r = CreateProjectFolder(exe / "PROJECTS", "Pump");
    EXPECT_FALSE(r.created);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(
        r.messages[0].rfind("Unable to create directory '" + exe / "PROJECTS/Pump" + "': ", 0), 0u)
        << r.messages[0];
}

} // namespace
