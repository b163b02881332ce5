#include "common/errors.h"
#include "common/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace gw;
using gwtest::ReadFile;
using gwtest::TempDir;

namespace {

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

TEST(WriteFileAtomic, ReplacesAndLeavesNoTemporary) {
    TempDir dir;
    const std::string f = dir / "doc.xml";
    WriteFileAtomic(f, "first");
    WriteFileAtomic(f, "second, longer");
    EXPECT_EQ(ReadFile(f), "second, longer");
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(WriteFileAtomic, FailedWriteKeepsThePreviousFile) {
    TempDir dir;
    const std::string f = dir / "doc.xml";
    WriteFileAtomic(f, "good");
    // The folder refuses new files: the write fails and the good file stays.
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    if (RunningAsRoot()) {
        // Root ignores permissions; a missing folder fails for everyone.
        EXPECT_THROW(WriteFileAtomic(dir / "gone/doc.xml", "x"), FileError);
    } else {
        EXPECT_THROW(WriteFileAtomic(f, "bad"), FileError);
    }
    EXPECT_EQ(ReadFile(f), "good");
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
