#include "gateway/frame_records.h"

#include "common/file_io.h"
#include "xml/xml_document.h"

namespace gw {

std::vector<FrameRecord> ReadFrameRecords(const std::string& path, FrameListKind kind) {
    std::vector<FrameRecord> records;
    if (!FileExists(path))
        return records;
    const XmlDocument doc = XmlDocument::LoadFile(path);
    const char* listName = frames::ListName(kind);
    pugi::xml_node list = doc.Root().child(listName);
    if (!list)
        throw DocumentError("Element '" + std::string(listName) + "' not found in '" + path + "'");
    // Comments and text count as frames too: every reader agrees on the number.
    for (pugi::xml_node node : list.children()) {
        FrameRecord r;
        r.CobId = AttributeText(node, frames::kCobId);
        r.Dimension = AttributeText(node, frames::kDimension);
        r.Swap = AttributeText(node, frames::kSwap);
        r.Delete = AttributeText(node, frames::kDelete);
        r.Mnemonic = AttributeText(node, frames::kMnemonic);
        records.push_back(std::move(r));
    }
    return records;
}

const std::string& RequiredAttribute(const std::optional<std::string>& value, const char* name,
                                     std::size_t frameNumber, const std::string& path) {
    if (!value) {
        throw DocumentError("Frame " + std::to_string(frameNumber) + " in '" + path +
                            "' has no attribute '" + name + "'");
    }
    return *value;
}

} // namespace gw
