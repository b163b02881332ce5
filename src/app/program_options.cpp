#include "app/program_options.h"

#include "common/version.h"

#include <ostream>

namespace gw {

namespace {

const char* const kProgramUsage =
    "Usage: sw40931 [--data-dir DIR]\n"
    "Configuration tool of the HD40931 CAN / PROFIBUS-DP gateway: projects, frame\n"
    "lists, the GSD file, the configuration image and the device update.\n"
    "\n"
    "Options:\n"
    "  --data-dir DIR  keep MASTER, PROJECTS and the settings file in DIR\n"
    "  --version       show the version and end\n"
    "  --help          show this text and end\n"
    "\n"
    "Without --data-dir, a copy whose folder is writable keeps them beside the\n"
    "executable; an installed copy keeps them in $XDG_DATA_HOME/sw40931, by default\n"
    "~/.local/share/sw40931.\n";

} // namespace

CommonOptions TakeCommonOptions(const std::vector<std::string>& args, bool leadingOnly) {
    CommonOptions o;
    const std::string dataDirEq = "--data-dir=";
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--version") {
            o.version = true;
        } else if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--data-dir" || a.starts_with(dataDirEq)) {
            const bool joined = a != "--data-dir";
            const std::string value =
                joined ? a.substr(dataDirEq.size()) : (i + 1 < args.size() ? args[++i] : "");
            if (value.empty()) {
                o.error = "option --data-dir needs a folder";
                return o;
            }
            if (!o.dataDir.empty()) {
                o.error = "option --data-dir given twice";
                return o;
            }
            o.dataDir = value;
        } else if (leadingOnly) {
            o.rest.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            return o;
        } else {
            o.rest.push_back(a);
        }
    }
    return o;
}

std::optional<int> AnswerProgramOptions(const CommonOptions& options, std::ostream& out,
                                        std::ostream& err) {
    if (options.error) {
        err << kProgramName << ": " << *options.error << "\n\n" << kProgramUsage;
        return 2;
    }
    if (options.help) {
        out << kProgramUsage;
        return 0;
    }
    if (options.version) {
        out << kProgramName << " " << kVersion << "\n";
        return 0;
    }
    return std::nullopt;
}

} // namespace gw
