#pragma once
// The one integer reading of the program, used for edit fields, grid cells,
// element texts and attributes alike.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gw {

// Optional leading blanks, an optional sign, then decimal digits or hexadecimal
// digits after "$", "x", "X", "0x" or "0X". Nothing may follow the digits.
// Decimal must fit a signed 32-bit integer; hexadecimal is the 32-bit pattern
// (up to 8 significant digits), so $FFFFFFFF is -1.
std::optional<std::int32_t> TryParseIntText(std::string_view text);

// Throws ConversionError "'<text>' is not a valid integer value".
std::int32_t ParseIntText(std::string_view text);

std::int32_t ParseIntTextOr(std::string_view text, std::int32_t fallback);

// The message ParseIntText raises for a text.
std::string NotAnIntegerMessage(std::string_view text);

} // namespace gw
