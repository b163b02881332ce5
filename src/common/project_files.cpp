#include "common/project_files.h"

#include "common/file_io.h"

namespace gw {

std::string ProjectFilePath(const std::string& projectDir, const char* name) {
    return JoinPath(projectDir, name);
}

std::string BinFolderPath(const std::string& projectDir) {
    return JoinPath(projectDir, files::kBinFolder);
}

std::string BankFilePath(const std::string& projectDir) {
    return JoinPath(BinFolderPath(projectDir), files::kBankFile);
}

std::string ReportFilePath(const std::string& projectDir) {
    return JoinPath(BinFolderPath(projectDir), files::kReportFile);
}

} // namespace gw
