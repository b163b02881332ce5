#pragma once
// The gateway's data path, offline: CAN frames arriving on the receive list
// land in the DP inputs; a DP output image leaves as the frames of the send
// list. A swap group is taken as a reversal of the bytes of the group.
#include "gateway/frame_list.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

struct ProjectDocuments;
struct DpLayout;

// A classic CAN frame in the notation of cansend: "181#1122334455667788",
// three hexadecimal digits for an 11-bit identifier or eight for a 29-bit one,
// then the data bytes in hexadecimal (a "." may part them).
struct CanFrame {
    std::uint32_t id = 0;
    bool extended = false;
    std::vector<std::uint8_t> data;

    bool operator==(const CanFrame&) const = default;
};

// nullopt when the text is not a frame in that notation (up to 8 data bytes).
std::optional<CanFrame> ParseCanFrame(std::string_view text);
std::string CanFrameText(const CanFrame& frame);

// Hexadecimal bytes, two digits each; blanks, "." and ":" may part them.
std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text);

// Where byte k (from 0) of a frame of `length` bytes goes once the swap groups
// of `mask` are reversed; a group is cut at the frame's end.
std::vector<int> SwapOrder(std::uint8_t mask, int length);

// One frame of a list as the gateway holds it.
struct GatewayFrame {
    int row = 0; // position in its list, from 1
    std::uint32_t cobId = 0;
    int length = 0;
    std::uint8_t swap = 0;
    std::size_t offset = 0; // in the DP inputs or outputs
};

struct GatewayMap {
    CobIdWidth width = CobIdWidth::Bits11;
    std::vector<GatewayFrame> receive;
    std::vector<GatewayFrame> send;
    std::size_t inputBytes = 0;
    std::size_t outputBytes = 0;
};

// The frames as the configuration image gives them to the gateway. Throws what
// stops BuildBankImage (the gateway would get no image).
GatewayMap MapGateway(const ProjectDocuments& docs);

// What happened to one input; `used` false when it was ignored.
struct SimulationNote {
    bool used = true;
    std::string text;
};

struct ReceiveOutcome {
    // The DP inputs; a byte no frame wrote is unset.
    std::vector<std::optional<std::uint8_t>> inputs;
    std::vector<SimulationNote> notes; // one per frame, in arrival order
};

// The frames arrive in order; a later one overwrites what an earlier one
// wrote. A frame whose identifier is not in the receive list, or with more
// data than its entry's length, is ignored. Fewer data bytes leave the rest
// of the entry's bytes as they were.
ReceiveOutcome SimulateReceive(const GatewayMap& map, const std::vector<CanFrame>& frames);

// The DP inputs as hexadecimal, 16 bytes a line behind the offset of the
// first; an unset byte shows as "--".
std::string DpInputsText(const std::vector<std::optional<std::uint8_t>>& inputs);

struct SentFrame {
    CanFrame frame;
    int row = 0;            // the send entry, from 1
    std::size_t offset = 0; // its first DP output byte
};

struct SendOutcome {
    std::vector<SentFrame> frames; // one per send entry, in list order
    // An image shorter or longer than the send list's bytes.
    std::vector<std::string> notes;
};

// A DP output image shorter than the send list's bytes is taken as 00 for the
// missing ones; bytes beyond the send list's are ignored.
SendOutcome SimulateSend(const GatewayMap& map, const std::vector<std::uint8_t>& outputs);

} // namespace gw
