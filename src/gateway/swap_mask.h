#pragma once
// The byte swap mask of a frame: bit 7 joins BYTE1 with BYTE2, down to bit 1
// joining BYTE7 with BYTE8. BYTE8 can only end a group, so bit 0 belongs to no
// button; a bit 0 that arrives set stays set and shows only in the value text.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gw {

inline constexpr int kSwapBytes = 8;

enum class SwapState { NoSwap, Start, Swap, End };

// "NO SWAP", "START", "SWAP", "END".
const char* SwapStateLabel(SwapState state);
// Every state but NO SWAP is shown in red.
bool SwapStateIsMarked(SwapState state);

// Whether byte k (1 to 8) is joined with the byte after it; always false for BYTE8.
bool SwapByteSet(std::uint8_t mask, int byte);

// The labels of BYTE1 to BYTE8.
std::array<SwapState, kSwapBytes> SwapStates(std::uint8_t mask);

// Button k (1 to 8) is held down when its byte is set; button 8 never is.
bool SwapButtonDown(std::uint8_t mask, int button);

// The mask after button k was clicked into `down`; button 8 changes nothing.
std::uint8_t ApplySwapButton(std::uint8_t mask, int button, bool down);

// "0x" and two uppercase digits.
std::string SwapValueText(std::uint8_t mask);

// The mask a Swap cell opens with: the low eight bits of its integer, 0 when
// it is empty or not an integer.
std::uint8_t SwapMaskFromCell(const std::string& swapCell);

// A swap group: bytes `first` to `last`, counted from 1. A set bit 0 joins
// BYTE8 with a ninth byte that no frame has, so `last` may be 9.
struct SwapGroup {
    int first = 0;
    int last = 0;
    bool operator==(const SwapGroup&) const = default;
};

// The groups of a mask as the gateway receives it (bit 0 included), in byte
// order: each run of set bits from byte i to byte j is bytes i to j+1.
std::vector<SwapGroup> SwapGroups(std::uint8_t mask);

// Whether "Create SWAP" opens the dialog for a row: both the Cob-ID and the
// Dimension cell must hold non-negative integers. Ranges are left to OK.
bool SwapDialogAllowed(const std::string& cobIdCell, const std::string& dimensionCell);

} // namespace gw
