#include "output/simulation.h"

#include "common/hex_text.h"
#include "gateway/project_documents.h"
#include "gateway/swap_mask.h"
#include "output/bank_image.h"
#include "output/dp_layout.h"

#include <algorithm>
#include <cstdio>

namespace gw {

namespace {

constexpr std::uint32_t kMaxStandardId = 0x7FF;
constexpr std::uint32_t kMaxExtendedId = 0x1FFFFFFF;
constexpr std::size_t kMaxCanData = 8;

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
    std::string s;
    char two[3];
    for (std::uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02X", b);
        s += two;
    }
    return s;
}

std::string Range(std::size_t first, std::size_t last) {
    return first == last ? std::to_string(first)
                         : std::to_string(first) + "-" + std::to_string(last);
}

// "1 byte", "7 bytes".
std::string Count(std::size_t n) {
    return std::to_string(n) + (n == 1 ? " byte" : " bytes");
}

// "byte 3 is" or "bytes 3-7 are".
std::string Bytes(std::size_t first, std::size_t last) {
    return first == last ? "byte " + std::to_string(first) + " is"
                         : "bytes " + Range(first, last) + " are";
}

std::vector<GatewayFrame> Frames(const std::vector<FrameSlot>& slots) {
    std::vector<GatewayFrame> frames;
    frames.reserve(slots.size());
    for (const FrameSlot& s : slots)
        frames.push_back(
            {s.row, static_cast<std::uint32_t>(*s.cobId), *s.dimension, s.swap, s.offset});
    return frames;
}

CanFrame FrameOf(const GatewayMap& map, std::uint32_t id, std::vector<std::uint8_t> data) {
    // An 11-bit project writes standard frames; an identifier it cannot
    // carry in 11 bits (the editors refuse it) is shown as what it is.
    const bool extended = map.width == CobIdWidth::Bits29 || id > kMaxStandardId;
    return {id, extended, std::move(data)};
}

// Two hexadecimal digits a byte; any of `separators` may stand between bytes.
std::optional<std::vector<std::uint8_t>> HexPairs(std::string_view text,
                                                  std::string_view separators) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size();) {
        if (separators.find(text[i]) != std::string_view::npos) {
            ++i;
            continue;
        }
        const int hi = HexDigitValue(text[i]);
        const int lo = i + 1 < text.size() ? HexDigitValue(text[i + 1]) : -1;
        if (hi < 0 || lo < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
        i += 2;
    }
    return bytes;
}

} // namespace

std::optional<CanFrame> ParseCanFrame(std::string_view text) {
    const std::size_t hash = text.find('#');
    if (hash != 3 && hash != 8)
        return std::nullopt;
    CanFrame f;
    f.extended = hash == 8;
    for (char c : text.substr(0, hash)) {
        const int d = HexDigitValue(c);
        if (d < 0)
            return std::nullopt;
        f.id = f.id << 4 | static_cast<std::uint32_t>(d);
    }
    if (f.id > (f.extended ? kMaxExtendedId : kMaxStandardId))
        return std::nullopt;
    std::optional<std::vector<std::uint8_t>> data = HexPairs(text.substr(hash + 1), ".");
    if (!data || data->size() > kMaxCanData)
        return std::nullopt;
    f.data = std::move(*data);
    return f;
}

std::string CanFrameText(const CanFrame& f) {
    char id[16];
    std::snprintf(id, sizeof id, f.extended ? "%08X" : "%03X", f.id);
    return std::string(id) + "#" + HexBytes(f.data);
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view text) {
    return HexPairs(text, " .:\t");
}

std::vector<int> SwapOrder(std::uint8_t mask, int length) {
    std::vector<int> order(static_cast<std::size_t>(std::max(length, 0)));
    for (int k = 0; k < length; ++k)
        order[static_cast<std::size_t>(k)] = k;
    for (const SwapGroup& g : SwapGroups(mask)) {
        const int first = g.first - 1;
        const int last = std::min(g.last, length) - 1;
        for (int k = first; k <= last; ++k)
            order[static_cast<std::size_t>(k)] = first + last - k;
    }
    return order;
}

