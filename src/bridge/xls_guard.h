#pragma once
// What FreeXL is given of an .xls workbook. FreeXL trusts the lengths and
// offsets a file claims, so a crafted file makes it read past its buffers,
// leak or allocate without bound. The workbook stream is therefore taken out
// of the compound file here, checked record by record for what FreeXL would
// misread, and handed over in a compound file of our own making, so that
// FreeXL reads exactly the records checked.
#include <string>
#include <string_view>

namespace gw {

// The compound file FreeXL is to open instead of `file` (the bytes of an .xls
// workbook). Throws std::runtime_error with the reason (what follows "could
// not be read as a workbook: ") when the file is damaged or holds what FreeXL
// cannot take safely.
std::string GuardedXlsImage(std::string_view file);

// Larger files are refused before they are read.
inline constexpr std::size_t kMaxXlsFileBytes = 256u << 20;

} // namespace gw
