// Start-up time of the program against a bare Qt program showing one
// captioned button: both are started alternately (offscreen platform), each
// from process start to its window shown and painted, and the ratio of the
// medians is printed: of the wall time, and of the CPU time the process used
// (on a shared machine the wall time is mostly waiting for a core).
#include "median.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>

extern char** environ;

namespace {

struct Run {
    double wall = 0;
    double cpu = 0;
};

double SecondsOf(const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
}

Run RunOnce(const std::string& program) {
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    // The programs' messages would only clutter the result.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (rc != 0) {
        std::fprintf(stderr, "cannot start %s\n", program.c_str());
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", program.c_str());
        std::exit(1);
    }
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            SecondsOf(usage.ru_utime) + SecondsOf(usage.ru_stime)};
}

} // namespace

using gwbench::Median;

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 21;
    const std::string dir = GW_BENCH_DIR;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<double> bareWall, bareCpu, oursWall, oursCpu;
    RunOnce(dir + "/startup_bare"); // warm the file cache for both
    RunOnce(dir + "/startup_main");
    for (int r = 0; r < rounds; ++r) {
        const Run b = RunOnce(dir + "/startup_bare");
        const Run o = RunOnce(dir + "/startup_main");
        bareWall.push_back(b.wall);
        bareCpu.push_back(b.cpu);
        oursWall.push_back(o.wall);
        oursCpu.push_back(o.cpu);
    }
    std::printf("%d rounds alternating, offscreen\n", rounds);
    std::printf("wall medians: bare captioned button %.1f ms, main window %.1f ms; ratio %.2f\n",
                Median(bareWall) * 1e3, Median(oursWall) * 1e3,
                Median(oursWall) / Median(bareWall));
    std::printf("cpu  medians: bare captioned button %.1f ms, main window %.1f ms; ratio %.2f\n",
                Median(bareCpu) * 1e3, Median(oursCpu) * 1e3, Median(oursCpu) / Median(bareCpu));
    return 0;
}
