#pragma once
// sw40931-cli xml-tree: an XML file's tree as the XML window shows it.
#include <iosfwd>
#include <string>

namespace gw::cli {

// Prints the tree of `file` to `out`; on a reader error prints the text the
// window's error box would show to `err` and returns kExitInvalid.
int PrintXmlTreeOfFile(const std::string& file, std::ostream& out, std::ostream& err);

} // namespace gw::cli
