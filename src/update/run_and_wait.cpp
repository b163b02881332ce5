#include "update/run_and_wait.h"

#include "app/app_folders.h"

#include <filesystem>

namespace gw {

namespace {

const std::string kSep(1, std::filesystem::path::preferred_separator);

} // namespace

std::string UpdaterProgramPath(const std::string& exeDir, const std::string& dataDir) {
    return FindHelperProgram(exeDir, dataDir.empty() ? exeDir : dataDir, kUpdaterName);
}

std::string UpdaterParameterText(const std::string& port, const UpdaterOptions& options,
                                 const std::string& masterDir, const std::string& projectDir) {
    std::string text = port + " ";
    text += options.Firmware ? "FW " : "NO ";
    text += options.ReadFirmware ? "FR " : "NO ";
    text += options.Project ? "PW " : "NO ";
    text += options.ReadProject ? "PR " : "NO ";
    text += "\"" + masterDir + kSep + kFirmwareFileName + "\" ";
    text += "\"" + projectDir + kSep + "bin" + kSep + "\"";
    return text;
}

std::vector<std::string> SplitParameterText(const std::string& text) {
    std::vector<std::string> args;
    std::string current;
    bool inToken = false;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            inToken = true;
        } else if (c == ' ' && !quoted) {
            if (inToken)
                args.push_back(current);
            current.clear();
            inToken = false;
        } else {
            current += c;
            inToken = true;
        }
    }
    if (inToken)
        args.push_back(current);
    return args;
}

} // namespace gw
