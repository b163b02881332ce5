#include "output/bank_dump.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace gw {
namespace {

TEST(BankDump, RefusesBytesThatAreNoImage) {
    using namespace std::string_literals;
    const std::string header = "\x0C\0\0\0\x14\0\0\0\x1B\0\0\0"s;
    const std::string cases[] = {
        "",
        "\x0C\0\0\0\x0C\0\0"s,                   // shorter than the header
        "\x0D\0\0\0\x0C\0\0\0\x0C\0\0\0"s,       // first offset is not the header size
        "\x0C\0\0\0\x0D\0\0\0\x0D\0\0\0\0"s,     // receive records of 1 byte
        "\x0C\0\0\0\x0C\0\0\0\x0E\0\0\0\0\0"s,   // send records of 2 bytes
        header + std::string(14, '\0'),          // one byte short of the records
        header + std::string(15 + 13, '\0'),     // a parameter block one byte short
        "\x0C\0\0\0\x0C\0\0\0\x0C\0\0\0\0"s,     // one byte too many
        "\x0C\0\0\0\xF4\xFF\xFF\xFF\x0C\0\0\0"s, // offsets out of order
    };
    for (const std::string& bytes : cases) {
        SCOPED_TRACE(bytes.size());
        EXPECT_THROW(DescribeBankImage(bytes), InvalidBankImage);
    }
    EXPECT_NO_THROW(DescribeBankImage(header + std::string(15, '\0')));
    EXPECT_NO_THROW(DescribeBankImage(header + std::string(15 + 14, '\0')));
}

} // namespace
} // namespace gw
