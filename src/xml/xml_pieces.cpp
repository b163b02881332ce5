#include "xml/xml_pieces.h"

#include "xml/xml_document.h"

#include <algorithm>
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

    // The next markup item from `pos` on inside an element, at `depth` below
    // it: moves `pos` past it and the depth with it. Kind of what was found;
    // Refused too when there is none.
    enum class Item { Other, Start, End, Refused };
    Item Next(std::size_t& pos, int& depth, std::size_t& nameAt) const {
        pos = t_.find('<', pos);
        if (pos == npos)
            return Item::Refused;
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

// Where the container's content starts, and its name.
struct Container {
    std::size_t nameAt = 0;
    std::string_view name;
    std::size_t begin = 0;
};

std::optional<Container> FindContainer(std::string_view text, const char* list) {
    // The whole reading ends at a NUL byte, where a piece would go on.
    if (text.find('\0') != npos)
        return std::nullopt;
    const Scan scan(text);
    std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < text.size() && IsXmlSpace(text[pos]))
        ++pos;
    if (pos + 1 >= text.size() || text[pos] != '<' || !IsNameStartByte(text[pos + 1]))
        return std::nullopt;
    Container c{pos + 1, scan.NameAt(pos + 1), 0};
    bool empty = false;
    pos = scan.SkipTag(pos, empty);
    if (pos == npos || empty)
        return std::nullopt;
    if (list) { // the root's first child element of that name
        int depth = 0;
        std::size_t nameAt = 0;
        for (;;) {
            const int before = depth;
            const Scan::Item item = scan.Next(pos, depth, nameAt);
            if (item == Scan::Item::Refused || depth < 0)
                return std::nullopt; // no such child: nothing worth pieces
            if (item == Scan::Item::Start && before == 0 && scan.NameAt(nameAt) == list) {
                if (depth == 0)
                    return std::nullopt; // an empty list
                c.nameAt = nameAt;
                c.name = list;
                break;
            }
        }
    }
    c.begin = pos;
    return c;
}

// The last cuts: text after the last markup child (from `textFrom`) is a
// piece of its own, then the end of the content.
ChildPieces Finished(ChildPieces pieces, std::size_t textFrom, std::size_t end) {
    if (textFrom < end) {
        if (textFrom > pieces.cuts.back())
            pieces.cuts.push_back(textFrom);
        pieces.textFrom = std::max(textFrom, pieces.cuts.back());
    }
    if (end > pieces.cuts.back())
        pieces.cuts.push_back(end);
    return pieces;
}

// Cuts found without reading the children: the container's end tag taken as
// its name's last end tag, and each cut right after a ">" that only blanks
// part from the next "<". Right between two children when that ">" ends one
// and the tag is the container's: the parse of the pieces and of the outside
// tells.
std::optional<ChildPieces> GuessedPieces(std::string_view text, const Container& c,
                                         std::size_t pieceBytes) {
    std::size_t end = text.size();
    for (;;) {
        end = end == 0 ? npos : text.rfind("</", end - 1);
        if (end == npos || end < c.begin)
            return std::nullopt;
        if (text.substr(end + 2).starts_with(c.name)) {
            std::size_t i = end + 2 + c.name.size();
            while (i < text.size() && IsXmlSpace(text[i]))
                ++i;
            if (i < text.size() && text[i] == '>')
                break;
        }
    }
    ChildPieces pieces;
    pieces.nameAt = c.nameAt;
    pieces.cuts.push_back(c.begin);
    for (std::size_t from = c.begin + pieceBytes; from < end;) {
        const std::size_t lt = text.find('<', from);
        if (lt == npos || lt >= end)
            break;
        std::size_t cut = lt;
        while (cut > pieces.cuts.back() && IsXmlSpace(text[cut - 1]))
            --cut;
        if (cut > pieces.cuts.back() && text[cut - 1] == '>') {
            pieces.cuts.push_back(cut);
            from = cut + pieceBytes;
        } else {
            from = lt + 1;
        }
    }
    const std::size_t gt = text.rfind('>', end - 1);
    return Finished(std::move(pieces), gt == npos ? c.begin : std::max(gt + 1, c.begin), end);
}

