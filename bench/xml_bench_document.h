#pragma once
// The large document of the XML benchmarks: about 10 MB, 100 000 elements
// (the root and its rows) and 700 000 attributes, written once to a temporary
// folder that lives for the whole run.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace gwbench {

inline constexpr int kRows = 99999;

inline std::string LargeXmlText() {
    std::string s;
    s.reserve(11 << 20);
    s += "<rows a1=\"0\" a2=\"1\" a3=\"2\" a4=\"3\" a5=\"4\" a6=\"5\" a7=\"6\">\n";
    char row[256];
    for (int i = 0; i < kRows; ++i) {
        std::snprintf(row, sizeof row,
                      "<row cobid=\"0x%03X\" id_dev_orig=\"%d\" en_bypass=\"%d\" posind=\"%d\" "
                      "n_tpdo=\"%d\" name=\"F%d &amp; B\" n=\"s%05d\"/>\n",
                      0x181 + i % 0x600, i % 127 + 1, i % 4, i % 8, i % 10, i, i);
        s += row;
    }
    s += "</rows>\n";
    return s;
}

class LargeXmlFile {
public:
    LargeXmlFile() {
        std::string pattern = (std::filesystem::temp_directory_path() / "gwxml.XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        dir_ = pattern;
        path_ = dir_ + "/large.xml";
        text_ = LargeXmlText();
        std::ofstream(path_, std::ios::binary) << text_;
    }
    ~LargeXmlFile() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    LargeXmlFile(const LargeXmlFile&) = delete;
    LargeXmlFile& operator=(const LargeXmlFile&) = delete;

    const std::string& Path() const { return path_; }
    const std::string& Text() const { return text_; }

private:
    std::string dir_;
    std::string path_;
    std::string text_;
};

} // namespace gwbench
