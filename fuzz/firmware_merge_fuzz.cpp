// The firmware build over any input file: a new firmware or a message, the
// stage files gone either way, and every bank that went in present once, whole.
// The first byte chooses the stages; the rest is the delivered firmware.
#include "update/firmware_image.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Spill(const fs::path& p, std::string_view bytes) {
    std::ofstream(p, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A folder of this process's own, on a memory file system where there is one:
// the build syncs its result, which a disk would make slow.
struct Workspace {
    Workspace() {
        const fs::path base =
            fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        dir = base / ("gw-firmware-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(dir / "bin");
        for (int stage = 1; stage <= gw::kBankCount; ++stage) {
            // Banks of every length: whole, short, empty, longer than a bank.
            const std::size_t sizes[] = {gw::kBankSize, 10, 0, gw::kBankSize + 7, 33};
            std::string bytes(sizes[stage - 1], '\0');
            for (std::size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<char>(i * 7 + stage);
            Spill(dir / "bin" / gw::BankFileName(stage), bytes);
            banks[stage - 1] = gw::BankRecords(stage, bytes);
        }
        folders = {dir.string(), (dir / "bin").string(), "New_out.sx"};
    }
    ~Workspace() {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
    std::string banks[gw::kBankCount];
    gw::FirmwareFolders folders;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Workspace ws;
    if (size == 0)
        return 0;
    std::array<bool, gw::kBankCount> selected{};
    for (int i = 0; i < gw::kBankCount; ++i)
        selected[i] = (data[0] >> i) & 1;
    const fs::path source = ws.dir / "in.sx";
    const fs::path output = ws.dir / ws.folders.NewSxName;
    Spill(source, std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    std::error_code ec;
    fs::remove(output, ec);

    const gw::FirmwareBuild build = gw::BuildFirmwareImage(ws.folders, source.string(), selected);
    if (build.failed == build.message.empty() || build.failed == fs::exists(output))
        std::abort();
    // Neither stage files nor temporary files outlive a build.
    for (const auto& entry : fs::directory_iterator(ws.dir)) {
        const std::string name = entry.path().filename().string();
        if (name != "bin" && name != "in.sx" && name != ws.folders.NewSxName)
            std::abort();
    }
    if (!build.failed) {
        if (!fs::exists(output))
            std::abort();
        const std::string out = Slurp(output);
        for (int stage = 1; stage <= gw::kBankCount; ++stage) {
            if (build.results[stage - 1] != gw::kBankInserted)
                continue;
            const std::string& bank = ws.banks[stage - 1];
            const std::size_t at = out.find(bank);
            if (at == std::string::npos || out.find(bank, at + 1) != std::string::npos)
                std::abort();
        }
    }
    fs::remove(source, ec);
    return 0;
}
