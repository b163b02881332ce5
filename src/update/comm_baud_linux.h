#pragma once
// Baud rates that have no B-constant (14400, 56000, 128000, 256000) go through
// the kernel's termios2 interface, which cannot share a unit with <termios.h>.
#include <cstdint>

namespace gw {

// 0 or the system error number.
int SetCustomBaudRate(int fd, std::uint32_t rate);
int GetCustomBaudRate(int fd, std::uint32_t& rate);

} // namespace gw
