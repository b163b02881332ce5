#include "common/ini_file.h"

#include "common/file_io.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>

namespace gw {

namespace {

std::string Trim(const std::string& s) {
    auto b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    auto e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<std::string> SectionName(const std::string& line) {
    std::string t = Trim(line);
    if (t.size() >= 2 && t.front() == '[' && t.back() == ']')
        return Trim(t.substr(1, t.size() - 2));
    return std::nullopt;
}

// The key of a "key=value" line, if it is one.
std::optional<std::string> KeyName(const std::string& line) {
    auto eq = line.find('=');
    if (eq == std::string::npos || SectionName(line))
        return std::nullopt;
    return Trim(line.substr(0, eq));
}

} // namespace

IniFile IniFile::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream s;
    s << in.rdbuf();
    return Parse(s.str());
}

IniFile IniFile::Parse(const std::string& text) {
    IniFile ini;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            ini.lines_.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        ini.lines_.push_back(line);
    return ini;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& fallback) const {
    bool inSection = false;
    for (const auto& line : lines_) {
        if (auto s = SectionName(line)) {
            inSection = SameName(*s, section);
            continue;
        }
        if (!inSection)
            continue;
        if (auto k = KeyName(line); k && SameName(*k, key))
            return line.substr(line.find('=') + 1);
    }
    return fallback;
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
    const std::string entry = key + "=" + value;
    std::optional<std::size_t> sectionLine;
    std::size_t insertAt = lines_.size();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (auto s = SectionName(lines_[i])) {
            if (sectionLine)
                break;
            if (SameName(*s, section)) {
                sectionLine = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!sectionLine)
            continue;
        if (auto k = KeyName(lines_[i]); k && SameName(*k, key)) {
            lines_[i] = entry;
            return;
        }
        if (!Trim(lines_[i]).empty())
            insertAt = i + 1;
    }
    if (!sectionLine) {
        lines_.push_back("[" + section + "]");
        lines_.push_back(entry);
        return;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
}

std::string IniFile::Text() const {
    std::string out;
    for (const auto& line : lines_)
        out += line + "\r\n";
    return out;
}

void IniFile::Save(const std::string& path) const {
    WriteFileAtomic(path, Text());
}

} // namespace gw
