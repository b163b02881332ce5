#include "app/app_folders.h"

#include "common/file_io.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace gw {

namespace fs = std::filesystem;

namespace {

std::string WithoutTrailingSeparators(std::string dir) {
    while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\'))
        dir.pop_back();
    return dir;
}

bool IsWritableFolder(const std::string& dir) {
#ifdef _WIN32
    return FolderExists(dir) && _access(dir.c_str(), 2) == 0;
#else
    return FolderExists(dir) && access(dir.c_str(), W_OK | X_OK) == 0;
#endif
}

// PREFIX/share/sw40931 when `exeDir` is PREFIX/bin of an installed copy.
std::optional<std::string> InstalledShareDir(const std::string& exeDir) {
    const fs::path exe(exeDir);
    if (exe.filename() != "bin")
        return std::nullopt;
    const std::string share = (exe.parent_path() / "share" / kDataFolderName).string();
    if (!FolderExists(share))
        return std::nullopt;
    return share;
}

std::string UserDataDir(const UserEnvironment& env) {
    if (!env.xdgDataHome.empty() && fs::path(env.xdgDataHome).is_absolute())
        return JoinPath(WithoutTrailingSeparators(env.xdgDataHome), kDataFolderName);
    if (!env.home.empty())
        return (fs::path(WithoutTrailingSeparators(env.home)) / ".local" / "share" /
                kDataFolderName)
            .string();
    return {};
}

} // namespace

UserEnvironment UserEnvironment::FromProcess() {
    UserEnvironment env;
    if (const char* x = std::getenv("XDG_DATA_HOME"))
        env.xdgDataHome = x;
    if (const char* h = std::getenv("HOME"))
        env.home = h;
#ifndef _WIN32
    if (env.home.empty())
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            env.home = pw->pw_dir;
#endif
    return env;
}

AppFolders FoldersBesideExecutable(const std::string& exeDir) {
    const std::string dir = WithoutTrailingSeparators(exeDir);
    return {dir, dir, dir};
}

AppFolders LocateAppFolders(const std::string& exeDir, const std::string& dataDirOption,
                            const UserEnvironment& env) {
    AppFolders f = FoldersBesideExecutable(exeDir);
    const std::optional<std::string> share = InstalledShareDir(f.ExeDir);
    if (share)
        f.ShareDir = *share;
    if (!dataDirOption.empty()) {
        std::error_code ec;
        const fs::path absolute = fs::absolute(dataDirOption, ec);
        f.DataDir = WithoutTrailingSeparators(ec ? dataDirOption : absolute.string());
    } else if (share || !IsWritableFolder(f.ExeDir)) {
        const std::string user = UserDataDir(env);
        if (!user.empty())
            f.DataDir = user;
    }
    return f;
}

std::string ProgramFileName(const std::string& name) {
#ifdef _WIN32
    return name + ".exe";
#else
    return name;
#endif
}

std::string FindHelperProgram(const std::string& exeDir, const std::string& dataDir,
                              const std::string& name) {
    const std::string beside = JoinPath(exeDir, ProgramFileName(name));
    std::error_code ec;
    if (fs::is_regular_file(beside, ec))
        return beside;
    return JoinPath(dataDir, ProgramFileName(name));
}

std::string RunningExecutableDir(const char* argv0) {
    std::error_code ec;
#ifdef __linux__
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self.parent_path().string();
#endif
    const fs::path given = fs::absolute(argv0 ? argv0 : "", ec);
    return ec ? std::string(".") : given.parent_path().string();
}

} // namespace gw
