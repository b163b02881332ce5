#include "common/hex_text.h"

#include <cstdio>

namespace gw {

std::string CobIdText(std::int32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%03X",
                  static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return buf;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string ByteHexText(std::uint8_t value) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(value));
    return buf;
}

} // namespace gw
