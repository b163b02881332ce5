// The children of an element read a piece at a time on any bytes: when the
// piece reading accepts a document, the whole reading must accept it too and
// give the same children, their strings intact after their pieces are gone.
// The first byte picks the size of the pieces (its low six bits) and the
// element (its high two: the root, "L", "Receive_Frames", "Send_Frames"); the
// last byte's low bits how the pieces are cut and parsed.
#include "xml/xml_document.h"
#include "xml/xml_pieces.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Printed(pugi::xml_node n) {
    std::ostringstream out;
    n.print(out, "", pugi::format_raw);
    return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::size_t pieceBytes = 1 + (data[0] & 0x3F);
    static const char* const kLists[] = {nullptr, "L", "Receive_Frames", "Send_Frames"};
    const char* list = kLists[data[0] >> 6];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    // The cuts guessed, or scanned: the low bit of the last byte picks. The
    // second bit: in place, as the project reader parses, or from copies, as
    // the bridge documents are read.
    const gw::PieceCuts how =
        (data[size - 1] & 1) ? gw::PieceCuts::Scanned : gw::PieceCuts::Guessed;
    const bool inPlace = (data[size - 1] & 2) == 0;
    std::string buffer = text;
    std::vector<std::string> printed;
    std::vector<const char*> values;
    const auto take = [&](pugi::xml_node piece) {
        for (pugi::xml_node n : piece.children()) {
            printed.push_back(Printed(n));
            values.push_back(n.first_attribute().value());
        }
    };
    bool read = false;
    std::vector<std::string> copied; // a copy's values die with its piece
    if (inPlace) {
        read =
            gw::ReadChildrenInPieces(buffer.data(), buffer.size(), list, pieceBytes, how, {}, take);
    } else if (const auto pieces = gw::FindChildPieces(text, list, pieceBytes, how);
               pieces && gw::OutsideChildrenAgrees(text, *pieces, list)) {
        read = true;
        pugi::xml_document piece;
        for (std::size_t i = 0; read && i + 1 < pieces->cuts.size(); ++i) {
            read = gw::ParseChildPiece(piece, buffer.data(), *pieces, i, false);
            const std::size_t before = values.size();
            take(piece);
            for (std::size_t v = before; v < values.size(); ++v)
                copied.emplace_back(values[v]);
        }
        if (read && buffer != text)
            std::abort(); // a copy leaves the text as it was
        values.clear();
        for (const std::string& v : copied)
            values.push_back(v.c_str());
    }
    if (!read)
        return 0;

    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size(), gw::kXmlParseOptions))
        std::abort(); // the pieces took a document the whole reading refuses
    const pugi::xml_node root = doc.first_child();
    std::size_t i = 0;
    for (pugi::xml_node n : (list ? root.child(list) : root).children()) {
        if (i >= printed.size() || printed[i] != Printed(n) ||
            std::string(values[i]) != n.first_attribute().value())
            std::abort();
        ++i;
    }
    if (i != printed.size())
        std::abort();
    return 0;
}
