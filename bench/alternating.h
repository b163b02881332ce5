#pragma once
// Timing for benchmarks that run a program and its yardstick alternately in
// one process, so the machine's load weighs on each alike: the wall time and
// the thread's CPU time of every run.
#include <chrono>
#include <functional>
#include <vector>

#include <time.h>

namespace gwbench {

inline double CpuNow() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Times {
    std::vector<double> wall, cpu;
    void Run(const std::function<void()>& run) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuNow();
        run();
        cpu.push_back(CpuNow() - cpuStart);
        wall.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
};

} // namespace gwbench
