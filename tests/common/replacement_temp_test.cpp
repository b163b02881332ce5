// The temporary files of a replace: a save removes what killed saves of the
// same file left, and nothing else, not even the file of a save still at work.
#include "common/file_io.h"
#include "common/replacement_temp.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::set<std::string> Names(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

TEST(ReplacementTemp, ASaveRemovesOnlyAbandonedTempsOfItsOwnFile) {
    gwtest::TempDir dir;
    std::string working;
    const int fd = gw::CreateReplacementTemp(dir / "sdo.xml", working); // a save at work
    ASSERT_GE(fd, 0);
    const std::string workingName = fs::path(working).filename().string();
    for (const char* name : {".sdo.xml.a1B2c3", // abandoned: removed
                             ".sdo.xml.Zz9999", // abandoned: removed
                             ".sdo.xml.abc",    // not a temp name: kept
                             ".sdo.xml.abc-12", ".pdo.xml.a1B2c3", "sdo.xml.a1B2c3"})
        gwtest::WriteFile(dir / name, "x");
    fs::create_directory(dir / ".sdo.xml.folder"); // a folder of that shape: kept

    gw::WriteFileAtomic(dir / "sdo.xml", "<a/>");
    EXPECT_EQ(Names(dir.Path()),
              (std::set<std::string>{"sdo.xml", workingName, ".sdo.xml.abc", ".sdo.xml.abc-12",
                                     ".pdo.xml.a1B2c3", "sdo.xml.a1B2c3", ".sdo.xml.folder"}));
    EXPECT_EQ(gwtest::ReadFile(dir / "sdo.xml"), "<a/>");

    ::close(fd); // that save was killed: its lock went with it
    gw::WriteFileAtomic(dir / "sdo.xml", "<b/>");
    EXPECT_FALSE(fs::exists(working));
}

} // namespace
