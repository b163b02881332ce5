// The serial device layer over POSIX termios. What termios cannot hold (DSR/DTR
// handshaking, the XON/XOFF limits, the error, end-of-file and event characters,
// null stripping) is kept with the device and read back as it was set.
#include "update/CommInt.h"
#include "update/comm_baud_linux.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace gw {

namespace {

struct SpeedEntry {
    std::uint32_t rate;
    speed_t code;
};

constexpr SpeedEntry kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool SpeedCode(std::uint32_t rate, speed_t& code) {
    for (const auto& s : kSpeeds)
        if (s.rate == rate) {
            code = s.code;
            return true;
        }
    return false;
}

bool SpeedRate(speed_t code, std::uint32_t& rate) {
    for (const auto& s : kSpeeds)
        if (s.code == code) {
            rate = s.rate;
            return true;
        }
    return false;
}

// Poll period while waiting: modem lines and line errors have no descriptor to
// wait on, so they are sampled.
constexpr int kSampleMs = 20;

class PosixCommDevice : public CommDevice {
public:
    PosixCommDevice(int fd, int wake) : fd_(fd), wake_(wake) {
        ReadCounters(); // the baseline: only later errors count
    }
    ~PosixCommDevice() override { Close(); }

    bool IsCharacterDevice() const override {
        struct stat st {};
        return fstat(fd_, &st) == 0 && S_ISCHR(st.st_mode);
    }

    int GetLineSettings(CommLineSettings& s) override {
        termios t{};
        if (tcgetattr(fd_, &t) != 0)
            return errno;
        s = shadow_;
        const speed_t code = cfgetospeed(&t);
        if (!SpeedRate(code, s.BaudRate)) {
            if (int e = GetCustomBaudRate(fd_, s.BaudRate))
                return e;
        }
        switch (t.c_cflag & CSIZE) {
        case CS5:
            s.ByteSize = 5;
            break;
        case CS6:
            s.ByteSize = 6;
            break;
        case CS7:
            s.ByteSize = 7;
            break;
        default:
            s.ByteSize = 8;
            break;
        }
        if (!(t.c_cflag & PARENB))
            s.Parity = 0;
        else if (t.c_cflag & CMSPAR)
            s.Parity = (t.c_cflag & PARODD) ? 3 : 4;
        else
            s.Parity = (t.c_cflag & PARODD) ? 1 : 2;
        if (!(t.c_cflag & CSTOPB))
            s.StopBits = 0;
        else
            s.StopBits = shadow_.StopBits == 1 ? 1 : 2;
        s.fParity = (t.c_iflag & INPCK) != 0;
        s.fOutX = (t.c_iflag & IXON) != 0;
        s.fInX = (t.c_iflag & IXOFF) != 0;
        s.fOutxCtsFlow = (t.c_cflag & CRTSCTS) != 0;
        if (t.c_cflag & CRTSCTS)
            s.fRtsControl = RTS_CONTROL_HANDSHAKE;
        else if (s.fRtsControl == RTS_CONTROL_HANDSHAKE)
            s.fRtsControl = RTS_CONTROL_ENABLE;
        s.XonChar = t.c_cc[VSTART];
        s.XoffChar = t.c_cc[VSTOP];
        return 0;
    }

    int SetLineSettings(const CommLineSettings& s) override {
        termios t{};
        if (tcgetattr(fd_, &t) != 0)
            return errno;
        // Binary mode: no line editing, no translation, no echo.
        t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                       IXANY | INPCK | IGNPAR);
        t.c_oflag &= ~OPOST;
        t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
        t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
        t.c_cflag |= CREAD | CLOCAL;
        switch (s.ByteSize) {
        case 5:
            t.c_cflag |= CS5;
            break;
        case 6:
            t.c_cflag |= CS6;
            break;
        case 7:
            t.c_cflag |= CS7;
            break;
        case 8:
            t.c_cflag |= CS8;
            break;
        default:
            return EINVAL;
        }
        switch (s.Parity) {
        case 0:
            break;
        case 1:
            t.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            t.c_cflag |= PARENB;
            break;
        case 3:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case 4:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            return EINVAL;
        }
        if (s.StopBits > 2)
            return EINVAL;
        if (s.StopBits != 0)
            t.c_cflag |= CSTOPB; // with five data bits the line sends one and a half
        if (s.fParity)
            t.c_iflag |= INPCK;
        if (s.fOutX)
            t.c_iflag |= IXON;
        if (s.fInX)
            t.c_iflag |= IXOFF;
        if (s.fOutxCtsFlow || s.fRtsControl == RTS_CONTROL_HANDSHAKE)
            t.c_cflag |= CRTSCTS;
        t.c_cc[VSTART] = s.XonChar;
        t.c_cc[VSTOP] = s.XoffChar;
        speed_t code;
        const bool standard = SpeedCode(s.BaudRate, code);
        if (standard) {
            cfsetispeed(&t, code);
            cfsetospeed(&t, code);
        }
        if (tcsetattr(fd_, TCSANOW, &t) != 0)
            return errno;
        // A UART that cannot reach the rate keeps another one without a word.
        if (standard) {
            termios now{};
            if (tcgetattr(fd_, &now) != 0)
                return errno;
            if (cfgetospeed(&now) != code)
                return EINVAL;
        }
        if (!standard) {
            if (int e = SetCustomBaudRate(fd_, s.BaudRate))
                return e;
        }
        // The modem lines follow the control mode; a device without them (a
        // pseudo-terminal) still takes the line settings.
        int dtr = TIOCM_DTR, rts = TIOCM_RTS;
        if (s.fDtrControl == DTR_CONTROL_ENABLE)
            ioctl(fd_, TIOCMBIS, &dtr);
        else if (s.fDtrControl == DTR_CONTROL_DISABLE)
            ioctl(fd_, TIOCMBIC, &dtr);
        if (s.fRtsControl == RTS_CONTROL_ENABLE)
            ioctl(fd_, TIOCMBIS, &rts);
        else if (s.fRtsControl == RTS_CONTROL_DISABLE)
            ioctl(fd_, TIOCMBIC, &rts);
        shadow_ = s;
        return 0;
    }

