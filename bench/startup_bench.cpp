// Start-up time of the program against a bare Qt program showing one
// captioned button: both are started alternately (offscreen platform), each
// from process start to its window shown and painted, and the ratio of the
// medians is printed: of the wall time, and of the CPU time the process used
// (on a shared machine the wall time is mostly waiting for a core).
#include "median.h"
#include "spawn.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

gwbench::ProcessRun RunOnce(const std::string& program) {
    return gwbench::RunProgram({program});
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
        const gwbench::ProcessRun b = RunOnce(dir + "/startup_bare");
        const gwbench::ProcessRun o = RunOnce(dir + "/startup_main");
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
