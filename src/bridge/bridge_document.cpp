#include "bridge/bridge_document.h"

#include "common/errors.h"
#include "common/parse_int.h"
#include "xml/xml_document.h"

#include <exception>
#include <filesystem>

namespace gw {

DocumentLoad ReadDocumentRows(const std::string& path,
                              const std::function<void(pugi::xml_node)>& readRow) {
    DocumentLoad load;
    std::error_code ec;
    // A folder or a dangling link where the document should be is a fault, not
    // a project without the document.
    if (path.empty() || !std::filesystem::exists(std::filesystem::symlink_status(path, ec)))
        return load;
    try {
        const XmlDocument doc = XmlDocument::LoadFile(path);
        for (pugi::xml_node row = doc.Root().first_child(); row; row = row.next_sibling()) {
            ++load.rows;
            try {
                readRow(row);
            } catch (const std::exception& e) {
                load.state = LoadState::Failed;
                load.reason = "row " + std::to_string(load.rows) + ": " + e.what();
                return load;
            }
        }
        load.state = LoadState::Loaded;
    } catch (const std::exception& e) {
        load.state = LoadState::Failed;
        load.reason = e.what();
    }
    return load;
}

std::string RequiredAttribute(pugi::xml_node row, const char* name) {
    std::optional<std::string> value = AttributeText(row, name);
    if (!value)
        throw ConversionError(std::string("the attribute '") + name + "' is missing");
    return *value;
}

int RequiredIntAttribute(pugi::xml_node row, const char* name) {
    const std::string text = RequiredAttribute(row, name);
    if (std::optional<std::int32_t> v = TryParseIntText(text))
        return *v;
    throw ConversionError(std::string("the attribute '") + name +
                          "': " + NotAnIntegerMessage(text));
}

const std::string& RecordField(const std::vector<std::string>& fields, std::size_t n) {
    if (n >= fields.size())
        throw ConversionError("the record has " + std::to_string(fields.size()) +
                              " fields; field " + std::to_string(n + 1) + " is missing");
    return fields[n];
}

} // namespace gw
