#pragma once
// File and folder operations shared by every document and output.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace gw {

// The system calls a replace makes once its temporary file is open. Tests put
// failing ones in place to see what a full disk or a lost device does.
struct FileWriteCalls {
    ssize_t (*write)(int fd, const void* data, std::size_t size);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
};
const FileWriteCalls& SystemFileWriteCalls();

// Writes a file in pieces through a temporary file in the same folder; Commit
// renames it over the target. Destroyed without Commit, it removes the
// temporary file and the target stays as it was, so a failed write never
// leaves a half-written file where a good one stood. A symbolic link is written
// through to its target; the replaced file keeps its permission bits (a new
// one gets 0644). A read-only target is refused. Errors throw FileError naming
// the file and the reason; the old file is then untouched.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path,
                              const FileWriteCalls& calls = SystemFileWriteCalls());
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

    std::string path_;   // as the caller named it, for messages
    std::string target_; // the file replaced: links followed
    std::string temp_;
    int fd_ = -1;
    std::string buffer_;
    FileWriteCalls calls_;
};

// Replaces `path` with `bytes` at once, as AtomicFileWriter does.
void WriteFileAtomic(const std::string& path, std::string_view bytes,
                     const FileWriteCalls& calls = SystemFileWriteCalls());

// Reads a whole file; throws FileError naming the file and the reason.
std::string ReadWholeFile(const std::string& path);
// The same, telling after each piece read the bytes read so far and the
// file's size; an exception from `progress` ends the reading.
using ReadProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;
std::string ReadWholeFile(const std::string& path, const ReadProgress& progress);

// A whole file's bytes in a buffer that was never zeroed first: for a parser
// that works in place on a file that may be megabytes long.
struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};
FileBytes ReadFileBytes(const std::string& path);

// What is at a path: nothing (a missing file), a regular file (a link to one
// counts), or something no document can be read from (a folder, a device, a
// dangling link).
enum class PathKind { Missing, RegularFile, Other };
PathKind KindOfPath(const std::string& path);

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
