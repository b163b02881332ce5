// Golden cases: every folder under tests/data/output is one case, its project
// documents beside the outputs they must give. A new case is a new folder;
// the test finds it. expected.bin is the configuration image, expected.gsd
// the GSD file, expected_dump.txt the image as dump-bank shows it, and
// expected_check.txt what check prints ({dir} stands for the case's folder).
#include "cli/cli_commands.h"
#include "output/bank_dump.h"
#include "output/bank_image.h"
#include "output/gsd_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace gw {
namespace {

class Golden : public ::testing::TestWithParam<std::string> {
protected:
    std::string Folder() const { return gwtest::DataPath("output/" + GetParam()); }
    bool Has(const char* name) const { return std::filesystem::exists(Folder() + "/" + name); }
    std::string Expected(const char* name) const { return gwtest::ReadFile(Folder() + "/" + name); }
};

TEST_P(Golden, OutputsMatchTheExpectedFiles) {
    int compared = 0;
    if (Has("expected.bin")) {
        ++compared;
        EXPECT_EQ(BuildBankImage(Folder()).Bytes, Expected("expected.bin"));
    }
    if (Has("expected_dump.txt")) {
        ++compared;
        EXPECT_EQ(DescribeBankImage(Expected("expected.bin")), Expected("expected_dump.txt"));
    }
    if (Has("expected.gsd")) {
        ++compared;
        EXPECT_EQ(GsdText(ComputeGsdCounts(Folder())), Expected("expected.gsd"));
        gwtest::TempDir out;
        WriteGsdFile(Folder(), out / "device.gsd");
        EXPECT_EQ(gwtest::ReadFile(out / "device.gsd"), Expected("expected.gsd"));
    }
    if (Has("expected_check.txt")) {
        ++compared;
        std::ostringstream out, err;
        const int status = cli::Run({"check", Folder()}, out, err);
        std::string expected = Expected("expected_check.txt");
        for (std::size_t at; (at = expected.find("{dir}")) != std::string::npos;)
            expected.replace(at, 5, Folder());
        EXPECT_EQ(out.str() + err.str(), expected);
        EXPECT_EQ(status, err.str().empty() ? cli::kExitOk : cli::kExitInvalid);
    }
    EXPECT_GT(compared, 0) << "a case folder without an expected output";
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(gwtest::CaseFolders("output")),
                         [](const auto& info) { return info.param; });

} // namespace
} // namespace gw
