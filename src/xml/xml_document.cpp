#include "xml/xml_document.h"

#include "common/errors.h"
#include "common/file_io.h"

#include <sstream>

namespace gw {

namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration |
                                   pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;

// Line and column (from 1) of a byte offset, for the parser's message.
void Position(const std::string& text, std::ptrdiff_t offset, long& line, long& column) {
    line = 1;
    column = 1;
    for (std::ptrdiff_t i = 0; i < offset && i < static_cast<std::ptrdiff_t>(text.size()); ++i) {
        if (text[static_cast<std::size_t>(i)] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
}

XmlDocument Parse(const std::string& text, const std::string& where) {
    XmlDocument d;
    pugi::xml_parse_result r =
        d.Doc().load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_auto);
    if (!r) {
        long line = 0;
        long column = 0;
        Position(text, r.offset, line, column);
        std::ostringstream msg;
        msg << r.description() << " (line " << line << ", column " << column << ")";
        if (!where.empty())
            msg << " in '" << where << "'";
        throw XmlError(msg.str(), line, column);
    }
    return d;
}

} // namespace

XmlDocument XmlDocument::LoadFile(const std::string& path) {
    return Parse(ReadWholeFile(path), path);
}

XmlDocument XmlDocument::LoadText(const std::string& text) {
    return Parse(text, {});
}

pugi::xml_node XmlDocument::ResetWithRoot(const char* rootName) {
    doc_.reset();
    return doc_.append_child(rootName);
}

std::string XmlDocument::Text() const {
    std::ostringstream out;
    doc_.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

void XmlDocument::SaveFile(const std::string& path) const {
    WriteFileAtomic(path, Text());
}

std::optional<std::string> ChildText(pugi::xml_node parent, const char* name) {
    pugi::xml_node child = parent.child(name);
    if (!child)
        return std::nullopt;
    return std::string(child.text().get());
}

std::optional<std::string> AttributeText(pugi::xml_node node, const char* name) {
    pugi::xml_attribute a = node.attribute(name);
    if (!a)
        return std::nullopt;
    return std::string(a.value());
}

} // namespace gw
