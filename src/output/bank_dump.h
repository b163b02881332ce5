#pragma once
// A configuration image decoded into readable text, for checking what a
// gateway was (or will be) given.
#include <stdexcept>
#include <string>
#include <string_view>

namespace gw {

// Bytes whose header does not describe a configuration image.
class InvalidBankImage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The header offsets, one line per record and the parameter block with the
// parameters' names. Throws InvalidBankImage when the offsets and the length do
// not fit together.
std::string DescribeBankImage(std::string_view bytes);

} // namespace gw
