#include "xml/xml_document.h"

#include "common/errors.h"
#include "common/file_io.h"

namespace gw {

namespace {

constexpr unsigned kParseOptions = kXmlParseOptions;

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

[[noreturn]] void ThrowParseError(const pugi::xml_parse_result& r, const std::string& text,
                                  const std::string& where) {
    long line = 0;
    long column = 0;
    Position(text, r.offset, line, column);
    std::string msg = std::string(r.description()) + " (line " + std::to_string(line) +
                      ", column " + std::to_string(column) + ")";
    if (!where.empty())
        msg += " in '" + where + "'";
    throw XmlError(msg, line, column);
}

} // namespace

XmlDocument XmlDocument::LoadFile(const std::string& path) {
    return LoadBytes(ReadFileBytes(path), path);
}

XmlDocument XmlDocument::LoadBytes(FileBytes bytes, const std::string& path) {
    XmlDocument d;
    d.text_ = std::move(bytes);
    // Parsed where it was read: no copy of a file that may be megabytes long.
    const pugi::xml_parse_result r = d.doc_.load_buffer_inplace(d.text_.data.get(), d.text_.size,
                                                                kParseOptions, pugi::encoding_auto);
    if (!r) // the parse changed the buffer; the position is found in the file's text
        ThrowParseError(r, ReadWholeFile(path), path);
    return d;
}

XmlDocument XmlDocument::LoadText(const std::string& text) {
    XmlDocument d;
    const pugi::xml_parse_result r =
        d.doc_.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_auto);
    if (!r)
        ThrowParseError(r, text, {});
    return d;
}

pugi::xml_node XmlDocument::ResetWithRoot(const char* rootName) {
    doc_.reset();
    return doc_.append_child(rootName);
}

std::string XmlDocument::Text() const {
    std::string text;
    StringXmlWriter out(text);
    doc_.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return text;
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
