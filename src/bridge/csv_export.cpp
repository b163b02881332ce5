#include "bridge/csv_export.h"

#include "common/errors.h"
#include "common/file_io.h"

namespace gw {

std::string CsvFilePath(const std::string& projectDir, const std::string& sheetName) {
    return projectDir + "/" + sheetName + ".csv";
}

namespace {

void AppendField(std::string& out, const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string CsvText(const std::vector<CsvLine>& lines) {
    std::string out;
    for (const CsvLine& line : lines) {
        for (const std::string& field : line) {
            AppendField(out, field);
            out += ',';
        }
        out += "\r\n";
    }
    return out;
}

void WriteCsvFile(const std::string& path, const std::vector<CsvLine>& lines) {
    WriteFileAtomic(path, CsvText(lines));
}

std::string ExportCsv(const std::string& projectDir, const std::string& sheetName,
                      const std::vector<CsvLine>& lines) {
    if (projectDir.empty())
        throw FileError("No project is open: nothing was exported.");
    const std::string path = CsvFilePath(projectDir, sheetName);
    WriteCsvFile(path, lines);
    return path;
}

} // namespace gw
