#pragma once
// A fresh folder per test, removed afterwards.
#include <string>
#include <vector>

namespace gwtest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path of `name` inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// Path of a file under tests/data.
std::string DataPath(const std::string& relative);

// The golden cases under tests/data/`relative`: one folder per case, its input
// and its expected output side by side. The folder names, sorted.
std::vector<std::string> CaseFolders(const std::string& relative);

} // namespace gwtest
