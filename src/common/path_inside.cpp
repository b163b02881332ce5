#include "common/path_inside.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace gw {

bool PathIsInside(const std::string& root, const std::string& path) {
    if (root.empty() || path.empty())
        return false;
    std::error_code ec;
    const fs::path r = fs::canonical(root, ec);
    if (ec)
        return false;
    const fs::path p = fs::canonical(path, ec);
    if (ec)
        return false;
    return std::mismatch(r.begin(), r.end(), p.begin(), p.end()).first == r.end();
}

} // namespace gw
