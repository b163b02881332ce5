#include "common/file_io.h"

#include "common/errors.h"
#include "common/replacement_temp.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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

// Large enough that a line-by-line writer of a big file makes few system
// calls; the buffer grows to it only as pieces come.
constexpr std::size_t kWriteBufferSize = 1 << 20;
// Pieces this big are not worth copying into the buffer first.
constexpr std::size_t kDirectWriteSize = 1 << 16;

} // namespace

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    fd_ = CreateReplacementTemp(path_, temp_);
    if (fd_ < 0)
        ThrowWriteError(path_, errno);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temp_.c_str());
    }
}

void AtomicFileWriter::Fail(int err) {
    ::close(fd_);
    ::unlink(temp_.c_str());
    fd_ = -1;
    ThrowWriteError(path_, err);
}

void AtomicFileWriter::WriteAll(const char* p, std::size_t left) {
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
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
    // mkstemp creates 0600; documents should be as readable as any other file.
    ::fchmod(fd_, 0644);
    if (durable && ::fsync(fd_) != 0)
        Fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(temp_.c_str());
        ThrowWriteError(path_, err);
    }
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        int err = errno;
        ::unlink(temp_.c_str());
        ThrowWriteError(path_, err);
    }
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    writer.Write(bytes);
    writer.Commit();
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError("Cannot open file '" + path + "': " + std::strerror(errno));
    // Read straight into the result, sized once when the length is known
    // (a large document would otherwise be copied several times); anything
    // that is no regular file is read to its end as it comes.
    std::string text;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0) {
        text.resize(static_cast<std::size_t>(size));
        in.read(text.data(), size);
        text.resize(static_cast<std::size_t>(in.gcount()));
    }
    in.clear();
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        throw FileError("Cannot read file '" + path + "'");
    return text;
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
