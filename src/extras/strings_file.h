#pragma once
// The strings file of the string picker: the document element's child nodes,
// in order, are the strings 0, 1, 2, ... (element names are not examined).
#include <string>
#include <vector>

namespace gw {

// Throws XmlError or FileError when the file cannot be read.
std::vector<std::string> ReadStringsFile(const std::string& path);

} // namespace gw
