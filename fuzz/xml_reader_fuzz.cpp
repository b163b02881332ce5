// The XML window's reader on any bytes: it must end with a tree or a reader
// error, both ways of calling it must agree, and a tree that Write accepts must
// read back as the same tree.
#include "extras/xml_reader.h"
#include "extras/xml_tree.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

namespace {

bool Same(const gw::TXMLNode& a, const gw::TXMLNode& b) {
    if (a.kind() != b.kind() || a.name() != b.name() || a.value() != b.value() ||
        a.children().size() != b.children().size())
        return false;
    for (std::size_t i = 0; i < a.children().size(); ++i)
        if (!Same(a.children()[i], b.children()[i]))
            return false;
    return true;
}

std::optional<gw::TXMLDocument> Parse(std::string_view text, bool throughBase) {
    try {
        gw::TXMLStringReader reader(text);
        if (throughBase)
            return gw::ParseXml(static_cast<gw::TXMLReader&>(reader));
        return gw::ParseXml(reader);
    } catch (const gw::XmlReaderError&) {
        return std::nullopt;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<gw::TXMLDocument> doc = Parse(text, false);
    const std::optional<gw::TXMLDocument> viaBase = Parse(text, true);
    if (doc.has_value() != viaBase.has_value() || (doc && !Same(*doc, *viaBase)))
        std::abort();
    if (!doc)
        return 0;

    std::ostringstream printed;
    gw::PrintXmlTree(*doc, printed);

    gw::XmlTree tree(std::move(*doc));
    tree.MakeAll();
    std::string written;
    try {
        written = gw::XmlTreeDocumentText(tree);
    } catch (const gw::XmlWriteError&) {
        return 0;
    }
    const std::optional<gw::TXMLDocument> again = Parse(written, false);
    if (!again || !Same(*viaBase, *again))
        std::abort();
    return 0;
}
