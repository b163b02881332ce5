// sw40931-cli xml-tree: the window's tree as text, the reader's errors as the
// error box shows them.
#include "cli/cli_commands.h"
#include "support/temp_dir.h"

#include <sstream>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome XmlTree(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    std::vector<std::string> all{"xml-tree"};
    all.insert(all.end(), args.begin(), args.end());
    const int status = gw::cli::Run(all, out, err);
    return {status, out.str(), err.str()};
}

TEST(XmlTreeCommand, PrintsTheTreeAsTheWindowShowsIt) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "plant.xml",
                      "<?xml version='1.0'?>\n<plant id=\"5\">\n  <pump on=\"\">x<!-- c -->y</pump>"
                      "<?pi go?>\n</plant>\n");
    const Outcome o = XmlTree({dir / "plant.xml"});
    EXPECT_EQ(o.status, gw::cli::kExitOk);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(o.out, "File: plant.xml\n"
                     "  XMLDeclaration\n"
                     "    version = 1.0\n"
                     "  plant\n"
                     "    id = 5\n"
                     "    pump = xy\n"
                     "      on\n"
                     "    piProcessingInstruction = go\n");
}

TEST(XmlTreeCommand, ErrorsAreTheErrorBoxTextsWithStatusOne) {
    gwtest::TempDir dir;
    gwtest::WriteFile(dir / "empty.xml", "");
    gwtest::WriteFile(dir / "bad.xml", "<a b=1/>");
    const struct {
        std::string file;
        std::string err;
    } cases[] = {
        {dir / "empty.xml", "Unexpected end of data\n"},
        {dir / "bad.xml", "Attribute \"b\" missing value\n"},
        {dir / "none.xml",
         "Cannot open file '" + dir / "none.xml" + "': No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const Outcome o = XmlTree({c.file});
        EXPECT_EQ(o.status, gw::cli::kExitInvalid) << c.file;
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err, c.err);
    }
}

TEST(XmlTreeCommand, UsageErrorsAndHelp) {
    EXPECT_EQ(XmlTree({}).status, gw::cli::kExitUsage);
    EXPECT_EQ(XmlTree({"a.xml", "b.xml"}).status, gw::cli::kExitUsage);
    const Outcome help = XmlTree({"--help"});
    EXPECT_EQ(help.status, gw::cli::kExitOk);
    EXPECT_NE(help.out.find("Usage: sw40931-cli xml-tree FILE"), std::string::npos);
}

} // namespace
