#include "update/firmware_fixture.h"

#include <cstdio>

namespace gwtest {

std::string S2Line(std::uint32_t address, const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> bytes = {
        static_cast<std::uint8_t>(data.size() + 4), static_cast<std::uint8_t>(address >> 16),
        static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
    bytes.insert(bytes.end(), data.begin(), data.end());
    unsigned sum = 0;
    std::string line = "S2";
    char hex[3];
    for (std::uint8_t b : bytes) {
        sum += b;
        std::snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    std::snprintf(hex, sizeof hex, "%02X", ~sum & 0xFFu);
    return line + hex;
}

std::uint8_t FirmwareByte(std::uint32_t address) {
    return static_cast<std::uint8_t>((address * 7 + (address >> 8)) & 0xFF);
}

std::string S2Lines(const AddressRange& range, const std::string& eol, std::uint32_t recordBytes) {
    std::string text;
    for (std::uint32_t a = range.first; a < range.end; a += recordBytes) {
        std::vector<std::uint8_t> data;
        for (std::uint32_t i = a; i < range.end && i < a + recordBytes; ++i)
            data.push_back(FirmwareByte(i));
        text += S2Line(a, data) + eol;
    }
    return text;
}

std::string MakeFirmware(const std::vector<AddressRange>& ranges, const std::string& eol,
                         std::uint32_t recordBytes, bool end) {
    std::string text = "S00600004844521B" + eol;
    for (const AddressRange& r : ranges)
        text += S2Lines(r, eol, recordBytes);
    if (end)
        text += "S9030000FC" + eol;
    return text;
}

std::string BankBytes(int stage, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(0x10 * stage + 1 + (i * 13) % 0x0F);
    return bytes;
}

AddressRange BankRange(int stage) {
    const std::uint32_t first = 0x388000 + 0x10000 * static_cast<std::uint32_t>(stage - 1);
    return {first, first + 0x4000};
}

} // namespace gwtest
