#pragma once
// The XML reader of the XML window: a small parser of its own that turns any
// XML file into a tree of nodes (document, elements, attributes, processing
// instructions, the declaration), with the window's captions and error texts.
// The parser keeps bytes as they stand; a character reference adds its
// character in UTF-8.
#include <cstddef>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gw {

namespace detail {

// Frees the levels of a tree below `children` through a work list instead of
// recursion, so a deeply nested document cannot overflow the stack. Nodes
// whose children are all leaves (most of them) are freed directly.
template <class Node> bool HasGrandchildren(const std::vector<Node>& children) {
    for (const Node& c : children)
        if (!c.children.empty())
            return true;
    return false;
}

template <class Node> void FreeLevels(std::vector<Node>& children) {
    if (!HasGrandchildren(children))
        return;
    std::vector<std::vector<Node>> pending;
    pending.push_back(std::move(children));
    while (!pending.empty()) {
        std::vector<Node> level = std::move(pending.back());
        pending.pop_back();
        for (Node& n : level)
            if (HasGrandchildren(n.children))
                pending.push_back(std::move(n.children));
    }
}

} // namespace detail

// A parsed node. Owns its children; a tree of any depth is freed without
// deep recursion.
class TXMLNode {
public:
    enum Kind : int {
        Document = 0,
        Element = 1,
        Attribute = 2,
        ProcessingInstruction = 3,
        XMLDeclaration = 4,
    };

    TXMLNode() = default;
    explicit TXMLNode(Kind k) : kind(k) {}
    TXMLNode(TXMLNode&&) noexcept = default;
    TXMLNode& operator=(TXMLNode&&) noexcept = default;
    TXMLNode(const TXMLNode&) = delete;
    TXMLNode& operator=(const TXMLNode&) = delete;
    ~TXMLNode() { detail::FreeLevels(children); }

    // Element text, attribute value, processing-instruction content.
    std::string value;
    // Element, attribute or target name; empty for the document and the declaration.
    std::string name;
    // Document: declaration, processing instructions and the root element in
    // document order. Element: its attributes in start-tag order, then its child
    // elements and processing instructions. Declaration: its pseudo-attributes.
    std::vector<TXMLNode> children;
    Kind kind = Document;
    // The opened file's name without its folder (document node only).
    std::string file;
};

// A saved reading position: the 1-based position and the character there
// (0 past the end). Any reader can describe where it stands this way; one that
// reads a stream keeps its data from the oldest position not yet released.
struct TXMLStringReaderState {
    std::size_t position = 0;
    char current = 0;
};

// The character source of the parser. The parser tries a construct from a
// saved position and goes back to it when the construct does not match.
class TXMLReader {
public:
    virtual ~TXMLReader() = default;

    // True when no character is left to read.
    virtual bool AtEnd() const = 0;
    // The parser no longer needs to go back to `state`.
    virtual void ReleaseState(const TXMLStringReaderState& state) = 0;
    // Moves to the next character and returns it (0 past the end).
    virtual char ReadChar() = 0;
    virtual void RestoreState(const TXMLStringReaderState& state) = 0;
    virtual TXMLStringReaderState SaveState() = 0;
};

// A reader over text held in memory (not copied: the text must outlive it).
class TXMLStringReader final : public TXMLReader {
public:
    explicit TXMLStringReader(std::string_view text) : text_(text) {}

    bool AtEnd() const override { return position_ >= text_.size(); }
    void ReleaseState(const TXMLStringReaderState&) override {}
    char ReadChar() override {
        if (position_ < text_.size()) {
            current_ = text_[position_];
            ++position_;
        } else {
            position_ = text_.size() + 1;
            current_ = 0;
        }
        return current_;
    }
    void RestoreState(const TXMLStringReaderState& state) override {
        position_ = state.position;
        current_ = state.current;
    }
    TXMLStringReaderState SaveState() override { return {position_, current_}; }

    std::size_t Position() const { return position_; }

    // For a parser that scans ahead: the text from the current character on
    // (empty before the first read and past the end), and a jump of `n`
    // characters, as `n` calls of ReadChar would go.
    std::string_view Rest() const {
        return position_ >= 1 && position_ <= text_.size() ? text_.substr(position_ - 1)
                                                           : std::string_view();
    }
    char Skip(std::size_t n) {
        if (n == 0)
            return current_;
        position_ += n - 1;
        return ReadChar();
    }
    bool PastEnd() const { return position_ > text_.size(); }

private:
    std::string_view text_;
    std::size_t position_ = 0; // 1-based; 0 before the first read
    char current_ = 0;
};

// No processing instruction may take the name "xml"; the reader and Write both
// refuse it with this text.
inline constexpr const char* kMsgReservedPiName =
    "Processing instruction cannot have the reserved name \"xml\"";

// A document that is not well-formed; what() is the text the error box shows.
class XmlReaderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a whole document; throws XmlReaderError. The document node's file
// name is left empty.
TXMLNode ParseXml(TXMLReader& reader);
TXMLNode ParseXml(TXMLStringReader& reader);
TXMLNode ParseXml(std::string_view text);

// Reads and parses a file, its bytes taken as UTF-8 when they are valid UTF-8
// and as Latin-1 otherwise, so every node text is UTF-8. The document node
// carries the file's name without its folder. Throws FileError or XmlReaderError.
TXMLNode ReadXmlFile(const std::string& path);

// The text of a node in the XML window's tree.
std::string NodeCaption(const TXMLNode& node);

// The tree as the window shows it: one caption a line, indented by two blanks
// a level below the document node.
void PrintXmlTree(const TXMLNode& document, std::ostream& out);

// A name the reader accepts, so one Write may use.
bool IsXmlName(std::string_view name);
// "xml" in any case, which no processing instruction may take.
bool IsReservedXmlName(std::string_view name);

// A file's bytes as UTF-8: unchanged when they are valid UTF-8, else read as
// Latin-1.
std::string XmlTextAsUtf8(std::string bytes);

} // namespace gw
