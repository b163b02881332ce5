// The integer reading of every field against a second, plainly written
// reading of the same rules: both must agree on every text, and a value read
// must read back the same from its decimal and hexadecimal forms.
#include "common/errors.h"
#include "common/parse_int.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

std::optional<std::int32_t> Reference(std::string_view t) {
    t.remove_prefix(std::min(t.find_first_not_of(' '), t.size()));
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (t.starts_with("0x") || t.starts_with("0X")) {
        base = 16;
        t.remove_prefix(2);
    } else if (!t.empty() && (t[0] == '$' || t[0] == 'x' || t[0] == 'X')) {
        base = 16;
        t.remove_prefix(1);
    }
    // from_chars takes neither a sign nor a prefix here: only digits remain.
    if (t.empty() || t[0] == '+' || t[0] == '-')
        return std::nullopt;
    if (base == 16) {
        const std::string_view significant = t.substr(std::min(t.find_first_not_of('0'), t.size()));
        if (significant.size() > 8)
            return std::nullopt;
        std::uint32_t v = 0;
        const auto r = std::from_chars(t.data(), t.data() + t.size(), v, 16);
        if (r.ec != std::errc() || r.ptr != t.data() + t.size())
            return std::nullopt;
        return static_cast<std::int32_t>(negative ? 0u - v : v);
    }
    std::int64_t v = 0;
    const std::string_view significant = t.substr(std::min(t.find_first_not_of('0'), t.size()));
    if (significant.size() > 10)
        return std::nullopt;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v, 10);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size())
        return std::nullopt;
    if (negative)
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::int32_t> got = gw::TryParseIntText(text);
    if (got != Reference(text))
        std::abort();
    try {
        const std::int32_t v = gw::ParseIntText(text);
        if (!got || v != *got)
            std::abort();
    } catch (const gw::ConversionError& e) {
        // what() ends at a NUL the text may hold.
        if (got || std::string(e.what()) != gw::NotAnIntegerMessage(text).c_str())
            std::abort();
    }
    if (gw::ParseIntTextOr(text, 12345) != got.value_or(12345))
        std::abort();
    if (got) {
        char hex[16];
        const auto r = std::to_chars(hex, hex + sizeof hex, static_cast<std::uint32_t>(*got), 16);
        if (gw::TryParseIntText(std::to_string(*got)) != got ||
            gw::TryParseIntText("$" + std::string(hex, r.ptr)) != got)
            std::abort();
    }
    return 0;
}
