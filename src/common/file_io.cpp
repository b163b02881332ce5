#include "common/file_io.h"

#include "common/errors.h"
#include "common/replacement_temp.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
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

[[noreturn]] void ThrowReadError(const std::string& path, int err) {
    throw FileError("Cannot open file '" + path + "': " + std::strerror(err));
}

// The file a write to `path` must replace: links followed to their end, so the
// link stays a link. A chain that never ends is the system's ELOOP.
fs::path WriteTarget(const std::string& path) {
    fs::path p(path);
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)))
            return p;
        fs::path next = fs::read_symlink(p, ec);
        if (ec)
            ThrowWriteError(path, ec.value());
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    ThrowWriteError(path, ELOOP);
}

// Large enough that a line-by-line writer of a big file makes few system
// calls; the buffer grows to it only as pieces come.
constexpr std::size_t kWriteBufferSize = 1 << 20;
// Pieces this big are not worth copying into the buffer first.
constexpr std::size_t kDirectWriteSize = 1 << 16;

} // namespace

const FileWriteCalls& SystemFileWriteCalls() {
    static const FileWriteCalls calls{::write, ::fsync, ::close, ::rename};
    return calls;
}

AtomicFileWriter::AtomicFileWriter(const std::string& path, const FileWriteCalls& calls)
    : path_(path), calls_(calls) {
    const fs::path target = WriteTarget(path);
    target_ = target.string();
    struct stat old {};
    const bool replacing = ::stat(target_.c_str(), &old) == 0;
    if (replacing && S_ISREG(old.st_mode) && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw FileError("Cannot write file '" + path + "': the file is read-only");
    if (replacing && S_ISDIR(old.st_mode))
        ThrowWriteError(path, EISDIR);

    // Beside the target, locked while written; what killed saves left goes first.
    fd_ = CreateReplacementTemp(target_, temp_);
    if (fd_ < 0)
        ThrowWriteError(path_, errno);
    // mkstemp creates 0600: keep the bits (and, where allowed, the owner) of
    // the file replaced; a new document is as readable as any other file.
    ::fchmod(fd_, replacing ? (old.st_mode & 07777) : 0644);
    if (replacing && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        if (::fchown(fd_, old.st_uid, old.st_gid) != 0) {
            // Only root may give a file away; anyone else keeps it as their own.
        }
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
    }
}

void AtomicFileWriter::Fail(int err) {
    calls_.close(fd_);
    ::unlink(temp_.c_str());
    fd_ = -1;
    ThrowWriteError(path_, err);
}

void AtomicFileWriter::WriteAll(const char* p, std::size_t left) {
    while (left > 0) {
        const ssize_t n = calls_.write(fd_, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            Fail(n < 0 ? errno : ENOSPC);
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

void AtomicFileWriter::Flush() {
    WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
}

void AtomicFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0)
        ThrowWriteError(path_, EBADF);
    if (bytes.size() >= kDirectWriteSize) {
        Flush();
        WriteAll(bytes.data(), bytes.size()); // a big piece goes out as it is
        return;
    }
    if (buffer_.size() + bytes.size() > kWriteBufferSize)
        Flush();
    buffer_.append(bytes);
}

void AtomicFileWriter::Commit(bool durable) {
    if (fd_ < 0)
        ThrowWriteError(path_, EBADF);
    Flush();
    if (durable && calls_.fsync(fd_) != 0)
        Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (calls_.close(fd) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        ThrowWriteError(path_, err);
    }
    if (calls_.rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp_.c_str());
        ThrowWriteError(path_, err);
    }
}

void WriteFileAtomic(const std::string& path, std::string_view bytes, const FileWriteCalls& calls) {
    AtomicFileWriter writer(path, calls);
    writer.Write(bytes);
    writer.Commit();
}

namespace {

// A buffer the read loop fills: a string (zeroed when it grows) or raw bytes
// nobody needs zeroed first.
struct StringBuffer {
    std::string& text;
    char* Data() { return text.data(); }
    void Resize(std::size_t size) { text.resize(size); }
};

struct RawBuffer {
    FileBytes& bytes;
    std::size_t capacity = 0;
    char* Data() { return bytes.data.get(); }
    void Resize(std::size_t size) {
        if (size > capacity) {
            auto bigger = std::make_unique_for_overwrite<char[]>(size);
            if (bytes.size != 0)
                std::memcpy(bigger.get(), bytes.data.get(), bytes.size);
            bytes.data = std::move(bigger);
            capacity = size;
        }
        bytes.size = size;
    }
};

// Reads the file into `buffer`, sized once from the file's length (a large
// document must not be copied several times): one byte more than the file, so
// the read that finds its end needs no room. A file that grows while it is
// read, or one that is no regular file, is read to its end.
template <class Buffer>
void ReadFileInto(const std::string& path, Buffer buffer, const ReadProgress* progress) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        ThrowReadError(path, errno);
    // The progress may end the reading with an exception of its own.
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (S_ISDIR(st.st_mode))
        err = EISDIR;
    if (err != 0)
        ThrowReadError(path, err);
    const auto expected = static_cast<std::uint64_t>(st.st_size);
    // With progress to tell, a big file is read in pieces.
    constexpr std::size_t kPiece = std::size_t(4) << 20;
    std::size_t size = 0;
    std::size_t room = static_cast<std::size_t>(st.st_size) + 1;
    buffer.Resize(room);
    for (;;) {
        // Only a file that grew while it was read needs more room.
        if (size == room) {
            room *= 2;
            buffer.Resize(room);
        }
        std::size_t want = room - size;
        if (progress)
            want = std::min(want, kPiece);
        const ssize_t n = ::read(fd, buffer.Data() + size, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ThrowReadError(path, errno);
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
        if (progress && *progress)
            (*progress)(size, std::max<std::uint64_t>(expected, size));
    }
    buffer.Resize(size);
}

} // namespace

std::string ReadWholeFile(const std::string& path) {
    std::string text;
    ReadFileInto(path, StringBuffer{text}, nullptr);
    return text;
}

std::string ReadWholeFile(const std::string& path, const ReadProgress& progress) {
    std::string text;
    ReadFileInto(path, StringBuffer{text}, &progress);
    return text;
}

FileBytes ReadFileBytes(const std::string& path) {
    FileBytes bytes;
    ReadFileInto(path, RawBuffer{bytes}, nullptr);
    return bytes;
}

PathKind KindOfPath(const std::string& path) {
    if (path.empty())
        return PathKind::Missing;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return PathKind::Missing;
    if (::stat(path.c_str(), &st) != 0)
        return PathKind::Other; // a link to nothing
    return S_ISREG(st.st_mode) ? PathKind::RegularFile : PathKind::Other;
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