GatewayMap MapGateway(const ProjectDocuments& docs) {
    // The gateway works from the image: what stops it stops the simulation.
    BuildBankImage(docs);
    const DpLayout layout = ComputeDpLayout(docs);
    GatewayMap map;
    map.width = layout.width;
    map.receive = Frames(layout.receive);
    map.send = Frames(layout.send);
    map.inputBytes = static_cast<std::size_t>(layout.inputBytes);
    map.outputBytes = static_cast<std::size_t>(layout.outputBytes);
    return map;
}

ReceiveOutcome SimulateReceive(const GatewayMap& map, const std::vector<CanFrame>& frames) {
    ReceiveOutcome out;
    out.inputs.resize(map.inputBytes);
    for (const CanFrame& f : frames) {
        const std::string text = CanFrameText(f);
        const GatewayFrame* entry = nullptr;
        for (const GatewayFrame& g : map.receive)
            if (g.cobId == f.id) {
                entry = &g; // the first entry of an identifier is the one that counts
                break;
            }
        if (!entry) {
            out.notes.push_back({false, text + ": not in the receive list; ignored"});
            continue;
        }
        const std::string row = "receive row " + std::to_string(entry->row);
        const std::size_t length = static_cast<std::size_t>(entry->length);
        if (f.data.size() > length) {
            out.notes.push_back({false, text + ": " + std::to_string(f.data.size()) +
                                            " data bytes, more than the " + std::to_string(length) +
                                            " of " + row + "; ignored"});
            continue;
        }
        const std::vector<int> order = SwapOrder(entry->swap, entry->length);
        for (std::size_t k = 0; k < f.data.size(); ++k) {
            const std::size_t at = entry->offset + static_cast<std::size_t>(order[k]);
            if (at < out.inputs.size())
                out.inputs[at] = f.data[k];
        }
        std::string note = text + ": " + row + ", DP input bytes " +
                           Range(entry->offset, entry->offset + length - 1);
        if (f.data.size() < length)
            note += " (" + std::to_string(f.data.size()) + " of its " + std::to_string(length) +
                    " bytes received)";
        out.notes.push_back({true, note});
    }
    return out;
}

std::string DpInputsText(const std::vector<std::optional<std::uint8_t>>& inputs) {
    std::string out;
    char cell[32];
    for (std::size_t at = 0; at < inputs.size(); ++at) {
        if (at % 16 == 0) {
            std::snprintf(cell, sizeof cell, "%5zu ", at);
            out += cell;
        }
        if (inputs[at]) {
            std::snprintf(cell, sizeof cell, " %02X", *inputs[at]);
            out += cell;
        } else {
            out += " --";
        }
        if (at % 16 == 15 || at + 1 == inputs.size())
            out += "\n";
    }
    return out;
}

SendOutcome SimulateSend(const GatewayMap& map, const std::vector<std::uint8_t>& outputs) {
    SendOutcome out;
    if (outputs.size() < map.outputBytes)
        out.notes.push_back("The DP output image has " + Count(outputs.size()) +
                            ", the send list takes " + std::to_string(map.outputBytes) + "; " +
                            Bytes(outputs.size(), map.outputBytes - 1) + " taken as 00");
    if (outputs.size() > map.outputBytes)
        out.notes.push_back("The DP output image has " + Count(outputs.size()) +
                            ", the send list takes " + std::to_string(map.outputBytes) + "; " +
                            Bytes(map.outputBytes, outputs.size() - 1) + " ignored");
    for (const GatewayFrame& g : map.send) {
        const std::vector<int> order = SwapOrder(g.swap, g.length);
        std::vector<std::uint8_t> data(static_cast<std::size_t>(g.length));
        for (std::size_t k = 0; k < data.size(); ++k) {
            const std::size_t at = g.offset + static_cast<std::size_t>(order[k]);
            data[k] = at < outputs.size() ? outputs[at] : 0;
        }
        out.frames.push_back({FrameOf(map, g.cobId, std::move(data)), g.row, g.offset});
    }
    return out;
}

} // namespace gw
