#pragma once
// Where the program's own files live. A build or a portable copy keeps MASTER,
// PROJECTS and the settings file beside the executable; an installed program
// cannot write there, so it keeps them in the user's data folder and reads the
// help text from the share folder of its prefix. The program and the CLI both
// decide here.
#include <string>

namespace gw {

// The folder name under the user's data folder and under the prefix's share/.
inline constexpr const char* kDataFolderName = "sw40931";

// The folders the data folder holds besides the settings file.
inline constexpr const char* kMasterFolderName = "MASTER";
inline constexpr const char* kProjectsFolderName = "PROJECTS";

// What of the user's environment decides the data folder.
struct UserEnvironment {
    std::string xdgDataHome; // $XDG_DATA_HOME, empty when unset
    std::string home;        // $HOME, else the password database's entry

    static UserEnvironment FromProcess();
};

struct AppFolders {
    std::string ExeDir;   // the executable's folder
    std::string DataDir;  // MASTER, PROJECTS and the settings file
    std::string ShareDir; // files delivered with the program: the help text
};

// Everything beside the executable, as a build or a portable copy has it.
AppFolders FoldersBesideExecutable(const std::string& exeDir);

// `dataDirOption` (--data-dir, empty when not given) wins, made absolute.
// Otherwise the executable's folder when it is writable and not an installed
// prefix's bin/ (a root user must not scatter projects into /usr/bin either),
// else $XDG_DATA_HOME/sw40931 (an absolute XDG_DATA_HOME only, as the XDG rules
// say), else HOME/.local/share/sw40931. Without any home the executable's
// folder stays. The folders are not created here.
AppFolders LocateAppFolders(const std::string& exeDir, const std::string& dataDirOption,
                            const UserEnvironment& env);

// `name` as a program file: with ".exe" on Windows.
std::string ProgramFileName(const std::string& name);

// An external program of ours (the updater, the flash writer): beside the
// executable first, then in the data folder. When neither holds it, the path in
// the data folder, since that is where a user of an installed program can put it.
std::string FindHelperProgram(const std::string& exeDir, const std::string& dataDir,
                              const std::string& name);

// The folder of the running executable (/proc/self/exe on Linux), else the
// folder of `argv0`.
std::string RunningExecutableDir(const char* argv0);

} // namespace gw
