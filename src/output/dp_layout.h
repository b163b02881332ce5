#pragma once
// Where each frame's bytes sit on the PROFIBUS side: the receive frames fill
// the DP inputs and the send frames take the DP outputs, each list from byte 0
// in list order, at the offsets the configuration image gives them; and which
// GSD module holds them. Worked out from what the documents hold, also when
// they hold errors, so a report can show what is there.
#include "gateway/document_names.h"
#include "gateway/frame_list.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace gw {

struct FrameRecord;
struct ProjectDocuments;

inline constexpr std::int64_t kGsdModuleBytes = 64;

struct FrameSlot {
    int row = 0; // position in the list, from 1
    const FrameRecord* record = nullptr;
    std::optional<std::int32_t> cobId; // when Cob_Id is an integer
    // The length when Dimension is an integer from 1 to 8: only such a frame
    // gets bytes (the generators refuse any other).
    std::optional<int> dimension;
    std::uint8_t swap = 0;  // the byte the image stores
    bool swapIsByte = true; // Swap is absent, or an integer from 0 to 255
    bool deleted = false;   // Delete is exactly "Y"
    // The first byte counted over the list, and the image's one-byte offset of
    // it; they differ once the lengths before it add up past 255.
    std::int64_t position = 0;
    std::uint8_t offset = 0;
    // GSD modules holding the frame's bytes; 0 when it has none.
    std::int64_t firstModule = 0;
    std::int64_t lastModule = 0;
};

struct DpLayout {
    bool modulePerFrame = false; // Profi_Frames 1
    CobIdWidth width = CobIdWidth::Bits11;
    std::vector<FrameSlot> receive;
    std::vector<FrameSlot> send;
    std::int64_t inputBytes = 0;
    std::int64_t outputBytes = 0;
    std::int64_t inputModules = 0;
    std::int64_t outputModules = 0;

    const std::vector<FrameSlot>& List(FrameListKind kind) const {
        return kind == FrameListKind::Receive ? receive : send;
    }
};

// Never throws: a document that cannot be read has no frames, a value that
// cannot be used is left unset.
DpLayout ComputeDpLayout(const ProjectDocuments& docs);

} // namespace gw
