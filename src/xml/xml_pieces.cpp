#include "xml/xml_pieces.h"

#include "xml/xml_document.h"

#include <cstring>
#include <string>

namespace gw {

namespace {

constexpr auto npos = std::string_view::npos;

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A name may start with a letter, "_", ":" or any character beyond ASCII.
bool IsNameStartByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == ':' || u >= 0x80;
}

// A scan over markup that only finds where things are: pugixml judges them.
class Scan {
public:
    explicit Scan(std::string_view text) : t_(text) {}

    // The name of the tag whose "<" (or "</") is at `at`, up to a blank, "/" or ">".
    std::string_view NameAt(std::size_t at) const {
        std::size_t end = at;
        while (end < t_.size() && !IsXmlSpace(t_[end]) && t_[end] != '/' && t_[end] != '>')
            ++end;
        return t_.substr(at, end - at);
    }

    // Past the start tag at `at` (its "<"); npos when it does not end.
    // `empty` tells a tag ended by "/>".
    std::size_t SkipTag(std::size_t at, bool& empty) const {
        for (std::size_t i = at + 1; i < t_.size(); ++i) {
            const char c = t_[i];
            if (c == '"' || c == '\'') {
                i = t_.find(c, i + 1);
                if (i == npos)
                    return npos;
            } else if (c == '<') {
                return npos;
            } else if (c == '>') {
                empty = t_[i - 1] == '/';
                return i + 1;
            }
        }
        return npos;
    }

    std::size_t Past(std::size_t from, std::string_view end) const {
        const std::size_t at = t_.find(end, from);
        return at == npos ? at : at + end.size();
    }

    // One markup item at `pos` (its "<") inside an element, at `depth` below
    // it: moves `pos` past it and the depth with it. Kind of what was found.
    enum class Item { Other, Start, End, Refused };
    Item Next(std::size_t& pos, int& depth, std::size_t& nameAt) const {
        const std::string_view rest = t_.substr(pos);
        if (rest.starts_with("<!--")) {
            pos = Past(pos + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            pos = Past(pos + 9, "]]>");
        } else if (rest.starts_with("<!")) {
            return Item::Refused; // a doctype is nobody's child
        } else if (rest.starts_with("<?")) {
            // A declaration stands only at the start of a document.
            if (rest.size() >= 6 && (rest[2] | 0x20) == 'x' && (rest[3] | 0x20) == 'm' &&
                (rest[4] | 0x20) == 'l' && (IsXmlSpace(rest[5]) || rest[5] == '?'))
                return Item::Refused;
            pos = Past(pos + 2, "?>");
        } else if (rest.starts_with("</")) {
            nameAt = pos + 2;
            const std::size_t close = t_.find('>', pos + 2);
            if (close == npos)
                return Item::Refused;
            pos = close + 1;
            --depth;
            return Item::End;
        } else {
            if (rest.size() < 2 || !IsNameStartByte(rest[1]))
                return Item::Refused;
            nameAt = pos + 1;
            bool empty = false;
            pos = SkipTag(pos, empty);
            if (pos == npos)
                return Item::Refused;
            if (!empty)
                ++depth;
            return Item::Start;
        }
        return pos == npos ? Item::Refused : Item::Other;
    }

    std::string_view EndName(std::size_t nameAt, std::size_t pos) const {
        std::string_view name = t_.substr(nameAt, pos - 1 - nameAt);
        while (!name.empty() && IsXmlSpace(name.back()))
            name.remove_suffix(1);
        return name;
    }

private:
    std::string_view t_;
};

} // namespace

std::optional<ChildPieces> FindChildPieces(std::string_view text, const char* list,
                                           std::size_t pieceBytes) {
    // The whole reading ends at a NUL byte, where a piece would go on.
    if (text.find('\0') != npos)
        return std::nullopt;
    const Scan scan(text);
    std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < text.size() && IsXmlSpace(text[pos]))
        ++pos;
    if (pos + 1 >= text.size() || text[pos] != '<' || !IsNameStartByte(text[pos + 1]))
        return std::nullopt;
    ChildPieces pieces;
    pieces.nameAt = pos + 1;
    std::string_view container = scan.NameAt(pos + 1);
    bool empty = false;
    pos = scan.SkipTag(pos, empty);
    if (pos == npos || empty)
        return std::nullopt;

