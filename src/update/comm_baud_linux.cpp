#include "update/comm_baud_linux.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace gw {

int SetCustomBaudRate(int fd, std::uint32_t rate) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_cflag &= ~CBAUD;
    t.c_cflag |= BOTHER;
    t.c_ispeed = rate;
    t.c_ospeed = rate;
    t.c_cflag &= ~(CBAUD << IBSHIFT);
    t.c_cflag |= BOTHER << IBSHIFT;
    if (ioctl(fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
}

int GetCustomBaudRate(int fd, std::uint32_t& rate) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    rate = t.c_ospeed;
    return 0;
}

} // namespace gw
