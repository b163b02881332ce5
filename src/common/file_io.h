#pragma once
// File and folder operations shared by every document and output.
#include <cstddef>
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

// Replaces `path` with `bytes` through a temporary file in the same folder, so a
// failed write never leaves a half-written file where a good one stood. A
// symbolic link is written through to its target; the replaced file keeps its
// permission bits (a new one gets 0644). A read-only target is refused. Throws
// FileError naming the file and the reason; the old file is then untouched.
void WriteFileAtomic(const std::string& path, std::string_view bytes,
                     const FileWriteCalls& calls = SystemFileWriteCalls());

// Reads a whole file; throws FileError naming the file and the reason.
std::string ReadWholeFile(const std::string& path);

// The same into a buffer of its own, for readers that parse in place.
std::unique_ptr<char[]> ReadWholeFileBuffer(const std::string& path, std::size_t& size);

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
