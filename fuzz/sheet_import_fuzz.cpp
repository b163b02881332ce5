// A workbook of any bytes (.xlsx or .ods by its content) imported into the SDO
// access tables: the reader's error or an import, never a fault.
//
// .xls files are left out: FreeXL hands iconv a buffer it never filled when a
// workbook names a code page it cannot convert (the sanitizer stops there at
// once, valgrind reports uninitialised reads inside iconv; the import then
// fails with its message). That fault lies in the library, not in our code.
#include "bridge/sdo_access.h"
#include "bridge/sheet_import.h"
#include "bridge/workbook.h"
#include "fuzz_file.h"

#include <cstddef>
#include <cstdint>
#include <exception>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = gwfuzz::ScratchPath("workbook");
    gwfuzz::Spill(path, std::string_view(reinterpret_cast<const char*>(data), size));
    try {
        if (gw::DetectWorkbookFormat(path) == gw::WorkbookFormat::Xls)
            return 0;
    } catch (const gw::WorkbookError&) {
        return 0;
    }
    gw::SdoAccessTables tables;
    try {
        gw::ImportSheet(path, gw::SdoAccessImporter(tables));
    } catch (const gw::WorkbookError&) {
    }
    return 0;
}
