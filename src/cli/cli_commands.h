#pragma once
// The command-line companion: builds a project's configuration image and GSD
// file, checks a project, and decodes an image, without the windows.
#include "app/app_folders.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace gw::cli {

inline constexpr const char* kProgram = "sw40931-cli";

inline constexpr int kExitOk = 0;
inline constexpr int kExitInvalid = 1; // the project or the image is not valid
inline constexpr int kExitUsage = 2;

// What decides the data folder whose PROJECTS holds the projects a command may
// be given by name: the folder of the running CLI and the user's environment.
// Without an executable folder only --data-dir names one.
struct Surroundings {
    std::string exeDir;
    UserEnvironment env;
};

// Runs one command; `args` are the arguments after the program name. Results go
// to `out`, messages about failures to `err`.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const Surroundings& surroundings = {});

} // namespace gw::cli
