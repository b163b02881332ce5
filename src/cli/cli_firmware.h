#pragma once
// sw40931-cli firmware: the firmware window's bank splicing for build scripts.
#include <iosfwd>
#include <string>
#include <vector>

namespace gw::cli {

extern const char* const kFirmwareUsage;

// `args` start with the command's name. Messages go to `err`; the exit status
// is 0 when the new firmware was written, 1 when the build failed, 2 for a
// usage error.
int Firmware(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace gw::cli
