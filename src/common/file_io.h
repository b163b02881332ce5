#pragma once
// File and folder operations shared by every document and output.
#include <string>
#include <string_view>

namespace gw {

// Writes a file in pieces through a temporary file in the same folder; Commit
// renames it over the target. Destroyed without Commit, it removes the
// temporary file and the target stays as it was, so a failed write never
// leaves a half-written file where a good one stood. Errors throw FileError
// naming the target and the system's reason.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(std::string_view bytes);
    // `durable` syncs the data to the disk before the rename; a scratch file
    // that is deleted again soon need not pay for that.
    void Commit(bool durable = true);

private:
    void Flush();
    void WriteAll(const char* p, std::size_t size);
    [[noreturn]] void Fail(int err);

    std::string path_;
    std::string temp_;
    int fd_ = -1;
    std::string buffer_;
};

// Replaces `path` with `bytes` through a temporary file in the same folder, so a
// failed write never leaves a half-written file where a good one stood.
// Throws FileError naming the file and the system's reason.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// Reads a whole file; throws FileError naming the file and the reason.
std::string ReadWholeFile(const std::string& path);

bool FileExists(const std::string& path);

// True when `path` names an existing folder.
bool FolderExists(const std::string& path);

// Creates every missing folder along `path`; true when the folder exists
// afterwards. An empty path is an error ("Unable to create directory").
bool CreateFolderPath(const std::string& path);

// Creates one folder level; false when the system refuses, with its reason.
bool CreateOneFolder(const std::string& path, std::string* reason = nullptr);

// Joins a folder and a name with the platform separator.
std::string JoinPath(const std::string& folder, const std::string& name);

} // namespace gw
