#pragma once
// Reading one sheet of a spreadsheet workbook: .xls through FreeXL, .xlsx
// through orcus, .ods by a reader of our own, all in a reader module that is
// loaded on first use (their libraries would otherwise slow every start of the
// program and of the command line).
#include "bridge/sheet_cells.h"
#include "common/errors.h"
#include "common/progress.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

enum class WorkbookFormat { Xls, Xlsx, Ods };

// A workbook that cannot be read; the message names the file.
class WorkbookError : public FileError {
public:
    using FileError::FileError;
};

// The format by the file's content, not its name; nullopt when it is none of
// the three. Throws WorkbookError when the file cannot be opened.
std::optional<WorkbookFormat> DetectWorkbookFormat(const std::string& path);

struct WorkbookSheet {
    std::vector<std::string> sheetNames; // every sheet, in workbook order
    std::optional<SheetCells> cells;     // of the first sheet that matches
};

// Lists the sheets and reads the first whose name matches `sheetName` in any
// letter case. Throws WorkbookError naming the file when it is not a workbook
// or cannot be read. With `progress`, the rows read are reported and a cancel
// ends the reading with WorkCancelled.
WorkbookSheet ReadWorkbookSheet(const std::string& path, std::string_view sheetName,
                                const ProgressHooks* progress = nullptr);

// The file name of the reader module, looked for beside the executable and in
// ../lib/sw40931.
inline constexpr const char* kSheetReaderModule = "sw40931-sheets.so";

} // namespace gw
