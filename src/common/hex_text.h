#pragma once
// Hexadecimal texts the program writes (uppercase, zero-padded) and reads.
#include <cstdint>
#include <string>

namespace gw {

// The value of a hexadecimal digit of either case; -1 for any other character.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "$" and at least three digits, as a frame editor shows a Cob-ID ($181, $18FF0001).
std::string CobIdText(std::int32_t value);

// "0x" and exactly two digits, for a byte value (0x0A).
std::string ByteHexText(std::uint8_t value);

} // namespace gw
