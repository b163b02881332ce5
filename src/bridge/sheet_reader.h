#pragma once
// The entry point of the workbook reader module, shared by the module and the
// core that opens it with dlopen on the first import: FreeXL, orcus and their
// libraries are loaded only by a program that reads a workbook. Both sides are
// built together, so plain C++ types cross the boundary; no exception does.
#include "bridge/sheet_cells.h"
#include "bridge/workbook.h"
#include "common/progress.h"

#include <string>
#include <vector>

namespace gw {

struct SheetReadRequest {
    std::string path;
    WorkbookFormat format = WorkbookFormat::Xls;
    std::string sheetName;
    // Optional: told the rows of the wanted sheet read so far (of its row
    // count where the format gives it); a cancel ends the reading.
    const ProgressHooks* progress = nullptr;
};

struct SheetReadReply {
    bool ok = false;
    bool cancelled = false; // the user ended the reading (not ok, no error)
    std::string error;      // the reader's reason when !ok
    std::vector<std::string> sheetNames;
    bool found = false;
    SheetCells cells;
};

inline constexpr const char* kSheetReaderEntryPoint = "gw_read_sheet";
using SheetReaderEntryPoint = void (*)(const SheetReadRequest&, SheetReadReply&);

// Inside the module: the .xls reader; throws std::runtime_error with the reason.
void ReadXlsSheet(const SheetReadRequest& request, SheetReadReply& reply);

} // namespace gw
