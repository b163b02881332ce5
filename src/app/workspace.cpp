#include "app/workspace.h"

#include "common/file_io.h"
#include "common/ini_file.h"
#include "common/path_inside.h"

#include <filesystem>

namespace gw {

namespace {

constexpr char kSep = std::filesystem::path::preferred_separator;

bool StartsWithSeparator(const std::string& s) {
    return !s.empty() && (s.front() == '\\' || s.front() == '/');
}

// A name held as "\Pump" (written on Windows) or "/Pump" names the folder Pump.
std::string FolderOfName(const std::string& projectsDir, const std::string& name) {
    return projectsDir + kSep + name.substr(StartsWithSeparator(name) ? 1 : 0);
}

} // namespace

void SetProjectPaths(ProjectPaths& p) {
    auto doc = [&](const char* file) { return p.ProjectDir + kSep + file; };
    p.PargenPath = doc("pargen.xml");
    p.SdoPath = doc("sdo.xml");
    p.PdoPath = doc("pdo.xml");
    p.EmcyDefPath = doc("emcydef.xml");
    p.EmcyWordPath = doc("emcyword.xml");
    p.RpdoDefPath = doc("rpdodef.xml");
    p.SdoPdoPath = doc("sdopdo.xml");
    p.SdoAccessPath = doc("sdoaccess.xml");
}

std::string SettingsFilePath(const ProjectPaths& p) {
    // Paths set up by hand with only ExeDir keep the file beside the executable.
    return (p.DataDir.empty() ? p.ExeDir : p.DataDir) + kSep + kSettingsFileName;
}

ProjectPaths StartWorkspace(const std::string& exeDir) {
    return StartWorkspace(FoldersBesideExecutable(exeDir));
}

ProjectPaths StartWorkspace(const AppFolders& folders) {
    ProjectPaths p;
    p.ExeDir = folders.ExeDir;
    p.DataDir = folders.DataDir;
    p.ShareDir = folders.ShareDir;
    // The user's data folder may not exist yet, nor its parents in a fresh home.
    if (!FolderExists(p.DataDir))
        CreateFolderPath(p.DataDir);
    p.MasterDir = p.DataDir + kSep + kMasterFolderName;
    if (!FolderExists(p.MasterDir))
        CreateOneFolder(p.MasterDir);
    p.ProjectsDir = p.DataDir + kSep + kProjectsFolderName;
    if (!FolderExists(p.ProjectsDir))
        CreateOneFolder(p.ProjectsDir);

    p.ProjectName = IniFile::Load(SettingsFilePath(p)).ReadString(kSettingsSection, kSettingsKey);
    // A garbled file can hold anything; a name with a line break or NUL is no name.
    if (p.ProjectName.find_first_of(std::string("\0\r\n", 3)) != std::string::npos)
        p.ProjectName.clear();
    if (!p.ProjectName.empty() && !StartsWithSeparator(p.ProjectName))
        p.ProjectName = kSep + p.ProjectName;

    std::string folder =
        p.ProjectName.empty() ? std::string() : FolderOfName(p.ProjectsDir, p.ProjectName);
    p.ProjectDir = !folder.empty() && FolderExists(folder) ? folder : p.ProjectsDir;
    SetProjectPaths(p);
    return p;
}

void SaveWorkspaceSettings(const ProjectPaths& p) {
    const std::string path = SettingsFilePath(p);
    IniFile ini = IniFile::Load(path);
    ini.WriteString(kSettingsSection, kSettingsKey, p.ProjectName);
    ini.Save(path);
}

std::string ProjectNameFromDir(const std::string& projectsDir, const std::string& projectDir) {
    if (projectDir.size() <= projectsDir.size())
        return {};
    return projectDir.substr(projectsDir.size());
}

std::optional<std::string> ProjectDirOfChoice(const std::string& projectsDir,
                                              const std::string& chosen) {
    if (!PathIsInside(projectsDir, chosen) || !FolderExists(chosen))
        return std::nullopt;
    const std::filesystem::path root = std::filesystem::canonical(projectsDir);
    const std::filesystem::path below = std::filesystem::canonical(chosen).lexically_relative(root);
    std::string dir = projectsDir;
    for (const std::filesystem::path& part : below)
        if (part != ".")
            dir += kSep + part.string();
    return dir;
}

bool ProjectNameAcceptable(const std::string& name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    if (name.find_first_not_of(' ') == std::string::npos)
        return false;
    // Separators would leave PROJECTS; the others are refused by the installers'
    // file system or break the quoted folder on the updater's command line.
    if (name.find_first_of("/\\\"<>|?*:") != std::string::npos)
        return false;
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

NewProjectResult CreateProjectFolder(const std::string& parentDir, const std::string& name) {
    NewProjectResult r;
    bool ok = true;
    if (parentDir.empty()) {
        r.messages.push_back(kMsgDestinationNotValid);
        ok = false;
    }
    if (!ProjectNameAcceptable(name)) {
        r.messages.push_back(kMsgNameNotValid);
        ok = false;
    }
    if (!ok)
        return r;
    const std::string folder = parentDir + "/" + name;
    std::error_code ec;
    if (std::filesystem::exists(folder, ec)) {
        r.messages.push_back(kMsgNameExists);
        return r;
    }
    std::string reason;
    if (!CreateOneFolder(folder, &reason)) {
        r.messages.push_back("Unable to create directory '" + folder + "': " + reason);
        return r;
    }
    // A missing bin folder only shows later, when the image cannot be written.
    CreateFolderPath(folder + "/bin");
    r.created = true;
    return r;
}

void UseNewProject(ProjectPaths& p, const std::string& parentDir, const std::string& name) {
    p.ProjectName = name;
    p.ProjectDir = parentDir + kSep + name;
    SetProjectPaths(p);
}

} // namespace gw
