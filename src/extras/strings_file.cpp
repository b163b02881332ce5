#include "extras/strings_file.h"

#include "xml/xml_document.h"

namespace gw {

std::vector<std::string> ReadStringsFile(const std::string& path) {
    XmlDocument doc = XmlDocument::LoadFile(path);
    std::vector<std::string> out;
    for (pugi::xml_node n : doc.Doc().document_element().children())
        out.emplace_back(n.text().get());
    return out;
}

} // namespace gw
