// The cost of a save that first removes what killed saves left beside its file
// (a directory scan and a lock), against the bare replace it adds to: write a
// temporary file, sync it, rename it over the target. Both save the same 2 KB
// document into a project folder of 12 files, alternately; prints the medians
// and their ratio.
#include "common/file_io.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

void BareReplace(const std::string& path, const std::string& bytes) {
    std::string temp = fs::path(path).parent_path().string() + "/.bare.XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0)
        std::abort();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    const fs::path dir = fs::temp_directory_path() / ("gw-save-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "bin");
    for (const char* name : {"pargen.xml", "sdo.xml", "pdo.xml", "rpdodef.xml", "sdopdo.xml",
                             "emcydef.xml", "emcyword.xml", "sdoaccess.xml", "notes.txt"})
        gw::WriteFileAtomic((dir / name).string(), "<x/>");
    const std::string document(2048, 'a');
    constexpr int kRounds = 400;
    std::vector<double> ours, bare;
    for (int i = 0; i < kRounds; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        gw::WriteFileAtomic((dir / "sdo.xml").string(), document);
        auto t1 = std::chrono::steady_clock::now();
        BareReplace((dir / "pdo.xml").string(), document);
        auto t2 = std::chrono::steady_clock::now();
        ours.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
        bare.push_back(std::chrono::duration<double, std::micro>(t2 - t1).count());
    }
    fs::remove_all(dir);
    const double a = Median(ours), b = Median(bare);
    std::printf("save with sweep: %.1f us, bare replace: %.1f us, ratio %.3f (%d rounds)\n", a, b,
                a / b, kRounds);
    return 0;
}
