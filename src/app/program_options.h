#pragma once
// The command line of the program and the CLI: the few options they share.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace gw {

// --data-dir DIR (or --data-dir=DIR), --version, --help (-h). `leadingOnly`
// stops at the first other argument (the CLI's command); otherwise the other
// arguments are passed over and left to the toolkit.
struct CommonOptions {
    std::string dataDir;
    bool version = false;
    bool help = false;
    std::vector<std::string> rest; // the arguments not taken, in order
    std::optional<std::string> error;
};
CommonOptions TakeCommonOptions(const std::vector<std::string>& args, bool leadingOnly);

inline constexpr const char* kProgramName = "sw40931";

// Answers --help, --version and a faulty option of the windowed program before
// any window exists (no display is needed for them). Returns the exit status
// when the program should end here.
std::optional<int> AnswerProgramOptions(const CommonOptions& options, std::ostream& out,
                                        std::ostream& err);

} // namespace gw
