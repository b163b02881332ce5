#pragma once
// Every document and folder of a project, named once. Editors, generators, the command-line
// companion and the workspace build their paths from here.
#include <string>

namespace gw {

namespace files {

// A project folder's documents.
inline constexpr const char* kPargen = "pargen.xml";       // communication parameters
inline constexpr const char* kSdo = "sdo.xml";             // receive frame list
inline constexpr const char* kPdo = "pdo.xml";             // send frame list
inline constexpr const char* kRpdoDef = "rpdodef.xml";     // PDO translation
inline constexpr const char* kSdoPdo = "sdopdo.xml";       // stored PDO definitions
inline constexpr const char* kEmcyDef = "emcydef.xml";     // EMCY translation
inline constexpr const char* kEmcyWord = "emcyword.xml";   // EMCY word definitions
inline constexpr const char* kSdoAccess = "sdoaccess.xml"; // SDO access tables

// The project's output folder and the configuration image inside it.
inline constexpr const char* kBinFolder = "bin";
inline constexpr const char* kBankFile = "bank.bin";
// The commissioning report the main window writes there.
inline constexpr const char* kReportFile = "report.html";

} // namespace files

// projectDir joined with one of the names above, with the platform separator.
std::string ProjectFilePath(const std::string& projectDir, const char* name);

// projectDir/bin
std::string BinFolderPath(const std::string& projectDir);

// projectDir/bin/bank.bin
std::string BankFilePath(const std::string& projectDir);

// projectDir/bin/report.html
std::string ReportFilePath(const std::string& projectDir);

} // namespace gw
