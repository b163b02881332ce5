#pragma once
// A configuration image decoded into readable text, for checking what a
// gateway was (or will be) given.
#include "common/errors.h"

#include <string>
#include <string_view>

namespace gw {

// The header offsets, one line per record and the parameter block with the
// parameters' names. Throws InvalidBankImage when the offsets and the length do
// not fit together.
std::string DescribeBankImage(std::string_view bytes);

} // namespace gw
