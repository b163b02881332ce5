#include "bridge/bridge_xml.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "xml/xml_document.h"

#include <exception>
#include <filesystem>

namespace gw {

std::string RequiredAttribute(pugi::xml_node node, const char* name) {
    std::optional<std::string> value = AttributeText(node, name);
    if (!value)
        throw ConversionError(std::string("the attribute '") + name + "' is missing");
    return *value;
}

BridgeLoad ReadEntries(const std::string& path, const std::function<void(pugi::xml_node)>& entry) {
    BridgeLoad result;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return result;
    result.fileFound = true;
    int number = 0;
    try {
        const XmlDocument doc = XmlDocument::LoadFile(path);
        for (pugi::xml_node n = doc.Root().first_child(); n; n = n.next_sibling()) {
            ++number;
            entry(n);
        }
    } catch (const std::exception& e) {
        result.error = number > 0 ? EntryErrorText(number, e.what()) : std::string(e.what());
        result.errorEntry = number;
    }
    return result;
}

void SaveDocumentText(const std::string& path, const std::string& text) {
    WriteFileAtomic(path, text);
}

} // namespace gw
