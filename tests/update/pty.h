#pragma once
// A pseudo-terminal pair for serial tests; a pseudo-terminal is a real
// character device.
#include <fcntl.h>
#include <stdexcept>
#include <stdlib.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace gwtest {

class Pty {
public:
    Pty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        path_ = ptsname(master_);
        // Opened before anyone takes the terminal exclusively.
        readBack_ = open(path_.c_str(), O_RDWR | O_NOCTTY);
    }
    ~Pty() {
        close(readBack_);
        CloseMaster();
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    // The device path of the terminal side, what the component opens.
    const std::string& Path() const { return path_; }
    int Master() const { return master_; }
    // A descriptor of the terminal side, to read its settings back.
    int ReadBack() const { return readBack_; }
    // The other side goes away: the terminal side hangs up for good.
    void CloseMaster() {
        if (master_ >= 0)
            close(master_);
        master_ = -1;
    }
    // Hangs up every open descriptor of the terminal side, as the kernel does
    // when a USB serial adapter is pulled; false without the privilege.
    bool Hangup() { return ioctl(readBack_, TIOCVHANGUP) == 0; }
    termios Settings() const {
        termios t{};
        tcgetattr(readBack_, &t);
        return t;
    }

private:
    int master_ = -1;
    int readBack_ = -1;
    std::string path_;
};

} // namespace gwtest