    int SetTimeouts(const CommTimeouts& to) override {
        termios t{};
        if (tcgetattr(fd_, &t) != 0)
            return errno;
        // Reads never block for a byte count; a total time-out becomes VTIME.
        t.c_cc[VMIN] = 0;
        const bool immediate = to.ReadIntervalTimeout == kMaxTimeout &&
                               to.ReadTotalTimeoutMultiplier == 0 &&
                               to.ReadTotalTimeoutConstant == 0;
        const std::uint32_t tenths = (to.ReadTotalTimeoutConstant + 99) / 100;
        t.c_cc[VTIME] = immediate ? 0 : static_cast<cc_t>(tenths > 255 ? 255 : tenths);
        if (tcsetattr(fd_, TCSANOW, &t) != 0)
            return errno;
        return 0;
    }

    int SetQueueSizes(std::int32_t readSize, std::int32_t writeSize) override {
        // The kernel sizes its own queues; only nonsense is refused.
        return readSize > 0 && writeSize > 0 ? 0 : EINVAL;
    }

    int Escape(int code) override {
        int bits;
        switch (code) {
        case SETXOFF:
            return tcflow(fd_, TCOOFF) == 0 ? 0 : errno;
        case SETXON:
            return tcflow(fd_, TCOON) == 0 ? 0 : errno;
        case SETRTS:
            bits = TIOCM_RTS;
            return ioctl(fd_, TIOCMBIS, &bits) == 0 ? 0 : errno;
        case CLRRTS:
            bits = TIOCM_RTS;
            return ioctl(fd_, TIOCMBIC, &bits) == 0 ? 0 : errno;
        case SETDTR:
            bits = TIOCM_DTR;
            return ioctl(fd_, TIOCMBIS, &bits) == 0 ? 0 : errno;
        case CLRDTR:
            bits = TIOCM_DTR;
            return ioctl(fd_, TIOCMBIC, &bits) == 0 ? 0 : errno;
        case SETBREAK:
            return ioctl(fd_, TIOCSBRK) == 0 ? 0 : errno;
        case CLRBREAK:
            return ioctl(fd_, TIOCCBRK) == 0 ? 0 : errno;
        default:
            return EINVAL;
        }
    }

    int SetEventMask(std::uint32_t mask) override {
        mask_ = mask;
        return 0;
    }

    int WaitEvent(std::uint32_t& events) override {
        events = 0;
        for (;;) {
            std::uint32_t found = 0;
            if (int e = Sample(found))
                return e;
            found &= mask_;
            if (found) {
                events = found;
                return 0;
            }
            // While bytes wait unread the descriptor stays readable, so only
            // a hang-up is asked for then (it is reported whatever is asked).
            pollfd fds[2] = {{wake_, POLLIN, 0},
                             {fd_, static_cast<short>(lastIn_ == 0 ? POLLIN : 0), 0}};
            const int r = poll(fds, 2, kSampleMs);
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (fds[0].revents & POLLIN)
                return 0; // cancelled; the wake stays readable
            // A hung-up terminal never comes back: the adapter was pulled or
            // the other side of a pseudo-terminal closed.
            if (fds[1].revents & POLLNVAL)
                return EBADF;
            if (fds[1].revents & (POLLHUP | POLLERR))
                return EIO;
        }
    }

    void CancelWait() override {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(wake_, &one, sizeof one);
    }