// Cuts found by a scan of the children's markup, depth by depth.
std::optional<ChildPieces> ScannedPieces(std::string_view text, const Container& c,
                                         std::size_t pieceBytes) {
    const Scan scan(text);
    ChildPieces pieces;
    pieces.nameAt = c.nameAt;
    pieces.cuts.push_back(c.begin);
    std::size_t pos = c.begin;
    std::size_t markupEnd = pos; // past the last markup child
    int depth = 0;
    std::size_t nameAt = 0;
    for (;;) {
        const Scan::Item item = scan.Next(pos, depth, nameAt);
        if (item == Scan::Item::Refused)
            return std::nullopt;
        if (depth < 0) { // the container's end tag, its "</" before its name
            if (scan.EndName(nameAt, pos) != c.name)
                return std::nullopt;
            return Finished(std::move(pieces), markupEnd, nameAt - 2);
        }
        if (depth == 0) {
            markupEnd = pos;
            if (pos - pieces.cuts.back() >= pieceBytes)
                pieces.cuts.push_back(pos);
        }
    }
}

} // namespace

std::optional<ChildPieces> FindChildPieces(std::string_view text, const char* list,
                                           std::size_t pieceBytes, PieceCuts how) {
    const std::optional<Container> c = FindContainer(text, list);
    if (!c)
        return std::nullopt;
    return how == PieceCuts::Guessed ? GuessedPieces(text, *c, pieceBytes)
                                     : ScannedPieces(text, *c, pieceBytes);
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

bool ParseChildPiece(pugi::xml_document& doc, char* text, const ChildPieces& pieces,
                     std::size_t piece, bool inPlace) {
    char* const begin = text + pieces.cuts[piece];
    const std::size_t length = pieces.cuts[piece + 1] - pieces.cuts[piece];
    const bool textOnly = pieces.cuts[piece] == pieces.textFrom;
    // pugixml skips an order mark at the start of what it parses, and takes
    // a "<" at the very end of it for nothing.
    const std::string_view bytes(begin, length);
    if (bytes.starts_with("\xEF\xBB\xBF") || (textOnly && bytes.find('<') != npos))
        return false;
    constexpr unsigned kOptions = kXmlParseOptions | pugi::parse_fragment;
    pugi::xml_parse_result r;
    if (inPlace && !textOnly) {
        // In place, pugixml takes the last byte for its end mark: it is given
        // the byte after the piece as a blank to take, so that a text at the
        // end of the piece stays whole.
        char* const past = begin + length;
        const char kept = *past;
        *past = ' ';
        r = doc.load_buffer_inplace(begin, length + 1, kOptions, pugi::encoding_utf8);
        *past = kept;
    } else {
        r = doc.load_buffer(begin, length, kOptions, pugi::encoding_utf8);
    }
    if (!r)
        return false;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        // What only the top of a document may hold.
        if (n.type() == pugi::node_declaration || n.type() == pugi::node_doctype)
            return false;
    // A piece that ends in a text was cut at a ">" of that text.
    const pugi::xml_node last = doc.last_child();
    return textOnly || !last || last.type() != pugi::node_pcdata;
}

bool ReadChildrenInPieces(char* text, std::size_t size, const char* list, std::size_t pieceBytes,
                          PieceCuts how, const std::function<void(std::size_t children)>& expect,
                          const std::function<void(pugi::xml_node piece)>& piece) {
    const std::optional<ChildPieces> pieces =
        FindChildPieces(std::string_view(text, size), list, pieceBytes, how);
    if (!pieces || !OutsideChildrenAgrees(std::string_view(text, size), *pieces, list))
        return false;
    pugi::xml_document doc;
    for (std::size_t i = 0; i + 1 < pieces->cuts.size(); ++i) {
        if (!ParseChildPiece(doc, text, *pieces, i, true))
            return false;
        if (i == 0 && expect) { // as many as the first piece has for its size, a few more
            std::size_t children = 0;
            for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
                ++children;
            const double share = double(pieces->cuts.back() - pieces->cuts.front()) /
                                 double(pieces->cuts[1] - pieces->cuts[0]);
            expect(static_cast<std::size_t>(double(children) * share * 1.02) + 16);
        }
        piece(doc);
    }
    return true;
}

} // namespace gw
