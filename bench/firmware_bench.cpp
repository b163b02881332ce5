// Splicing the five configuration banks into a 4 MiB firmware: our
// `sw40931-cli firmware` against srec_cat doing the same splice, run
// alternately in one run. Prints the median of each and their ratio.
//
//   firmware_bench [ROUNDS]      (default 11)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr std::uint32_t kFirmwareSize = 4u << 20;
constexpr std::uint32_t kBankSize = 0x4000;

std::uint32_t BankStart(int bank) {
    return 0x388000 + 0x10000 * static_cast<std::uint32_t>(bank - 1);
}

std::string Hex(std::uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "0x%06X", v);
    return s;
}

// A firmware of 32-byte S2 records over the whole 4 MiB, as a linker writes it.
void WriteFirmware(const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "S00600004844521B\r\n";
    char line[96];
    for (std::uint32_t a = 0; a < kFirmwareSize; a += 32) {
        unsigned sum = 36 + (a >> 16 & 0xFF) + (a >> 8 & 0xFF) + (a & 0xFF);
        int n = std::snprintf(line, sizeof line, "S224%06X", a);
        for (std::uint32_t i = 0; i < 32; ++i) {
            const unsigned b = ((a + i) * 2654435761u) >> 24;
            sum += b;
            n += std::snprintf(line + n, sizeof line - n, "%02X", b);
        }
        std::snprintf(line + n, sizeof line - n, "%02X\r\n", ~sum & 0xFF);
        out << line;
    }
    out << "S9030000FC\r\n";
}

struct Times {
    double wall = 0;
    double cpu = 0;   // user and system time of the program
    long peakKiB = 0; // its largest resident memory
};

// Runs the program to its end; its exit status, and its times in `times`.
int Run(const std::vector<std::string>& args, Times* times = nullptr) {
    std::vector<char*> argv;
    std::vector<std::string> copy = args;
    for (std::string& a : copy)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (times) {
        times->wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        times->cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        times->peakKiB = usage.ru_maxrss;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Times Measure(const std::vector<std::string>& args) {
    Times t;
    if (Run(args, &t) != 0) {
        std::fprintf(stderr, "%s failed\n", args[0].c_str());
        std::exit(1);
    }
    return t;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    std::string pattern = (std::filesystem::temp_directory_path() / "gwfwbench.XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    const std::string dir = pattern;
    std::filesystem::create_directory(dir + "/bin");
    WriteFirmware(dir + "/src.sx");
    for (int bank = 1; bank <= 5; ++bank) {
        std::ofstream out(dir + "/bin/bank" + std::to_string(bank) + ".bin", std::ios::binary);
        for (std::uint32_t i = 0; i < kBankSize; ++i)
            out.put(static_cast<char>(bank * 16 + i % 7));
    }

    const std::vector<std::string> ours = {GW_CLI_PATH, "firmware", dir + "/src.sx", dir + "/bin",
                                           dir + "/ours.sx"};
    std::vector<std::string> peer = {"srec_cat", dir + "/src.sx"};
    for (int bank = 1; bank <= 5; ++bank)
        peer.insert(peer.end(),
                    {"-exclude", Hex(BankStart(bank)), Hex(BankStart(bank) + kBankSize)});
    for (int bank = 1; bank <= 5; ++bank)
        peer.insert(peer.end(), {dir + "/bin/bank" + std::to_string(bank) + ".bin", "-binary",
                                 "-offset", Hex(BankStart(bank))});
    peer.insert(peer.end(), {"-o", dir + "/peer.sx", "-disable=data-count"});

    std::vector<double> ourWall, peerWall, ourCpu, peerCpu;
    long ourPeak = 0, peerPeak = 0;
    for (int i = 0; i < rounds; ++i) {
        const Times a = Measure(ours);
        const Times b = Measure(peer);
        ourPeak = std::max(ourPeak, a.peakKiB);
        peerPeak = std::max(peerPeak, b.peakKiB);
        ourWall.push_back(a.wall);
        ourCpu.push_back(a.cpu);
        peerWall.push_back(b.wall);
        peerCpu.push_back(b.cpu);
    }
    const bool same = Run({"srec_cmp", dir + "/ours.sx", dir + "/peer.sx"}) == 0;
    std::printf("firmware of %u MiB (%ju bytes of S-records), five banks, %d rounds\n",
                kFirmwareSize >> 20,
                static_cast<std::uintmax_t>(std::filesystem::file_size(dir + "/src.sx")), rounds);
    std::printf(
        "                      wall median   CPU median   peak memory   (CPU: user + system)\n");
    std::printf("sw40931-cli firmware  %8.1f ms  %8.1f ms  %8ld KiB\n", Median(ourWall) * 1000,
                Median(ourCpu) * 1000, ourPeak);
    std::printf("srec_cat              %8.1f ms  %8.1f ms  %8ld KiB\n", Median(peerWall) * 1000,
                Median(peerCpu) * 1000, peerPeak);
    std::printf("ratio srec_cat / ours %8.2f     %8.2f\n", Median(peerWall) / Median(ourWall),
                Median(peerCpu) / Median(ourCpu));
    std::printf("same memory image (srec_cmp): %s\n", same ? "yes" : "NO");
    std::filesystem::remove_all(dir);
    return same ? 0 : 1;
}
