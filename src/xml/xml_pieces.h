#pragma once
// Reading the children of one element of a big document a piece at a time:
// the whole document as one tree takes four times its text, most of it in
// nodes nobody keeps. Every piece is a run of whole children that pugixml
// parses on its own; what lies outside the element is parsed once without
// them. Whatever the pieces cannot follow (another shape, markup that is not
// well-formed, a text that is not UTF-8) is left to the whole reading, so that
// results and messages stay those of the whole document.
#include <pugixml.hpp>

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace gw {

// Documents up to this size are parsed whole; bigger ones in pieces of about it.
inline constexpr std::size_t kXmlPieceBytes = std::size_t(1) << 20;

// Where the children of a document's container element lie: the root (the
// first top-level node, which must be an element), or, with `list`, the first
// child element of the root of that name.
struct ChildPieces {
    std::size_t nameAt = 0; // where the container's name starts
    // The bounds of the pieces inside the container: first the start of its
    // content, last the start of its end tag. Each piece is meant to be a run
    // of whole children; ParseChildPiece tells whether it is one.
    std::vector<std::size_t> cuts;
    std::size_t textFrom = std::string_view::npos; // where a last piece of text only starts
};

// How the cuts are found: guessed without reading the children (cheap, and
// right for children that hold no blank-separated markup of their own), or by
// a scan of the children's markup (always right for a well-formed document).
enum class PieceCuts { Guessed, Scanned };

// nullopt for a document of any other shape (a declaration, comment or
// doctype first; no such container, or an empty one; a NUL byte anywhere)
// and one the scan finds not well-formed. Either way the cuts stand only once
// the pieces and the outside have been parsed.
std::optional<ChildPieces> FindChildPieces(std::string_view text, const char* list,
                                           std::size_t pieceBytes, PieceCuts how);

// Whether the document without the container's children, everything outside
// them, is well-formed UTF-8 and has its container where pugixml finds it.
bool OutsideChildrenAgrees(std::string_view text, const ChildPieces& pieces, const char* list);

// Parses piece `piece` of `text` as a fragment into `doc`: in place (the
// strings of its nodes stay in `text` after `doc` lets them go; a piece of
// text only is parsed from a copy, it holds no attribute) or from a copy.
// False when the piece is no run of whole children as the whole document
// would read them: not well-formed, cut inside a text, holding what only the
// top of a document may hold.
bool ParseChildPiece(pugi::xml_document& doc, char* text, const ChildPieces& pieces,
                     std::size_t piece, bool inPlace);

// The container's children of the document in `text`, a piece at a time:
// `expect` is told about how many children there are, then `piece` gets a
// node whose children are the next run of them. Parsed in place: the text
// serves one reading only. False when the document is to be read whole
// instead; pieces may have been handed over by then.
bool ReadChildrenInPieces(char* text, std::size_t size, const char* list, std::size_t pieceBytes,
                          PieceCuts how, const std::function<void(std::size_t children)>& expect,
                          const std::function<void(pugi::xml_node piece)>& piece);

} // namespace gw
