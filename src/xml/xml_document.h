#pragma once
// Access to the project's XML documents. Every reader takes the first top-level
// node as the root (a declaration or a comment counts as a node, so a document
// that starts with one has a root without the expected children). Documents are
// saved raw: no declaration, no indentation, UTF-8, attribute order kept.
#include "common/errors.h"
#include "common/file_io.h"

#include <pugixml.hpp>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace gw {

// How every document is parsed: declarations, comments, processing
// instructions and doctypes are nodes.
inline constexpr unsigned kXmlParseOptions = pugi::parse_default | pugi::parse_declaration |
                                             pugi::parse_comments | pugi::parse_pi |
                                             pugi::parse_doctype;

class XmlDocument {
public:
    XmlDocument() = default;
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;
    XmlDocument(XmlDocument&&) = default;
    XmlDocument& operator=(XmlDocument&&) = default;

    // Parses the whole file; throws XmlError (not well-formed) or FileError.
    static XmlDocument LoadFile(const std::string& path);
    // The same for the file's bytes, already read from `path`.
    static XmlDocument LoadBytes(FileBytes bytes, const std::string& path);
    static XmlDocument LoadText(const std::string& text);

    // The first top-level node, whatever its kind; empty for an empty document.
    pugi::xml_node Root() const { return doc_.first_child(); }

    // Starts a new document whose root is an element of that name.
    pugi::xml_node ResetWithRoot(const char* rootName);
    void RemoveAll() { doc_.reset(); }

    pugi::xml_document& Doc() { return doc_; }
    const pugi::xml_document& Doc() const { return doc_; }

    std::string Text() const;
    // Replaces the file atomically; throws FileError.
    void SaveFile(const std::string& path) const;

private:
    pugi::xml_document doc_;
    // The file's text, parsed in place: the document's strings point into it.
    FileBytes text_;
};

// Appends what pugixml saves to a string, without a stream in between.
class StringXmlWriter : public pugi::xml_writer {
public:
    explicit StringXmlWriter(std::string& out) : out_(out) {}
    void write(const void* data, std::size_t size) override {
        out_.append(static_cast<const char*>(data), size);
    }

private:
    std::string& out_;
};

// The text of a named child element, if the element is there.
std::optional<std::string> ChildText(pugi::xml_node parent, const char* name);

// An attribute's value, if the attribute is there.
std::optional<std::string> AttributeText(pugi::xml_node node, const char* name);

} // namespace gw
