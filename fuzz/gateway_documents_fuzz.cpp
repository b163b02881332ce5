// The gateway documents (pargen.xml, the receive list sdo.xml, the send list
// pdo.xml) loaded from any bytes as their editors load them, saved as OK
// saves them and loaded again: the second load succeeds and the editor holds
// what it held after the first. The first byte picks the document.
#include "common/errors.h"
#include "fuzz_file.h"
#include "gateway/frame_list.h"
#include "gateway/pargen.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

bool SameGrid(const gw::FrameGrid& a, const gw::FrameGrid& b) {
    for (int row = 0; row < gw::FrameGrid::kRowCount; ++row)
        for (int column = 0; column < a.ColumnCount(); ++column)
            if (a.Cell(column, row) != b.Cell(column, row))
                return false;
    return true;
}

// A frame list: the rows loaded, up to a row that lacks an attribute (the
// editor shows the rows before it and that row's cells read so far, and its
// OK saves them), saved unless a text is one OK refuses to write.
bool FrameListRoundTrip(gw::FrameListKind kind, const std::string& path) {
    gw::FrameGrid first(kind);
    try {
        gw::LoadFrameDocument(kind, path, first);
    } catch (const gw::ConversionError&) {
    } catch (const std::exception&) {
        return true; // not a document: nothing was loaded
    }
    if (gw::FirstUnfitFrameText(first))
        return true;
    gw::SaveFrameDocument(kind, first, path);
    gw::FrameGrid second(kind);
    try {
        gw::LoadFrameDocument(kind, path, second);
    } catch (const std::exception&) {
        return false;
    }
    return SameGrid(first, second);
}

// pargen.xml: the dialog's fields, saved when OK accepts them.
bool PargenRoundTrip(const std::string& path) {
    gw::PargenFields first;
    try {
        first = gw::LoadPargenFields(path);
    } catch (const std::exception&) {
        return true;
    }
    if (gw::FirstPargenError(first))
        return true;
    gw::SavePargen(path, first);
    try {
        return gw::LoadPargenFields(path) == first;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = gwfuzz::ScratchPath("document.xml");
    const std::optional<unsigned> pick = gwfuzz::SpillPicked(data, size, path);
    if (!pick)
        return 0;
    bool same = true;
    switch (*pick % 3) {
    case 0:
        same = PargenRoundTrip(path);
        break;
    case 1:
        same = FrameListRoundTrip(gw::FrameListKind::Receive, path);
        break;
    case 2:
        same = FrameListRoundTrip(gw::FrameListKind::Send, path);
        break;
    }
    if (!same)
        std::abort();
    return 0;
}
