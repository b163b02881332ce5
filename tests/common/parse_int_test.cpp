#include "common/errors.h"
#include "common/hex_text.h"
#include "common/parse_int.h"

#include <gtest/gtest.h>

#include <climits>

using namespace gw;

namespace {

struct Case {
    const char* text;
    std::optional<std::int32_t> value;
};

TEST(ParseIntText, AcceptsAndRefuses) {
    const Case cases[] = {
        // Every prefix, either case of digits.
        {"385", 385},
        {"$181", 0x181},
        {"x181", 0x181},
        {"X181", 0x181},
        {"0x181", 0x181},
        {"0X181", 0x181},
        {"$7ff", 0x7FF},
        {"$07F", 0x7F},
        // Signs.
        {"-1", -1},
        {"+12", 12},
        {"-$10", -16},
        {"+0x10", 16},
        // Leading blanks yes, trailing blanks no.
        {" 12", 12},
        {"   $1A", 0x1A},
        {"12 ", std::nullopt},
        {"\t12", std::nullopt},
        {"- 1", std::nullopt},
        // Not integers at all.
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"abc", std::nullopt},
        {"12abc", std::nullopt},
        {"1.5", std::nullopt},
        {"$G1", std::nullopt},
        {"0x-1", std::nullopt},
        // 32-bit limits in decimal.
        {"2147483647", INT32_MAX},
        {"2147483648", std::nullopt},
        {"-2147483648", INT32_MIN},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        // Hexadecimal is the 32-bit pattern, up to 8 significant digits.
        {"$FFFFFFFF", -1},
        {"$80000000", INT32_MIN},
        {"$7FFFFFFF", INT32_MAX},
        {"$0000000012345678", 0x12345678},
        {"$100000000", std::nullopt},
        {"$1FFFFFFF", 0x1FFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("text '") + c.text + "'");
        EXPECT_EQ(TryParseIntText(c.text), c.value);
        EXPECT_EQ(ParseIntTextOr(c.text, -7), c.value.value_or(-7));
    }
}

TEST(ParseIntText, FailureNamesTheText) {
    try {
        ParseIntText("12 ");
        FAIL() << "no error raised";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'12 ' is not a valid integer value");
    }
    EXPECT_EQ(ParseIntText(" -0x1F"), -31);
}

TEST(HexText, CobIdAndByteForms) {
    EXPECT_EQ(CobIdText(0x181), "$181");
    EXPECT_EQ(CobIdText(0x7F), "$07F");
    EXPECT_EQ(CobIdText(0), "$000");
    EXPECT_EQ(CobIdText(0x18FF0001), "$18FF0001");
    EXPECT_EQ(CobIdText(-1), "$FFFFFFFF");
    EXPECT_EQ(ByteHexText(0x0A), "0x0A");
    EXPECT_EQ(ByteHexText(0xFE), "0xFE");
    EXPECT_EQ(ByteHexText(0), "0x00");
}

} // namespace
