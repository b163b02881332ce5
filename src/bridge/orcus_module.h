#pragma once
// The entry point of the .xlsx/.ods reader module, shared by the module and
// the core that opens it with dlopen. Both sides are built together, so plain
// C++ types cross the boundary; no exception does.
#include "bridge/sheet_cells.h"

#include <string>
#include <vector>

namespace gw {

struct OrcusSheetRequest {
    std::string path;
    bool ods = false; // else .xlsx
    std::string sheetName;
};

struct OrcusSheetReply {
    bool ok = false;
    std::string error; // the reader's reason when !ok
    std::vector<std::string> sheetNames;
    bool found = false;
    SheetCells cells;
};

inline constexpr const char* kOrcusEntryPoint = "gw_read_orcus_sheet";
using OrcusEntryPoint = void (*)(const OrcusSheetRequest&, OrcusSheetReply&);

} // namespace gw
