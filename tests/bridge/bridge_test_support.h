#pragma once
// Helpers of the bridge tests: a sheet made from exported lines, as a
// spreadsheet program shows a CSV file, and CSV text split into lines.
#include "bridge/csv_export.h"
#include "bridge/sheet_cells.h"
#include "cli/cli_commands.h"

#include <sstream>
#include <string>
#include <vector>

namespace gwtest {

// Empty fields become empty cells; the trailing comma adds no column.
inline gw::SheetCells SheetOfLines(const std::vector<gw::CsvLine>& lines) {
    gw::SheetCells cells;
    for (std::size_t r = 0; r < lines.size(); ++r)
        for (std::size_t c = 0; c < lines[r].size(); ++c)
            if (!lines[r][c].empty())
                cells.Set(static_cast<int>(r), static_cast<int>(c), lines[r][c]);
    // Rows of empty cells at the end are no part of the sheet's used range.
    return cells;
}

// A PDO translation document whose PDOs give side A of the stored PDO editor
// 0x181 and 0x182, and side B 0x201.
inline const char* const kThreePdos =
    "<rpdodef><row cobid='0x181' en_bypass='1'/><row cobid='0x201' en_bypass='3'/>"
    "<row cobid='0x182' en_bypass='0'/></rpdodef>";

// What a command of sw40931-cli returned and printed.
struct CliOutcome {
    int status = -1;
    std::string out, err;
};

inline CliOutcome Cli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    CliOutcome o;
    o.status = gw::cli::Run(args, out, err);
    o.out = out.str();
    o.err = err.str();
    return o;
}

inline std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    for (std::size_t at; (at = text.find("\r\n", pos)) != std::string::npos; pos = at + 2)
        lines.push_back(text.substr(pos, at - pos));
    if (pos != text.size())
        lines.push_back(text.substr(pos) + "<no CR LF>");
    return lines;
}

} // namespace gwtest
