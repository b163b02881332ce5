// The real executable under a virtual X display, driven as a user drives it:
// captions as the window manager sees them, and what closing the main window does.
// Needs Xvfb and xdotool; skipped where they are missing.
#include "app/UBrinvaleFirmWare.h"
#include "app/workspace.h"
#include "support/temp_dir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#ifdef GW_HAVE_X11
#include <X11/Xlib.h>
#endif

extern char** environ;

namespace {

using namespace std::chrono_literals;
using gwtest::ReadFile;
using gwtest::TempDir;

const std::string kPrefix = gw::kCaptionPrefix;

bool OnPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

pid_t Spawn(const std::vector<std::string>& argv, int closeInChild = -1) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (closeInChild >= 0)
        posix_spawn_file_actions_addclose(&actions, closeInChild);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit status of `pid`, or -1 when it is still running after `limit`.
int WaitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (std::chrono::steady_clock::now() >= end)
            return -1;
        std::this_thread::sleep_for(50ms);
    }
}

void Stop(pid_t pid) {
    if (pid <= 0 || WaitForExit(pid, 0ms) != -1)
        return; // never started, or ended and reaped just now
    ::kill(pid, SIGTERM);
    if (WaitForExit(pid, 3s) == -1) {
        ::kill(pid, SIGKILL);
        WaitForExit(pid, 3s);
    }
}

// A virtual X display of our own for the whole test program.
class VirtualDisplay {
public:
    VirtualDisplay() {
        int fds[2];
        if (::pipe(fds) != 0)
            return;
        pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                      "-nolisten", "tcp"},
                     fds[0]);
        ::close(fds[1]);
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && ::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (!number.empty())
            name_ = ":" + number;
    }
    ~VirtualDisplay() { Stop(pid_); }
    const std::string& Name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// Runs an X tool on the display; its standard output, trimmed.
std::string RunTool(const std::string& command) {
    std::string out;
    if (FILE* f = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, f))
            out += buf;
        ::pclose(f);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

std::vector<std::string> VisibleWindows(pid_t pid) {
    std::vector<std::string> ids;
    std::string all = RunTool("xdotool search --onlyvisible --pid " + std::to_string(pid));
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        ids.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return ids;
}

// Waits until the program shows `count` windows; the last one shown, or empty.
// Generous: a loaded machine may take long to start a program under X.
std::string WaitForWindows(pid_t pid, std::size_t count, const std::string& notThis = {}) {
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < end) {
        std::vector<std::string> ids = VisibleWindows(pid);
        if (ids.size() == count) {
            for (const std::string& id : ids)
                if (id != notThis)
                    return id;
        }
        std::this_thread::sleep_for(50ms);
    }
    return {};
}

std::string WindowName(const std::string& id) {
    return RunTool("xdotool getwindowname " + id);
}

void Click(const std::string& window, int x, int y) {
    RunTool("xdotool mousemove --window " + window + " " + std::to_string(x) + " " +
            std::to_string(y) + " click 1");
}

#ifdef GW_HAVE_X11
// What a window manager sends when the user closes a window from its frame.
void SendDeleteWindow(const std::string& display, const std::string& window) {
    Display* d = XOpenDisplay(display.c_str());
    ASSERT_NE(d, nullptr);
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = std::stoul(window);
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, ev.xclient.window, False, NoEventMask, &ev);
    XFlush(d);
    XCloseDisplay(d);
}
#endif

// Counts the times a file in a folder is written (closed after writing, or
// renamed into place) from now on.
class WriteCounter {
public:
    WriteCounter(const std::string& folder, std::string name)
        : fd_(inotify_init1(IN_NONBLOCK)), name_(std::move(name)) {
        inotify_add_watch(fd_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    }
    ~WriteCounter() { ::close(fd_); }
    int Count() {
        alignas(inotify_event) char buf[4096];
        ssize_t n;
        while ((n = ::read(fd_, buf, sizeof buf)) > 0)
            for (char* p = buf; p < buf + n;) {
                auto* e = reinterpret_cast<inotify_event*>(p);
                if (e->len > 0 && name_ == e->name)
                    ++count_;
                p += sizeof(inotify_event) + e->len;
            }
        return count_;
    }

private:
    int fd_;
    std::string name_;
    int count_ = 0;
};

class Program : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (OnPath("Xvfb") && OnPath("xdotool"))
            display_ = new VirtualDisplay;
    }
    static void TearDownTestSuite() {
        delete display_;
        display_ = nullptr;
    }

    void SetUp() override {
        if (!display_ || display_->Name().empty())
            GTEST_SKIP() << "needs Xvfb and xdotool";
        ::setenv("DISPLAY", display_->Name().c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        // A copy of its own, so the program's folders and settings land here.
        std::filesystem::copy_file(GW_PROGRAM, exe / "SW40931");
        std::filesystem::create_directories(exe / "PROJECTS/Pump");
        gwtest::WriteFile(exe / gw::kSettingsFileName, "[lastproj]\r\nprojectname=Pump\r\n");
        pid_ = Spawn({exe / "SW40931"});
        ASSERT_GT(pid_, 0);
        main_ = WaitForWindows(pid_, 1);
        ASSERT_FALSE(main_.empty()) << "the main window did not appear";
    }
    void TearDown() override { Stop(pid_); }

    // The program's exit status once it has ended by itself.
    int ExitStatus() {
        const int status = WaitForExit(pid_, 30s);
        if (status != -1)
            pid_ = -1;
        return status;
    }

    std::string Settings() const { return ReadFile(exe / gw::kSettingsFileName); }

    static VirtualDisplay* display_;
    TempDir exe;
    pid_t pid_ = -1;
    std::string main_;
};

VirtualDisplay* Program::display_ = nullptr;

TEST_F(Program, CaptionsAreTheWindowsOwnWithoutTheApplicationName) {
    EXPECT_EQ(WindowName(main_), kPrefix + "/Pump");
    const struct {
        const char* button;
        int x, y;
        const char* caption;
    } steps[] = {
        {"Set Communication", 152, 93, "SET COMMUNICATION"},
        {"Receive Frames", 152, 137, "Receive Frames"},
        {"Send Frames", 152, 181, "Send Frames"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.button);
        Click(main_, s.x, s.y);
        const std::string editor = WaitForWindows(pid_, 2, main_);
        ASSERT_FALSE(editor.empty());
        EXPECT_EQ(WindowName(editor), s.caption);
        RunTool("xdotool key Escape");
        ASSERT_EQ(WaitForWindows(pid_, 1), main_);
    }
}

TEST_F(Program, ClosingTheMainWindowEndsTheProgramAndRemembersTheProject) {
    WriteCounter writes(exe.Path(), gw::kSettingsFileName);
    // "X" on the main window.
    Click(main_, 530, 30);
    EXPECT_EQ(ExitStatus(), 0);
    EXPECT_EQ(Settings(), "[lastproj]\r\nprojectname=/Pump\r\n");
    EXPECT_EQ(writes.Count(), 1);
}

#ifdef GW_HAVE_X11
TEST_F(Program, ClosingFromTheWindowManagerEndsTheProgram) {
    WriteCounter writes(exe.Path(), gw::kSettingsFileName);
    SendDeleteWindow(display_->Name(), main_);
    EXPECT_EQ(ExitStatus(), 0);
    EXPECT_EQ(Settings(), "[lastproj]\r\nprojectname=/Pump\r\n");
    EXPECT_EQ(writes.Count(), 1);
}
#endif

} // namespace
