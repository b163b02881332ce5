#pragma once
// The input of a fuzz target as a file, for readers that take a path: one file
// per process, on a memory file system where there is one.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include <unistd.h>

namespace gwfuzz {

inline std::string ScratchPath(const std::string& name) {
    namespace fs = std::filesystem;
    static const fs::path dir = [] {
        const fs::path base =
            fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        const fs::path d = base / ("gw-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return (dir / name).string();
}

inline void Spill(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// An input whose first byte picks what the rest is read as: the rest spilled
// to a file, the pick returned; nullopt for an empty input.
inline std::optional<unsigned> SpillPicked(const std::uint8_t* data, std::size_t size,
                                           const std::string& path) {
    if (size == 0)
        return std::nullopt;
    Spill(path, std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    return data[0];
}

} // namespace gwfuzz
