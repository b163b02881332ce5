#include "gateway/swap_mask.h"

#include "common/hex_text.h"
#include "common/parse_int.h"

namespace gw {

const char* SwapStateLabel(SwapState state) {
    switch (state) {
    case SwapState::Start:
        return "START";
    case SwapState::Swap:
        return "SWAP";
    case SwapState::End:
        return "END";
    case SwapState::NoSwap:
        break;
    }
    return "NO SWAP";
}

bool SwapStateIsMarked(SwapState state) {
    return state != SwapState::NoSwap;
}

bool SwapByteSet(std::uint8_t mask, int byte) {
    if (byte < 1 || byte > kSwapBytes - 1)
        return false;
    return (mask >> (8 - byte)) & 1u;
}

std::array<SwapState, kSwapBytes> SwapStates(std::uint8_t mask) {
    std::array<SwapState, kSwapBytes> states{};
    for (int k = 1; k <= kSwapBytes; ++k) {
        const bool self = SwapByteSet(mask, k);
        const bool before = SwapByteSet(mask, k - 1);
        SwapState s = SwapState::NoSwap;
        if (self)
            s = before ? SwapState::Swap : SwapState::Start;
        else if (before)
            s = SwapState::End;
        states[static_cast<std::size_t>(k - 1)] = s;
    }
    return states;
}

std::vector<SwapGroup> SwapGroups(std::uint8_t mask) {
    std::vector<SwapGroup> groups;
    // Byte k (1 to 8) is joined with byte k+1 when bit 8-k is set.
    for (int k = 1; k <= kSwapBytes; ++k) {
        if (!((mask >> (8 - k)) & 1u))
            continue;
        if (!groups.empty() && groups.back().last == k)
            groups.back().last = k + 1;
        else
            groups.push_back({k, k + 1});
    }
    return groups;
}

bool SwapButtonDown(std::uint8_t mask, int button) {
    return SwapByteSet(mask, button);
}

std::uint8_t ApplySwapButton(std::uint8_t mask, int button, bool down) {
    if (button < 1 || button > kSwapBytes - 1)
        return mask;
    const auto bit = static_cast<std::uint8_t>(1u << (8 - button));
    return static_cast<std::uint8_t>(down ? (mask | bit) : (mask & ~bit));
}

std::string SwapValueText(std::uint8_t mask) {
    return ByteHexText(mask);
}

std::uint8_t SwapMaskFromCell(const std::string& swapCell) {
    return static_cast<std::uint8_t>(ParseIntTextOr(swapCell, 0) & 0xFF);
}

bool SwapDialogAllowed(const std::string& cobIdCell, const std::string& dimensionCell) {
    if (cobIdCell.empty() || dimensionCell.empty())
        return false;
    return ParseIntTextOr(cobIdCell, -1) >= 0 && ParseIntTextOr(dimensionCell, -1) >= 0;
}

} // namespace gw
