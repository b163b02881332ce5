// The .ods reader's walk over content.xml on any bytes: it ends with the
// sheets or a reason, never a fault, and reads the same whether the bytes come
// whole or in pieces of the size the first byte picks.
#include "bridge/ods_content.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

struct Outcome {
    gw::SheetReadReply reply;
    std::string error;
};

Outcome Read(std::string_view content, std::size_t piece) {
    Outcome o;
    std::size_t at = 0;
    try {
        gw::ProgressHooks hooks;
        hooks.report = [](std::uint64_t, std::uint64_t) {};
        gw::ProgressTicker ticker(&hooks, 0, 1024);
        gw::ReadOdsContent(
            [&](std::string& out) {
                if (at == content.size())
                    return false;
                const std::size_t n = std::min(piece, content.size() - at);
                out.append(content.substr(at, n));
                at += n;
                return true;
            },
            "sdo", o.reply, &ticker);
    } catch (const std::exception& e) {
        o.error = e.what();
    }
    return o;
}

bool Same(const Outcome& a, const Outcome& b) {
    const gw::SheetCells& x = a.reply.cells;
    const gw::SheetCells& y = b.reply.cells;
    if (a.error != b.error || a.reply.sheetNames != b.reply.sheetNames ||
        a.reply.found != b.reply.found || x.Rows() != y.Rows() || x.Columns() != y.Columns())
        return false;
    for (int r = 0; r < x.Rows(); ++r)
        for (int c = 0; c < x.Columns(); ++c)
            if (x.Text(r, c) != y.Text(r, c))
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::string_view content(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t piece = 1 + data[0] % 64;
    if (!Same(Read(content, content.size() + 1), Read(content, piece)))
        std::abort();
    return 0;
}
