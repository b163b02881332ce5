#pragma once
// The Export of every bridge editor: its lines as a comma-separated file in the
// project folder, named after the editor's sheet.
#include <string>
#include <vector>

namespace gw {

using CsvLine = std::vector<std::string>;

// ProjectDir + "/" + sheetName + ".csv".
std::string CsvFilePath(const std::string& projectDir, const std::string& sheetName);

// Every field followed by ",", every line by CR LF. A field holding a comma,
// a double quote or a line break is quoted (its quotes doubled), so it cannot
// shift the columns of its line; every other field is written as it is.
std::string CsvText(const std::vector<CsvLine>& lines);

// Replaces `path` with the lines. Throws FileError naming the file.
void WriteCsvFile(const std::string& path, const std::vector<CsvLine>& lines);

// Writes the editor's file in the project folder and returns its path. An
// empty project folder is refused (the file would land in the root folder).
std::string ExportCsv(const std::string& projectDir, const std::string& sheetName,
                      const std::vector<CsvLine>& lines);

} // namespace gw