    int ClearError(CommStatus& status) override {
        std::lock_guard lock(m_);
        ReadCountersLocked();
        status.Errors = pendingErrors_;
        pendingErrors_ = 0;
        int in = 0, out = 0;
        if (ioctl(fd_, FIONREAD, &in) != 0)
            return errno;
        if (ioctl(fd_, TIOCOUTQ, &out) != 0)
            out = 0;
        status.InQueue = static_cast<std::uint32_t>(in);
        status.OutQueue = static_cast<std::uint32_t>(out);
        return 0;
    }

    int Purge() override {
        if (fd_ < 0)
            return EBADF;
        return tcflush(fd_, TCIOFLUSH) == 0 ? 0 : errno;
    }

    void Close() override {
        if (fd_ >= 0) {
            ioctl(fd_, TIOCNXCL);
            ::close(fd_);
            fd_ = -1;
        }
        if (wake_ >= 0) {
            ::close(wake_);
            wake_ = -1;
        }
    }

private:
    // New line events since the last sample into `ev`; an error when the
    // device no longer answers.
    int Sample(std::uint32_t& ev) {
        ev = 0;
        int in = 0, out = 0;
        if (ioctl(fd_, FIONREAD, &in) == 0) {
            const auto now = static_cast<std::uint32_t>(in);
            if (now > lastIn_)
                ev |= EV_RXCHAR;
            lastIn_ = now;
        } else if (errno == EIO || errno == ENODEV || errno == ENXIO) {
            return errno;
        }
        if (ioctl(fd_, TIOCOUTQ, &out) == 0) {
            if (out == 0 && lastOut_ > 0)
                ev |= EV_TXEMPTY;
            lastOut_ = static_cast<std::uint32_t>(out);
        }
        int lines = 0;
        if (ioctl(fd_, TIOCMGET, &lines) == 0) {
            if (haveLines_) {
                const int changed = lines ^ lastLines_;
                if (changed & TIOCM_CTS)
                    ev |= EV_CTS;
                if (changed & TIOCM_DSR)
                    ev |= EV_DSR;
                if (changed & TIOCM_CD)
                    ev |= EV_RLSD;
                if ((changed & TIOCM_RI) && (lines & TIOCM_RI))
                    ev |= EV_RING;
            }
            lastLines_ = lines;
            haveLines_ = true;
        }
        const std::uint32_t errors = ReadCounters();
        if (errors & CE_BREAK)
            ev |= EV_BREAK;
        if (errors & (CE_RXOVER | CE_OVERRUN | CE_RXPARITY | CE_FRAME))
            ev |= EV_ERR;
        return 0;
    }

    std::uint32_t ReadCounters() {
        std::lock_guard lock(m_);
        return ReadCountersLocked();
    }

    // Folds the driver's error counters into the pending flags; returns the new ones.
    std::uint32_t ReadCountersLocked() {
        serial_icounter_struct c{};
        if (ioctl(fd_, TIOCGICOUNT, &c) != 0)
            return 0;
        std::uint32_t flags = 0;
        if (haveCounters_) {
            if (c.buf_overrun != counters_.buf_overrun)
                flags |= CE_RXOVER;
            if (c.overrun != counters_.overrun)
                flags |= CE_OVERRUN;
            if (c.parity != counters_.parity)
                flags |= CE_RXPARITY;
            if (c.frame != counters_.frame)
                flags |= CE_FRAME;
            if (c.brk != counters_.brk)
                flags |= CE_BREAK;
        }
        counters_ = c;
        haveCounters_ = true;
        pendingErrors_ |= flags;
        return flags;
    }

    int fd_;
    int wake_;
    CommLineSettings shadow_;
    std::atomic<std::uint32_t> mask_{0};

    // Monitoring thread only.
    std::uint32_t lastIn_ = 0;
    std::uint32_t lastOut_ = 0;
    int lastLines_ = 0;
    bool haveLines_ = false;

    std::mutex m_; // the counters are read from both threads
    serial_icounter_struct counters_{};
    bool haveCounters_ = false;
    std::uint32_t pendingErrors_ = 0;
};

class PosixCommDeviceLayer : public CommDeviceLayer {
public:
    std::shared_ptr<CommDevice> Open(const std::string& name, int& error) override {
        const std::string path = DevicePathForName(name);
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            error = errno;
            return nullptr;
        }
        const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake < 0) {
            error = errno;
            ::close(fd);
            return nullptr;
        }
        // Not shared: nobody else may open the port while we hold it.
        ioctl(fd, TIOCEXCL);
        return std::make_shared<PosixCommDevice>(fd, wake);
    }
};

} // namespace

std::shared_ptr<CommDeviceLayer> PosixCommDevices() {
    static const auto layer = std::make_shared<PosixCommDeviceLayer>();
    return layer;
}

} // namespace gw
