#include "xml/xml_text.h"

#include <cstdio>

namespace gw {

namespace {

bool XmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Decodes one UTF-8 sequence at `i`; its length, or 0 when the bytes are not
// well-formed UTF-8 (overlong forms and surrogates included).
std::size_t Decode(std::string_view s, std::size_t i, std::uint32_t& code) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char b0 = byte(0);
    std::size_t length;
    std::uint32_t min;
    if (b0 < 0x80) {
        code = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, min = 0x80, code = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, min = 0x800, code = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, code = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::optional<UnfitXmlChar> FindUnfitXmlChar(std::string_view utf8) {
    std::size_t position = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        ++position;
        std::uint32_t code = 0;
        const std::size_t length = Decode(utf8, i, code);
        if (length == 0)
            return UnfitXmlChar{position, static_cast<unsigned char>(utf8[i]), true};
        if (!XmlChar(code))
            return UnfitXmlChar{position, code, false};
        i += length;
    }
    return std::nullopt;
}

std::string DescribeUnfitXmlChar(const UnfitXmlChar& c) {
    char code[32];
    if (c.notUtf8)
        std::snprintf(code, sizeof code, "byte 0x%02X, not UTF-8", static_cast<unsigned>(c.code));
    else
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c.code));
    return "character " + std::to_string(c.position) + " (" + code + ")";
}

} // namespace gw
