#pragma once
// Hexadecimal texts the program writes: uppercase, zero-padded.
#include <cstdint>
#include <string>

namespace gw {

// "$" and at least three digits, as a frame editor shows a Cob-ID ($181, $18FF0001).
std::string CobIdText(std::int32_t value);

// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);

// "0x" and exactly two digits, for a byte value (0x0A).
std::string ByteHexText(std::uint8_t value);

} // namespace gw
