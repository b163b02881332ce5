// A workbook of any bytes (.xls, .xlsx or .ods by its content) imported into
// the SDO access tables: the reader's error or an import, never a fault.
// FreeXL and orcus are not instrumented; what our checks in front of them let
// through is seen here where it reaches an intercepted call (memcpy, iconv,
// malloc) and in a replay of the corpus under valgrind.
#include "bridge/sdo_access.h"
#include "bridge/sheet_import.h"
#include "bridge/workbook.h"
#include "fuzz_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = gwfuzz::ScratchPath("workbook");
    gwfuzz::Spill(path, std::string_view(reinterpret_cast<const char*>(data), size));
    gw::SdoAccessTables tables;
    try {
        gw::ImportSheet(path, gw::SdoAccessImporter(tables));
    } catch (const gw::WorkbookError&) {
    }
    return 0;
}
