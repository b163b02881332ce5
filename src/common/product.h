#pragma once
// Build-wide facts about the product variant this program is built for.

namespace gw {

// Selects the help file (help2.dat) and, with 2 or 3, limits the firmware
// window to banks 1 and 2.
inline constexpr int ProductVariant = 2;

} // namespace gw
