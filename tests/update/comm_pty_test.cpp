// The serial component on pseudo-terminals, which are real character devices:
// what it opens, what reaches the line settings, and the errors it raises.
#include "support/temp_dir.h"
#include "update/CommInt.h"
#include "update/comm_error.h"
#include "update/fake_comm_device.h"
#include "update/pty.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <deque>
#include <fcntl.h>
#include <iostream>
#include <mutex>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace gw;

namespace {

using gwtest::Pty;

using gwtest::ErrorOf;

struct LineCase {
    TBaudrate baud;
    speed_t speed;
    TParity parity;
    TStopbits stop;
    TDatabits data;
    TFlowControl flow;
    tcflag_t cflag; // expected among PARENB PARODD CMSPAR CSTOPB CSIZE
};

const LineCase kLineCases[] = {
    {br9600, B9600, paNone, sb10, da8, fcNone, CS8},
    {br115200, B115200, paEven, sb20, da7, fcCTS, PARENB | CSTOPB | CS7},
    {br19200, B19200, paOdd, sb15, da5, fcSoftware, PARENB | PARODD | CSTOPB | CS5},
    {br1500000, B1500000, paMark, sb10, da6, fcDTR, PARENB | PARODD | CMSPAR | CS6},
    {br300, B300, paSpace, sb10, da8, fcNone, PARENB | CMSPAR | CS8},
};

// Opens `device` with one case and compares what the terminal holds. `forced`
// are the flags the driver sets on its own (a pseudo-terminal is always eight
// bits without parity); rates above `maxRate` must be refused.
void CheckLineCase(const LineCase& c, const std::string& device, int readBack, tcflag_t forced,
                   std::uint32_t maxRate) {
    SCOPED_TRACE(BaudRateValue(c.baud));
    const tcflag_t cmask = (PARENB | PARODD | CMSPAR | CSTOPB | CSIZE) & ~forced;
    TComm comm;
    comm.SetDeviceName(device);
    comm.SetBaudRate(c.baud);
    comm.SetParity(c.parity);
    comm.SetStopbits(c.stop);
    comm.SetDatabits(c.data);
    comm.SetFlowControl(c.flow);
    if (BaudRateValue(c.baud) > maxRate) {
        EXPECT_EQ(ErrorOf([&] { comm.OpenPort(); }),
                  "Error updating DataControlBlock (Error: 22) ");
        return;
    }
    comm.OpenPort();
    termios t{};
    ASSERT_EQ(tcgetattr(readBack, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ(cfgetispeed(&t), c.speed);
    EXPECT_EQ(t.c_cflag & cmask, c.cflag & cmask);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << "binary mode";
    // Flow control adds to the flags as read; only fcNone clears them.
    switch (c.flow) {
    case fcNone:
        EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
        break;
    case fcCTS:
        EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
        break;
    case fcSoftware:
        EXPECT_EQ(t.c_iflag & (IXON | IXOFF), IXON | IXOFF);
        break;
    default:
        break;
    }
    CommLineSettings s;
    ASSERT_EQ(comm.Device()->GetLineSettings(s), 0);
    EXPECT_EQ(s.StopBits, static_cast<int>(c.stop));
    EXPECT_EQ(s.fOutxDsrFlow, c.flow == fcDTR);
    comm.ClosePort();
}

TEST(CommPty, OpenAppliesTheLineSettings) {
    for (const auto& c : kLineCases) {
        Pty pty; // a fresh terminal per case, so no flag carries over
        CheckLineCase(c, pty.Path(), pty.ReadBack(), CSIZE | PARENB, 0xFFFFFFFFu);
    }
}

// Data bits and parity need a real UART to be seen.
TEST(CommPty, OpenAppliesTheLineSettingsToARealPort) {
    const int fd = open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        GTEST_SKIP() << "/dev/ttyS0 cannot be opened";
    for (const auto& c : kLineCases)
        CheckLineCase(c, "COM1", fd, 0, 115200);
    close(fd);
}

TEST(CommPty, RatesWithoutATermiosConstant) {
    Pty pty;
    TComm comm;
    comm.SetDeviceName(pty.Path());
    for (TBaudrate b : {br14400, br56000, br128000, br256000, br9600}) {
        comm.SetBaudRate(b);
        if (!comm.PortIsOpen())
            comm.OpenPort();
        CommLineSettings s;
        ASSERT_EQ(comm.Device()->GetLineSettings(s), 0);
        EXPECT_EQ(s.BaudRate, BaudRateValue(b));
    }
    const termios t = pty.Settings();
    EXPECT_EQ(cfgetospeed(&t), B9600) << "a standard rate goes back to its constant";
}

TEST(CommPty, LineSettingsChangeAtOnceWhenOpenAndOnlyThen) {
    Pty pty;
    TComm comm;
    comm.SetDeviceName(pty.Path());
    comm.OpenPort();
    comm.SetBaudRate(br57600);
    termios t = pty.Settings();
    EXPECT_EQ(cfgetospeed(&t), B57600);
    comm.ClosePort();
    comm.SetBaudRate(br38400);
    t = pty.Settings();
    EXPECT_EQ(cfgetospeed(&t), B57600) << "closed: only stored";
    comm.OpenPort();
    t = pty.Settings();
    EXPECT_EQ(cfgetospeed(&t), B38400);
}

TEST(CommPty, XonXoffLimitsAndFlowNone) {
    Pty pty;
    TComm comm;
    comm.SetDeviceName(pty.Path());
    comm.SetFlowControl(fcCTS);
    comm.OpenPort();
    CommLineSettings s;
    ASSERT_EQ(comm.Device()->GetLineSettings(s), 0);
    EXPECT_EQ(s.XonLim, 1024);
    EXPECT_EQ(s.XoffLim, 1024);
    EXPECT_EQ(s.fRtsControl, RTS_CONTROL_HANDSHAKE);

    comm.SetOptions({coParityCheck});
    comm.SetFlowControl(fcNone);
    ASSERT_EQ(comm.Device()->GetLineSettings(s), 0);
    EXPECT_EQ(s.fDtrControl, DTR_CONTROL_DISABLE);
    EXPECT_EQ(s.fRtsControl, RTS_CONTROL_DISABLE);
    EXPECT_FALSE(s.fOutxCtsFlow || s.fOutxDsrFlow || s.fOutX || s.fInX);
    EXPECT_TRUE(s.fParity) << "options survive fcNone";
    const termios t = pty.Settings();
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_NE(t.c_iflag & INPCK, 0u);
}

TEST(CommPty, OpenErrors) {
    Pty pty;
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "plain", "x");
    int code = 0;

    TComm comm;
    comm.SetDeviceName(pty.Path());
    comm.OpenPort();
    EXPECT_EQ(ErrorOf([&] { comm.OpenPort(); }, &code),
              "Port already assigned (open) (Error: -1) ");
    EXPECT_EQ(code, -1);
    EXPECT_TRUE(comm.PortIsOpen());

    TComm missing;
    missing.SetDeviceName(dir / "no-such-device");
    EXPECT_EQ(ErrorOf([&] { missing.OpenPort(); }, &code),
              "Error accessing specified device (Error: 2) ");
    EXPECT_EQ(code, ENOENT);
    EXPECT_FALSE(missing.PortIsOpen());

    TComm file;
    file.SetDeviceName(dir / "plain");
    EXPECT_EQ(ErrorOf([&] { file.OpenPort(); }, &code),
              "Invalid device handle, access denied (Error: -1) ");
    EXPECT_EQ(code, -1);
    EXPECT_FALSE(file.PortIsOpen());

    // A character device that is no terminal opens, then refuses the settings.
    TComm null;
    null.SetDeviceName("/dev/null");
    EXPECT_EQ(ErrorOf([&] { null.OpenPort(); }, &code), "Error updating CommTimeouts (Error: 25) ");
    EXPECT_EQ(code, ENOTTY);
    EXPECT_TRUE(null.PortIsOpen());
    null.ClosePort();
    EXPECT_FALSE(null.PortIsOpen());
}

TEST(CommPty, DtrOnADeviceWithoutModemLines) {
    Pty pty;
    TComm comm;
    int code = 0;
    EXPECT_EQ(ErrorOf([&] { comm.SetDtrLine(true); }, &code),
              "Port not open, unable to complete operation (Error: -1) ");
    EXPECT_EQ(code, -1);
    comm.ClosePort(); // closed: nothing happens
    EXPECT_FALSE(comm.PortIsOpen());

    comm.SetDeviceName(pty.Path());
    comm.OpenPort();
    EXPECT_EQ(ErrorOf([&] { comm.SetDtrLine(true); }, &code),
              "EscapeCommFunction failure (Error: 25) ");
    EXPECT_EQ(code, ENOTTY);
    EXPECT_EQ(ErrorOf([&] { comm.EscapeFunction(7); }, &code),
              "EscapeCommFunction failure (Error: 22) ");
}

TEST(CommPty, ReceivedBytesReachOnRxChar) {
    Pty pty;
    std::mutex m;
    std::deque<std::function<void()>> tasks;
    TComm comm;
    comm.SetEventPoster([&](std::function<void()> t) {
        std::lock_guard lock(m);
        tasks.push_back(std::move(t));
    });
    std::uint32_t count = 0;
    comm.OnRxChar = [&](TCustomComm*, std::uint32_t c) { count = c; };
    comm.SetDeviceName(pty.Path());
    comm.OpenPort();
    ASSERT_EQ(write(pty.Master(), "hello", 5), 5);
    for (int i = 0; i < 300 && count == 0; ++i) {
        std::function<void()> task;
        {
            std::lock_guard lock(m);
            if (!tasks.empty()) {
                task = std::move(tasks.front());
                tasks.pop_front();
            }
        }
        if (task)
            task();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(count, 5u);
    comm.ClosePort();
}

// The terminal side of a pseudo-terminal going away as a serial device does:
// its other side closed, or hung up as when a USB adapter is pulled.
TEST(CommPty, AVanishedDeviceIsReportedAndThePortOpensAgain) {
    enum How { CloseOtherSide, Hangup };
    struct Case {
        const char* what;
        How how;
        bool bytesWaiting; // unread input keeps the terminal readable
    };
    const Case cases[] = {
        {"other side closed", CloseOtherSide, false},
        {"other side closed with bytes unread", CloseOtherSide, true},
        {"hung up", Hangup, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Pty pty;
        gwtest::TaskQueue ui;
        TComm comm;
        comm.SetEventPoster(ui.Poster());
        std::vector<std::string> lost;
        comm.OnDeviceLost = [&](TCustomComm*, const ECommError& e) { lost.push_back(e.what()); };
        comm.SetDeviceName(pty.Path());
        comm.OpenPort();
        if (c.bytesWaiting) {
            ASSERT_EQ(write(pty.Master(), "abc", 3), 3);
            ASSERT_TRUE(ui.WaitForTask()); // the bytes were seen
            ui.RunOne();
        }
        if (c.how == Hangup) {
            if (!pty.Hangup()) {
                std::cout << "  (hang-up skipped: " << std::strerror(errno) << ")\n";
                continue;
            }
        } else {
            pty.CloseMaster();
        }
        ASSERT_TRUE(ui.RunUntil([&] { return !lost.empty(); }));
        EXPECT_EQ(lost, std::vector<std::string>{"Device no longer available (Error: 5) "});
        for (int i = 0; i < 250 && comm.Monitoring(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(comm.Monitoring()) << "the monitoring thread ends";

        // Nothing spins on the dead descriptor.
        timespec before{}, after{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
        const double cpuMs =
            (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
        EXPECT_LT(cpuMs, 60.0);
        EXPECT_FALSE(ui.RunOne()) << "one report, nothing after it";

        comm.ClosePort();
        EXPECT_FALSE(comm.PortIsOpen());
        Pty replugged;
        comm.SetDeviceName(replugged.Path());
        comm.OpenPort();
        EXPECT_TRUE(comm.Monitoring());
        ASSERT_EQ(write(replugged.Master(), "x", 1), 1);
        EXPECT_TRUE(ui.WaitForTask()) << "events flow again";
        comm.ClosePort();
    }
}

TEST(CommPty, TheMachinesFirstSerialPort) {
    if (access("/dev/ttyS0", F_OK) != 0)
        GTEST_SKIP() << "no /dev/ttyS0";
    TComm comm;
    comm.SetDeviceName("COM1");
    try {
        comm.OpenPort();
    } catch (const ECommError& e) {
        GTEST_SKIP() << e.what();
    }
    try {
        comm.SetDtrLine(true);
    } catch (const ECommError& e) {
        GTEST_SKIP() << "no modem control on this port: " << e.what();
    }
    const int fd = open("/dev/ttyS0", O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) { // only a privileged user gets past the exclusive open
        int lines = 0;
        ASSERT_EQ(ioctl(fd, TIOCMGET, &lines), 0);
        EXPECT_NE(lines & TIOCM_DTR, 0);
        comm.SetDtrLine(false);
        ASSERT_EQ(ioctl(fd, TIOCMGET, &lines), 0);
        EXPECT_EQ(lines & TIOCM_DTR, 0);
        close(fd);
    }
    comm.ClosePort();
}

} // namespace
