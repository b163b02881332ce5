#include "output/dp_layout.h"

#include "common/parse_int.h"
#include "gateway/project_documents.h"

namespace gw {

namespace {

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

std::vector<FrameSlot> Slots(const FrameListDocument& doc, std::int64_t& bytes) {
    std::vector<FrameSlot> slots;
    if (doc.state != DocumentState::Read)
        return slots;
    slots.reserve(doc.records.size());
    std::int64_t position = 0;
    for (const FrameRecord& r : doc.records) {
        FrameSlot s;
        s.row = static_cast<int>(slots.size()) + 1;
        s.record = &r;
        if (r.CobId)
            s.cobId = TryParseIntText(*r.CobId);
        if (r.Dimension) {
            const auto d = TryParseIntText(*r.Dimension);
            if (d && *d >= 1 && *d <= 8)
                s.dimension = *d;
        }
        // An empty Swap is what an editor stores for a swap never set: none.
        if (r.Swap && !(*r.Swap).empty()) {
            // The image takes the low byte, or 0 for a text that is no integer.
            const auto swap = TryParseIntText(*r.Swap);
            s.swap = static_cast<std::uint8_t>(swap ? *swap & 0xFF : 0);
            s.swapIsByte = swap && *swap >= 0 && *swap <= 0xFF;
        }
        s.deleted = doc.kind == FrameListKind::Receive && r.Delete == "Y";
        s.position = position;
        s.offset = static_cast<std::uint8_t>(position & 0xFF);
        position += s.dimension.value_or(0);
        slots.push_back(s);
    }
    bytes = position;
    return slots;
}

// Module numbers from `first` on: one per frame, or one per 64 bytes.
void NumberModules(std::vector<FrameSlot>& slots, bool perFrame, std::int64_t first) {
    for (FrameSlot& s : slots) {
        if (perFrame) {
            s.firstModule = s.lastModule = first + s.row - 1;
        } else if (s.dimension) {
            s.firstModule = first + s.position / kGsdModuleBytes;
            s.lastModule = first + (s.position + *s.dimension - 1) / kGsdModuleBytes;
        }
    }
}

} // namespace

DpLayout ComputeDpLayout(const ProjectDocuments& docs) {
    DpLayout l;
    if (docs.parameters.state == DocumentState::Read) {
        const auto& frames = docs.parameters.Text(pargen::kProfiFrames);
        l.modulePerFrame = frames && ParseIntTextOr(*frames, 0) == 1;
        l.width = CobIdWidthOf(docs.parameters);
    }
    l.receive = Slots(docs.receive, l.inputBytes);
    l.send = Slots(docs.send, l.outputBytes);
    if (l.modulePerFrame) {
        l.inputModules = static_cast<std::int64_t>(l.receive.size());
        l.outputModules = static_cast<std::int64_t>(l.send.size());
    } else {
        l.inputModules = CeilDiv(l.inputBytes, kGsdModuleBytes);
        l.outputModules = CeilDiv(l.outputBytes, kGsdModuleBytes);
    }
    NumberModules(l.receive, l.modulePerFrame, 1);
    NumberModules(l.send, l.modulePerFrame, 1 + l.inputModules);
    return l;
}

} // namespace gw
