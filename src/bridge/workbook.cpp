#include "bridge/workbook.h"

#include "bridge/sheet_reader.h"

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

std::string ExecutableFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

// The reader module, opened once and kept for the rest of the process.
SheetReaderEntryPoint SheetReader(const std::string& path) {
    static SheetReaderEntryPoint entry = nullptr;
    if (entry)
        return entry;
    const std::string exeDir = ExecutableFolder();
    std::string firstError;
    for (const std::string& candidate :
         {exeDir + "/" + kSheetReaderModule, exeDir + "/../lib/sw40931/" + kSheetReaderModule}) {
        void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            if (firstError.empty())
                firstError = dlerror();
            continue;
        }
        entry = reinterpret_cast<SheetReaderEntryPoint>(dlsym(module, kSheetReaderEntryPoint));
        if (entry)
            return entry;
        firstError = dlerror();
        dlclose(module);
    }
    Refuse(path, std::string("the workbook reader (") + kSheetReaderModule +
                     ") cannot be loaded: " + firstError);
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

WorkbookSheet ReadWorkbookSheet(const std::string& path, std::string_view sheetName,
                                const ProgressHooks* progress) {
    const std::optional<WorkbookFormat> format = DetectWorkbookFormat(path);
    if (!format)
        throw WorkbookError(Quoted(path) + " is not a workbook (.xls, .xlsx or .ods)");
    const SheetReaderEntryPoint read = SheetReader(path);
    const SheetReadRequest request{path, *format, std::string(sheetName), progress};
    SheetReadReply reply;
    read(request, reply);
    if (reply.cancelled)
        throw WorkCancelled();
    if (!reply.ok)
        Refuse(path, reply.error);
    WorkbookSheet result;
    result.sheetNames = std::move(reply.sheetNames);
    if (reply.found)
        result.cells = std::move(reply.cells);
    return result;
}

} // namespace gw
