// The .xls reader of the workbook reader module, over FreeXL: FreeXL opens
// the workbook as the guard repacks it (xls_guard.h), from memory.
#include "bridge/sheet_reader.h"
#include "bridge/xls_guard.h"

#include <freexl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace gw {

namespace {

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

void Check(int rc) {
    if (rc != FREEXL_OK)
        throw std::runtime_error(FreeXlReason(rc));
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

// A file only this process sees and that leaves nothing behind, named by a
// path FreeXL can open.
class MemoryFile {
public:
    explicit MemoryFile(const std::string& bytes) : fd_(memfd_create("workbook", MFD_CLOEXEC)) {
        if (fd_ < 0)
            throw std::runtime_error(std::string("no memory file: ") + std::strerror(errno));
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw std::runtime_error(std::string("no memory file: ") + std::strerror(errno));
            done += static_cast<std::size_t>(n);
        }
    }
    ~MemoryFile() { close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        throw std::runtime_error(FreeXlReason(FREEXL_FILE_NOT_FOUND));
    if (static_cast<std::uint64_t>(in.tellg()) > kMaxXlsFileBytes)
        throw std::runtime_error("the file is larger than 256 MB");
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error(FreeXlReason(FREEXL_FILE_NOT_FOUND));
    return bytes;
}

} // namespace

void ReadXlsSheet(const SheetReadRequest& request, SheetReadReply& reply) {
    const MemoryFile image(GuardedXlsImage(ReadWhole(request.path)));
    FreeXlHandle handle;
    Check(freexl_open(image.Path().c_str(), &handle.h));
    unsigned int info = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED)
        throw std::runtime_error("it is protected by a password");
    unsigned int count = 0;
    Check(freexl_get_info(handle.h, FREEXL_BIFF_SHEET_COUNT, &count));

    int found = -1;
    for (unsigned int i = 0; i < count; ++i) {
        const char* name = nullptr;
        Check(freexl_get_worksheet_name(handle.h, static_cast<unsigned short>(i), &name));
        reply.sheetNames.emplace_back(name ? name : "");
        if (found < 0 && SheetMatches(reply.sheetNames.back(), request.sheetName))
            found = static_cast<int>(i);
    }
    if (found < 0)
        return;

    Check(freexl_select_active_worksheet(handle.h, static_cast<unsigned short>(found)));
    unsigned int rows = 0;
    unsigned short columns = 0;
    Check(freexl_worksheet_dimensions(handle.h, &rows, &columns));
    SheetCells cells(static_cast<int>(rows), columns);
    ProgressTicker ticker(request.progress, rows);
    for (unsigned int r = 0; r < rows; ++r) {
        ticker.At(r);
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue v;
            Check(freexl_get_cell_value(handle.h, r, c, &v));
            if (v.type != FREEXL_CELL_NULL)
                cells.Set(static_cast<int>(r), c, FreeXlCellText(v));
        }
    }
    reply.found = true;
    reply.cells = std::move(cells);
}

} // namespace gw
