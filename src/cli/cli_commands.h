#pragma once
// The command-line companion: builds a project's configuration image and GSD
// file, checks a project, and decodes an image, without the windows.
#include <iosfwd>
#include <string>
#include <vector>

namespace gw::cli {

inline constexpr const char* kProgram = "sw40931-cli";

inline constexpr int kExitOk = 0;
inline constexpr int kExitInvalid = 1; // the project or the image is not valid
inline constexpr int kExitUsage = 2;

// Runs one command; `args` are the arguments after the program name. Results go
// to `out`, messages about failures to `err`.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gw::cli
