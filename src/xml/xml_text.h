#pragma once
// Text an XML 1.0 document can hold. A character outside XML's set (a control
// character other than tab, line feed and carriage return, U+FFFE, U+FFFF) or
// bytes that are not UTF-8 would be written as something no XML reader
// accepts, so every editor checks its texts on OK before it saves them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace gw {

struct UnfitXmlChar {
    std::size_t position; // the character's place in the text, counted from 1
    std::uint32_t code;   // the character, or the first byte of bytes that are not UTF-8
    bool notUtf8 = false;
};

// The first character of `utf8` that XML 1.0 cannot hold, if any.
std::optional<UnfitXmlChar> FindUnfitXmlChar(std::string_view utf8);

// "character 4 (U+0001)", or "character 4 (byte 0xFF, not UTF-8)", for messages.
std::string DescribeUnfitXmlChar(const UnfitXmlChar& c);

// Throws std::runtime_error when `text` holds a character XML 1.0 cannot;
// the message begins with what `where()` returns (made only then).
template <class Where> void RequireXmlText(std::string_view text, Where&& where) {
    if (const std::optional<UnfitXmlChar> unfit = FindUnfitXmlChar(text))
        throw std::runtime_error(where() + ": " + DescribeUnfitXmlChar(*unfit) +
                                 " cannot be stored in an XML document.");
}

} // namespace gw
