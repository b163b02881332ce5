#include "bridge/workbook.h"

#include "bridge/orcus_module.h"

#include <freexl.h>

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

namespace gw {

namespace {

std::string Quoted(const std::string& path) {
    return "'" + path + "'";
}

[[noreturn]] void Refuse(const std::string& path, const std::string& reason) {
    throw WorkbookError(Quoted(path) + " could not be read as a workbook: " + reason);
}

const char* FreeXlReason(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return "the file cannot be opened";
    case FREEXL_INSUFFICIENT_MEMORY:
        return "not enough memory";
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET:
        return "its text is in a character set that cannot be read";
    case FREEXL_CRAFTED_FILE:
        return "the file is damaged";
    default:
        return "the file is damaged or not an Excel workbook";
    }
}

// Closes a FreeXL handle however the reading ends.
struct FreeXlHandle {
    const void* h = nullptr;
    ~FreeXlHandle() {
        if (h)
            freexl_close(h);
    }
};

SheetCell FreeXlCellText(const FreeXL_CellValue& v) {
    switch (v.type) {
    case FREEXL_CELL_INT:
        return std::to_string(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return NumberCellText(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return std::string(v.value.text_value ? v.value.text_value : "");
    default:
        return std::nullopt;
    }
}

WorkbookSheet ReadXls(const std::string& path, std::string_view sheetName) {
    FreeXlHandle handle;
    int rc = freexl_open(path.c_str(), &handle.h);
    if (rc != FREEXL_OK)
        Refuse(path, FreeXlReason(rc));
    unsigned int info = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED)
        Refuse(path, "it is protected by a password");
    unsigned int count = 0;
    if ((rc = freexl_get_info(handle.h, FREEXL_BIFF_SHEET_COUNT, &count)) != FREEXL_OK)
        Refuse(path, FreeXlReason(rc));

    WorkbookSheet result;
    int found = -1;
    for (unsigned int i = 0; i < count; ++i) {
        const char* name = nullptr;
        if ((rc = freexl_get_worksheet_name(handle.h, static_cast<unsigned short>(i), &name)) !=
            FREEXL_OK)
            Refuse(path, FreeXlReason(rc));
        result.sheetNames.emplace_back(name ? name : "");
        if (found < 0 && SheetMatches(result.sheetNames.back(), sheetName))
            found = static_cast<int>(i);
    }
    if (found < 0)
        return result;

    if ((rc = freexl_select_active_worksheet(handle.h, static_cast<unsigned short>(found))) !=
        FREEXL_OK)
        Refuse(path, FreeXlReason(rc));
    unsigned int rows = 0;
    unsigned short columns = 0;
    if ((rc = freexl_worksheet_dimensions(handle.h, &rows, &columns)) != FREEXL_OK)
        Refuse(path, FreeXlReason(rc));

    SheetCells cells;
    cells.columns = columns;
    cells.rows.assign(rows, std::vector<SheetCell>(columns));
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            if ((rc = freexl_get_cell_value(handle.h, r, c, &v)) != FREEXL_OK)
                Refuse(path, FreeXlReason(rc));
            cells.rows[r][c] = FreeXlCellText(v);
        }
    }
    result.cells = std::move(cells);
    return result;
}

std::string ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

// The reader module, opened once and kept for the rest of the process.
OrcusEntryPoint OrcusReader(const std::string& path) {
    static OrcusEntryPoint entry = nullptr;
    if (entry)
        return entry;
    const std::string exeDir = ExecutableFolder();
    std::string firstError;
    for (const std::string& candidate :
         {exeDir + "/" + kOrcusModuleName, exeDir + "/../lib/sw40931/" + kOrcusModuleName}) {
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            if (firstError.empty())
                firstError = dlerror();
            continue;
        }
        entry = reinterpret_cast<OrcusEntryPoint>(dlsym(module, kOrcusEntryPoint));
        if (entry)
            return entry;
        firstError = dlerror();
        dlclose(module);
    }
    Refuse(path, std::string("the reader of .xlsx and .ods workbooks (") + kOrcusModuleName +
                     ") cannot be loaded: " + firstError);
}

WorkbookSheet ReadWithOrcus(const std::string& path, bool ods, std::string_view sheetName) {
    OrcusEntryPoint read = OrcusReader(path);
    OrcusSheetRequest request{path, ods, std::string(sheetName)};
    OrcusSheetReply reply;
    read(request, reply);
    if (!reply.ok)
        Refuse(path, reply.error);
    WorkbookSheet result;
    result.sheetNames = std::move(reply.sheetNames);
    if (reply.found)
        result.cells = std::move(reply.cells);
    return result;
}

} // namespace

std::optional<WorkbookFormat> DetectWorkbookFormat(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path))
        throw WorkbookError(Quoted(path) + " could not be opened: " + std::strerror(errno));
    std::array<char, 128> head{};
    in.read(head.data(), head.size());
    const std::string_view bytes(head.data(), static_cast<std::size_t>(in.gcount()));

    // The compound file of a BIFF workbook.
    if (bytes.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return WorkbookFormat::Xls;
    if (!bytes.starts_with("PK\x03\x04"))
        return std::nullopt;
    // An OpenDocument package names its type in a first, uncompressed entry.
    constexpr std::string_view kOdsMime = "mimetypeapplication/vnd.oasis.opendocument.spreadsheet";
    if (bytes.size() >= 30 + kOdsMime.size() && bytes.substr(30, kOdsMime.size()) == kOdsMime)
        return WorkbookFormat::Ods;
    if (bytes.size() >= 38 && bytes.substr(30, 8) == "mimetype")
        return std::nullopt; // another OpenDocument type
    return WorkbookFormat::Xlsx;
}

WorkbookSheet ReadWorkbookSheet(const std::string& path, std::string_view sheetName) {
    const std::optional<WorkbookFormat> format = DetectWorkbookFormat(path);
    if (!format)
        throw WorkbookError(Quoted(path) + " is not a workbook (.xls, .xlsx or .ods)");
    switch (*format) {
    case WorkbookFormat::Xls:
        return ReadXls(path, sheetName);
    case WorkbookFormat::Ods:
        return ReadWithOrcus(path, true, sheetName);
    case WorkbookFormat::Xlsx:
        break;
    }
    return ReadWithOrcus(path, false, sheetName);
}

} // namespace gw
