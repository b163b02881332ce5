#pragma once
// A Windows-style INI file: "[section]" lines, then "key=value" lines.
// Values are kept raw (no quoting or escaping), and writing one key keeps every
// other line of the file as it was.
#include <string>
#include <vector>

namespace gw {

class IniFile {
public:
    // A missing or unreadable file reads as empty.
    static IniFile Load(const std::string& path);
    static IniFile Parse(const std::string& text);

    // Section and key names compare without regard to case, as on Windows.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback = {}) const;
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    std::string Text() const;
    // Replaces the file atomically; throws FileError.
    void Save(const std::string& path) const;

private:
    std::vector<std::string> lines_;
};

} // namespace gw
