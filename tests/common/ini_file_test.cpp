#include "common/ini_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

using namespace gw;

namespace {

TEST(IniFile, ReadsRawValues) {
    IniFile ini = IniFile::Parse("[other]\r\nprojectname=x\r\n[LastProj]\r\nProjectName=\\Pump "
                                 "\"q\"\r\n");
    // Section and key compare without case; the value is raw, blanks and quotes kept.
    EXPECT_EQ(ini.ReadString("lastproj", "projectname"), "\\Pump \"q\"");
    EXPECT_EQ(ini.ReadString("lastproj", "missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadString("nosection", "projectname"), "");
}

TEST(IniFile, WritingOneKeyKeepsTheRest) {
    IniFile ini =
        IniFile::Parse("; note\n[a]\nk=1\n\n[lastproj]\nprojectname=old\nz=9\n[b]\nk=2\n");
    ini.WriteString("lastproj", "projectname", "/Pump");
    EXPECT_EQ(ini.Text(), "; note\r\n[a]\r\nk=1\r\n\r\n[lastproj]\r\nprojectname=/Pump\r\nz=9\r\n"
                          "[b]\r\nk=2\r\n");
}

TEST(IniFile, AddsMissingKeyAndSection) {
    IniFile ini = IniFile::Parse("[lastproj]\nother=1\n\n[b]\nk=2\n");
    ini.WriteString("lastproj", "projectname", "");
    ini.WriteString("new", "key", "v");
    EXPECT_EQ(ini.Text(),
              "[lastproj]\r\nother=1\r\nprojectname=\r\n\r\n[b]\r\nk=2\r\n[new]\r\nkey=v\r\n");
}

TEST(IniFile, GarbageReadsAsEmpty) {
    std::string junk("\x00\xff\xfe[[=\n=\n\x01\x02", 11);
    IniFile ini = IniFile::Parse(junk);
    EXPECT_EQ(ini.ReadString("lastproj", "projectname"), "");
    gwtest::TempDir dir;
    EXPECT_EQ(IniFile::Load(dir / "absent.ini").ReadString("lastproj", "projectname"), "");
}

} // namespace
