// The image decoder of the command-line companion on any bytes: readable text
// or its own error, never a read outside the bytes.
#include "output/bank_dump.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        if (gw::DescribeBankImage(bytes).empty())
            std::abort();
    } catch (const gw::InvalidBankImage&) {
    }
    return 0;
}
