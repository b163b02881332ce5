#include "common/replacement_temp.h"

#include <cctype>
#include <cerrno>
#include <filesystem>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace gw {

namespace {

constexpr std::size_t kRandomChars = 6; // what mkstemp puts for XXXXXX

std::string FolderOf(const fs::path& target) {
    const fs::path folder = target.parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

bool IsTempOf(const std::string& entry, const std::string& prefix) {
    if (entry.size() != prefix.size() + kRandomChars ||
        entry.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < entry.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(entry[i])))
            return false;
    return true;
}

} // namespace

void RemoveAbandonedTemps(const std::string& target) {
    const fs::path t(target);
    const std::string folder = FolderOf(t);
    const std::string prefix = "." + t.filename().string() + ".";
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (!IsTempOf(name, prefix))
            continue;
        const int fd =
            ::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // A writer still at work holds its lock; a killed one's went with it.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, name.c_str(), 0);
        ::close(fd);
    }
    ::closedir(dir);
}

int CreateReplacementTemp(const std::string& target, std::string& tempPath) {
    RemoveAbandonedTemps(target);
    const fs::path t(target);
    tempPath = FolderOf(t) + "/." + t.filename().string() + "." + std::string(kRandomChars, 'X');
    const int fd = ::mkostemp(tempPath.data(), O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX) != 0) {
        const int err = errno;
        ::close(fd);
        ::unlink(tempPath.c_str());
        errno = err;
        return -1;
    }
    return fd;
}

} // namespace gw
