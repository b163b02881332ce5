#pragma once
// The project workspace: the folders MASTER and PROJECTS, the settings file
// that remembers the last project, and the paths of the current project's
// documents. Plain functions over a ProjectPaths value, so they test on a
// temporary folder.
#include "app/app_folders.h"

#include <optional>
#include <string>
#include <vector>

namespace gw {

inline constexpr const char* kSettingsFileName = "Brinvale_ZOZ2Adovi.ini";
inline constexpr const char* kSettingsSection = "lastproj";
inline constexpr const char* kSettingsKey = "projectname";

struct ProjectPaths {
    std::string ExeDir;
    std::string DataDir;  // holds MASTER, PROJECTS and the settings file
    std::string ShareDir; // holds the help text
    std::string MasterDir;
    std::string ProjectsDir;
    std::string ProjectName;
    std::string ProjectDir; // empty: no valid project
    std::string PargenPath;
    std::string SdoPath;
    std::string PdoPath;
    std::string EmcyDefPath;
    std::string EmcyWordPath;
    std::string RpdoDefPath;
    std::string SdoPdoPath;
    std::string SdoAccessPath; // the SDO access tables
};

// Recomputes the document paths from ProjectDir.
void SetProjectPaths(ProjectPaths& p);

// Start-up: MASTER and PROJECTS in the data folder (created when missing, the
// data folder with its parents), the remembered project if its folder is still
// there, else PROJECTS itself.
ProjectPaths StartWorkspace(const AppFolders& folders);
// Everything beside the executable.
ProjectPaths StartWorkspace(const std::string& exeDir);

std::string SettingsFilePath(const ProjectPaths& p);

// Writes ProjectName, as held, to the settings file; other sections and keys
// stay. Throws FileError when the file cannot be written.
void SaveWorkspaceSettings(const ProjectPaths& p);

// What Open project derives from the chosen folder: the part of ProjectDir
// behind the PROJECTS folder ("/Pump"; empty for PROJECTS itself).
std::string ProjectNameFromDir(const std::string& projectsDir, const std::string& projectDir);

// The folder Open project makes current for a folder chosen in the picker:
// PROJECTS as held followed by the chosen folder's components below it.
// nullopt when the choice is not a folder, or not PROJECTS or inside it
// (PathIsInside).
std::optional<std::string> ProjectDirOfChoice(const std::string& projectsDir,
                                              const std::string& chosen);

// The messages of the new-project dialog.
inline constexpr const char* kMsgDestinationNotValid = "directory destination not valid";
inline constexpr const char* kMsgNameNotValid = "Name project not valid";
inline constexpr const char* kMsgNameExists =
    "Name project not valid because directory already exists";

// A name New project may create under PROJECTS: not empty, not "." or "..",
// not blanks only, without a separator, any of " < > | ? * : or a control character.
bool ProjectNameAcceptable(const std::string& name);

struct NewProjectResult {
    bool created = false;
    std::vector<std::string> messages; // shown in order, each in a message box
};

// Creates parentDir/name and its bin folder. Refuses an empty parent, a name
// that is not acceptable, and a name that exists.
NewProjectResult CreateProjectFolder(const std::string& parentDir, const std::string& name);

// Makes a created project current.
void UseNewProject(ProjectPaths& p, const std::string& parentDir, const std::string& name);

} // namespace gw
