#include "common/parse_int.h"

#include "common/errors.h"
#include "common/hex_text.h"

namespace gw {

std::optional<std::int32_t> TryParseIntText(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::string_view rest = text.substr(i);
    if (rest.empty())
        return std::nullopt;

    std::size_t prefix = 0;
    if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X')
        prefix = 1;
    else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X'))
        prefix = 2;

    if (prefix > 0) {
        std::string_view digits = rest.substr(prefix);
        if (digits.empty())
            return std::nullopt;
        std::uint64_t value = 0;
        int significant = 0;
        for (char c : digits) {
            int d = HexDigitValue(c);
            if (d < 0)
                return std::nullopt;
            if (significant > 0 || d != 0)
                ++significant;
            if (significant > 8)
                return std::nullopt;
            value = value * 16 + static_cast<std::uint64_t>(d);
        }
        auto pattern = static_cast<std::uint32_t>(value);
        if (negative)
            pattern = 0u - pattern;
        return static_cast<std::int32_t>(pattern);
    }

    std::int64_t value = 0;
    for (char c : rest) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > 2147483647LL)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string NotAnIntegerMessage(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

std::int32_t ParseIntText(std::string_view text) {
    if (auto v = TryParseIntText(text))
        return *v;
    throw ConversionError(NotAnIntegerMessage(text));
}

std::int32_t ParseIntTextOr(std::string_view text, std::int32_t fallback) {
    return TryParseIntText(text).value_or(fallback);
}

} // namespace gw
