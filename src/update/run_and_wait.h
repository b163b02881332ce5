#pragma once
// Starting the external updater: its program path, its parameter text, and the
// split of a parameter text into the arguments the program receives.
#include <string>
#include <vector>

namespace gw {

// How long the wizard waits for the updater before it becomes responsive again.
inline constexpr int kRunAndWaitLimitMs = 150000;

inline constexpr const char* kUpdaterName = "Ser_40931_Update";
inline constexpr const char* kFirmwareFileName = "sim40931.sim";

// Ser_40931_Update (".exe" on Windows) beside the executable, else in the data
// folder (FindHelperProgram); without a data folder, beside the executable.
std::string UpdaterProgramPath(const std::string& exeDir, const std::string& dataDir = {});

struct UpdaterOptions {
    bool Firmware = true;     // download the firmware
    bool ReadFirmware = true; // read the firmware back at the end
    bool Project = true;      // download the configuration image
    bool ReadProject = true;  // read the project back at the end
};

// port FW|NO FR|NO PW|NO PR|NO "MasterDir/sim40931.sim" "ProjectDir/bin/"
std::string UpdaterParameterText(const std::string& port, const UpdaterOptions& options,
                                 const std::string& masterDir, const std::string& projectDir);

// Splits at blanks outside double quotes; the quotes themselves are removed. A
// quoted empty text ("") is an empty argument; runs of blanks separate once.
std::vector<std::string> SplitParameterText(const std::string& text);

} // namespace gw
