#include "common/file_io.h"

#include "common/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace gw {

namespace {

[[noreturn]] void ThrowWriteError(const std::string& path, int err) {
    throw FileError("Cannot write file '" + path + "': " + std::strerror(err));
}

} // namespace

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    fs::path target(path);
    fs::path folder = target.parent_path();
    std::string pattern = (folder.empty() ? fs::path(".") : folder).string() + "/." +
                          target.filename().string() + ".XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        ThrowWriteError(path, errno);
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            ::close(fd);
            ::unlink(pattern.c_str());
            ThrowWriteError(path, err);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    // mkstemp creates 0600; documents should be as readable as any other file.
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        int err = errno;
        ::unlink(pattern.c_str());
        ThrowWriteError(path, err);
    }
    if (::rename(pattern.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(pattern.c_str());
        ThrowWriteError(path, err);
    }
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError("Cannot open file '" + path + "': " + std::strerror(errno));
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool FolderExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

bool CreateOneFolder(const std::string& path, std::string* reason) {
    std::error_code ec;
    if (fs::create_directory(path, ec))
        return true;
    if (reason)
        *reason = ec ? ec.message() : std::string("already exists");
    return false;
}

bool CreateFolderPath(const std::string& path) {
    if (path.empty())
        throw FileError("Unable to create directory");
    std::string p = path;
    while (p.size() > 1 && (p.back() == '/' || p.back() == '\\'))
        p.pop_back();
    if (p.size() < 3 || FolderExists(p) || fs::path(p) == fs::path(p).root_path())
        return true;
    std::string parent = fs::path(p).parent_path().string();
    if (!parent.empty() && parent != p && !CreateFolderPath(parent))
        return false;
    std::error_code ec;
    fs::create_directory(p, ec);
    return FolderExists(p);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return (fs::path(folder) / name).string();
}

} // namespace gw
