#include "common/errors.h"
#include "common/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

using namespace gw;
using gwtest::ReadFile;
using gwtest::TempDir;

namespace {

int Entries(const std::string& dir) {
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir))
        ++entries;
    return entries;
}

TEST(WriteFileAtomic, ReplacesAndLeavesNoTemporary) {
    TempDir dir;
    const std::string f = dir / "doc.xml";
    WriteFileAtomic(f, "first");
    WriteFileAtomic(f, "second, longer");
    EXPECT_EQ(ReadFile(f), "second, longer");
    EXPECT_EQ(Entries(dir.Path()), 1);
}

// Tests run as root, whom permissions do not stop: the failures come from
// system calls put in place of the real ones.
ssize_t FailWrite(int, const void*, std::size_t) {
    errno = ENOSPC;
    return -1;
}
ssize_t ShortThenFailWrite(int fd, const void* data, std::size_t size) {
    static bool first = true;
    first = !first;
    if (!first) // the first call writes a part, the next fails
        return ::write(fd, data, size / 2);
    errno = EIO;
    return -1;
}
int FailSync(int) {
    errno = EIO;
    return -1;
}
int FailClose(int fd) {
    ::close(fd);
    errno = EDQUOT;
    return -1;
}
int FailRename(const char*, const char*) {
    errno = EXDEV;
    return -1;
}

TEST(WriteFileAtomic, AnyFailingStepKeepsTheOldFileAndNamesFileAndReason) {
    const FileWriteCalls real = SystemFileWriteCalls();
    const struct {
        const char* what;
        FileWriteCalls calls;
        const char* reason;
    } cases[] = {
        {"write", {FailWrite, real.fsync, real.close, real.rename}, "No space left on device"},
        {"write after a part",
         {ShortThenFailWrite, real.fsync, real.close, real.rename},
         "Input/output error"},
        {"sync", {real.write, FailSync, real.close, real.rename}, "Input/output error"},
        {"close", {real.write, real.fsync, FailClose, real.rename}, "Disk quota exceeded"},
        {"rename", {real.write, real.fsync, real.close, FailRename}, "Invalid cross-device link"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string f = dir / "sdo.xml";
        WriteFileAtomic(f, "good");
        try {
            WriteFileAtomic(f, std::string(4096, 'x'), c.calls);
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot write file '" + f + "': " + c.reason);
        }
        EXPECT_EQ(ReadFile(f), "good");
        EXPECT_EQ(Entries(dir.Path()), 1) << "a temporary file is left";
    }
}

TEST(WriteFileAtomic, KeepsPermissionBitsAndANewFileIsReadable) {
    TempDir dir;
    const std::string f = dir / "pargen.xml";
    WriteFileAtomic(f, "new");
    EXPECT_EQ(std::filesystem::status(f).permissions(), static_cast<std::filesystem::perms>(0644));
    ::chmod(f.c_str(), 0640);
    WriteFileAtomic(f, "again");
    EXPECT_EQ(std::filesystem::status(f).permissions(), static_cast<std::filesystem::perms>(0640));
    EXPECT_EQ(ReadFile(f), "again");
}

TEST(WriteFileAtomic, WritesThroughASymbolicLinkToItsTarget) {
    TempDir dir;
    std::filesystem::create_directory(dir / "shared");
    WriteFileAtomic(dir / "shared/sdo.xml", "old");
    // A relative link, as a user makes it, and a link to that link.
    std::filesystem::create_symlink("shared/sdo.xml", dir / "sdo.xml");
    std::filesystem::create_symlink(dir / "sdo.xml", dir / "again.xml");
    WriteFileAtomic(dir / "again.xml", "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "sdo.xml"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "again.xml"));
    EXPECT_EQ(ReadFile(dir / "shared/sdo.xml"), "new");
    // A link to a file that is not there yet creates it.
    std::filesystem::create_symlink("shared/pdo.xml", dir / "pdo.xml");
    WriteFileAtomic(dir / "pdo.xml", "created");
    EXPECT_EQ(ReadFile(dir / "shared/pdo.xml"), "created");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "pdo.xml"));
}

TEST(WriteFileAtomic, AReadOnlyFileIsRefusedAndKept) {
    TempDir dir;
    const std::string f = dir / "bank.bin";
    WriteFileAtomic(f, "kept");
    ::chmod(f.c_str(), 0444);
    try {
        WriteFileAtomic(f, "replaced");
        FAIL() << "replaced";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write file '" + f + "': the file is read-only");
    }
    EXPECT_EQ(ReadFile(f), "kept");
    EXPECT_EQ(Entries(dir.Path()), 1);
}

TEST(WriteFileAtomic, ErrorNamesFileAndReason) {
    TempDir dir;
    try {
        WriteFileAtomic(dir / "missing/bank.bin", "x");
        FAIL();
    } catch (const FileError& e) {
        const std::string m = e.what();
        EXPECT_NE(m.find(dir / "missing/bank.bin"), std::string::npos) << m;
        EXPECT_NE(m.find("No such file or directory"), std::string::npos) << m;
    }
}

TEST(ReadWholeFile, ReadsEveryByteIntoOneBufferOfTheFilesSize) {
    TempDir dir;
    for (const std::size_t size : {0u, 1u, 4096u, (1u << 20) + 3}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 7 + 1);
        const std::string f = dir / ("f" + std::to_string(size));
        WriteFileAtomic(f, bytes);

        const std::string text = ReadWholeFile(f);
        EXPECT_EQ(text, bytes) << size;
        // Sized once from the file's length, never grown to twice the file.
        EXPECT_LE(text.capacity(), std::max<std::size_t>(size + 1, 15)) << size;

        const FileBytes raw = ReadFileBytes(f);
        ASSERT_EQ(raw.size, size);
        EXPECT_EQ(std::string_view(raw.data.get(), raw.size), bytes) << size;
    }
}

TEST(ReadWholeFile, AFileLongerThanItsStatedSizeIsReadToItsEnd) {
    // The system's own files state no size at all.
    const std::string text = ReadWholeFile("/proc/self/status");
    EXPECT_NE(text.find("Name:"), std::string::npos);
    EXPECT_NE(text.find("VmRSS:"), std::string::npos);
    const FileBytes raw = ReadFileBytes("/proc/self/status");
    EXPECT_NE(std::string_view(raw.data.get(), raw.size).find("VmRSS:"), std::string::npos);
}

TEST(Folders, CreateFolderPathMakesEveryLevel) {
    TempDir dir;
    EXPECT_TRUE(CreateFolderPath(dir / "a/b/c/"));
    EXPECT_TRUE(FolderExists(dir / "a/b/c"));
    EXPECT_TRUE(CreateFolderPath(dir / "a/b/c")); // already there
    EXPECT_THROW(CreateFolderPath(""), FileError);
    gwtest::WriteFile(dir / "file", "x");
    EXPECT_FALSE(CreateFolderPath(dir / "file/sub")); // a file stands in the way
    EXPECT_FALSE(FolderExists(dir / "file"));
    EXPECT_FALSE(FolderExists(""));
}

} // namespace