    int depth = 0;
    std::size_t nameAt = 0;
    if (list) { // the root's first child element of that name
        for (;;) {
            pos = text.find('<', pos);
            if (pos == npos)
                return std::nullopt;
            const int before = depth;
            const Scan::Item item = scan.Next(pos, depth, nameAt);
            if (item == Scan::Item::Refused || depth < 0)
                return std::nullopt; // no such child: nothing worth pieces
            if (item == Scan::Item::Start && before == 0 && scan.NameAt(nameAt) == list) {
                if (depth == 0)
                    return std::nullopt; // an empty list
                pieces.nameAt = nameAt;
                container = list;
                depth = 0;
                break;
            }
        }
    }

    pieces.cuts.push_back(pos);
    std::size_t markupEnd = pos; // past the last markup child
    for (;;) {
        pos = text.find('<', pos);
        if (pos == npos)
            return std::nullopt;
        const std::size_t at = pos;
        const Scan::Item item = scan.Next(pos, depth, nameAt);
        if (item == Scan::Item::Refused)
            return std::nullopt;
        if (depth < 0) { // the container's end tag
            if (scan.EndName(nameAt, pos) != container)
                return std::nullopt;
            if (at > markupEnd) { // text after the last markup child
                pieces.textFrom = markupEnd;
                if (markupEnd > pieces.cuts.back())
                    pieces.cuts.push_back(markupEnd);
            }
            if (at > pieces.cuts.back())
                pieces.cuts.push_back(at);
            // pugixml skips an order mark at the start of what it parses.
            for (const std::size_t cut : pieces.cuts)
                if (text.substr(cut).starts_with("\xEF\xBB\xBF"))
                    return std::nullopt;
            return pieces;
        }
        if (depth == 0) {
            ++pieces.markupChildren;
            markupEnd = pos;
            if (pos - pieces.cuts.back() >= pieceBytes)
                pieces.cuts.push_back(pos);
        }
    }
}

bool OutsideChildrenAgrees(std::string_view text, const ChildPieces& pieces, const char* list) {
    const std::size_t begin = pieces.cuts.front();
    const std::size_t end = pieces.cuts.back();
    std::string outside;
    outside.reserve(text.size() - (end - begin));
    outside.append(text.substr(0, begin));
    outside.append(text.substr(end));
    pugi::xml_document doc;
    const pugi::xml_parse_result r = doc.load_buffer_inplace(outside.data(), outside.size(),
                                                             kXmlParseOptions, pugi::encoding_auto);
    if (!r || r.encoding != pugi::encoding_utf8)
        return false;
    const pugi::xml_node root = doc.first_child();
    if (root.type() != pugi::node_element)
        return false;
    const pugi::xml_node container = list ? root.child(list) : root;
    return container && !container.first_child() &&
           container.offset_debug() == static_cast<std::ptrdiff_t>(pieces.nameAt);
}

bool ReadChildrenInPieces(char* text, std::size_t size, const char* list, std::size_t pieceBytes,
                          const std::function<void(std::size_t markupChildren)>& expect,
                          const std::function<void(pugi::xml_node piece)>& piece) {
    const std::optional<ChildPieces> pieces =
        FindChildPieces(std::string_view(text, size), list, pieceBytes);
    if (!pieces || !OutsideChildrenAgrees(std::string_view(text, size), *pieces, list))
        return false;
    if (expect)
        expect(pieces->markupChildren);
    pugi::xml_document doc;
    constexpr unsigned kOptions = kXmlParseOptions | pugi::parse_fragment;
    for (std::size_t i = 0; i + 1 < pieces->cuts.size(); ++i) {
        char* const begin = text + pieces->cuts[i];
        const std::size_t length = pieces->cuts[i + 1] - pieces->cuts[i];
        // In place, pugixml takes the last byte for its end mark: right for a
        // piece that ends in markup, a loss for one of text.
        const bool inPlace = pieces->cuts[i] != pieces->textFrom;
        const pugi::xml_parse_result r =
            inPlace ? doc.load_buffer_inplace(begin, length, kOptions, pugi::encoding_utf8)
                    : doc.load_buffer(begin, length, kOptions, pugi::encoding_utf8);
        if (!r)
            return false;
        piece(doc);
    }
    return true;
}

} // namespace gw
