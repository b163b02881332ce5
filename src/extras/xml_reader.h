#pragma once
// The XML reader of the XML window: a small parser of its own that turns any
// XML file into a tree of nodes (document, elements, attributes, processing
// instructions, the declaration), with the window's captions and error texts.
// The parser keeps bytes as they stand; a character reference adds its
// character in UTF-8.
#include "common/progress.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace gw {

class TXMLNode;
class TXMLDocument;

namespace detail {
// Where a parsed document keeps its nodes and texts; owned by its document.
class XmlNodeStore;

// A name as a node keeps it: its length in one byte, or 255 and the length in
// four, then its characters.
inline std::string_view NameOfRecord(const char* record) {
    const auto size = static_cast<unsigned char>(record[0]);
    if (size < 255)
        return {record + 1, size};
    std::uint32_t longSize = 0;
    std::memcpy(&longSize, record + 1, sizeof longSize);
    return {record + 1 + sizeof longSize, longSize};
}
} // namespace detail

// The children of a node: one contiguous block in the document's store, read
// only; a view of it.
class TXMLNodeList {
public:
    using value_type = TXMLNode;
    using const_iterator = const TXMLNode*;
    using iterator = const_iterator;

    TXMLNodeList() = default;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const TXMLNode& operator[](std::size_t i) const;
    const TXMLNode* begin() const { return first_; }
    const TXMLNode* end() const;

private:
    friend class TXMLNode;
    TXMLNodeList(const TXMLNode* first, std::size_t size) : first_(first), size_(size) {}

    const TXMLNode* first_ = nullptr;
    std::size_t size_ = 0;
};

// A parsed node. Every node lives in its document's store and can only be
// read; the document (TXMLDocument) owns them all. Nodes are small, as a
// large document holds millions of them: a name is kept behind its length.
class TXMLNode {
public:
    enum Kind : int {
        Document = 0,
        Element = 1,
        Attribute = 2,
        ProcessingInstruction = 3,
        XMLDeclaration = 4,
    };

    TXMLNode(const TXMLNode&) = delete;
    TXMLNode& operator=(const TXMLNode&) = delete;

    Kind kind() const { return static_cast<Kind>(countKind_ & kKindMask); }
    // Element, attribute or target name; empty for the document and the declaration.
    std::string_view name() const;
    // Element text, attribute value, processing-instruction content; empty
    // for the document.
    std::string_view value() const {
        return kind() == Document ? std::string_view() : std::string_view(value_, valueSize_);
    }
    // Document: declaration, processing instructions and the root element in
    // document order. Element: its attributes in start-tag order, then its child
    // elements and processing instructions. Declaration: its pseudo-attributes.
    TXMLNodeList children() const { return {first_, countKind_ >> kKindBits}; }
    // The opened file's name without its folder (document node only).
    std::string_view file() const {
        return kind() == Document ? std::string_view(value_, valueSize_) : std::string_view();
    }

private:
    friend class detail::XmlNodeStore;
    static constexpr unsigned kKindBits = 3;
    static constexpr std::uint32_t kKindMask = (1u << kKindBits) - 1;
    TXMLNode() = default;

    const char* name_ = ""; // its length first (see detail::NameOfRecord)
    const char* value_ = nullptr;
    const TXMLNode* first_ = nullptr;
    std::uint32_t valueSize_ = 0;
    std::uint32_t countKind_ = 0; // the child count above the kind's bits
};

inline std::string_view TXMLNode::name() const {
    return detail::NameOfRecord(name_);
}

inline const TXMLNode& TXMLNodeList::operator[](std::size_t i) const {
    return first_[i];
}
inline const TXMLNode* TXMLNodeList::end() const {
    return first_ + size_;
}

// A parsed document: its document node, and the store of every node below
// it and of the texts they are views of. Moving it moves none of them.
class TXMLDocument {
public:
    TXMLDocument(); // no children and no file name
    TXMLDocument(TXMLDocument&&) noexcept;
    TXMLDocument& operator=(TXMLDocument&&) noexcept;
    ~TXMLDocument();

    const TXMLNode& Node() const;
    operator const TXMLNode&() const { return Node(); }
    TXMLNodeList children() const { return Node().children(); }
    TXMLNode::Kind kind() const { return TXMLNode::Document; }
    std::string_view file() const { return Node().file(); }
    void SetFile(std::string_view name);

private:
    friend class detail::XmlNodeStore;
    std::unique_ptr<detail::XmlNodeStore> store_;
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

    // The text not read yet (from the character after the current one).
    std::string_view Unread() const {
        return position_ < text_.size() ? text_.substr(position_) : std::string_view();
    }

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

// Parses a whole document; throws XmlReaderError. The document's file
// name is left empty. The tree keeps a copy of what it needs, so the text and
// the reader need not outlive it. A TXMLStringReader is read from where it
// stands and left where the parse ended, as any reader would be.
TXMLDocument ParseXml(TXMLReader& reader);
TXMLDocument ParseXml(TXMLStringReader& reader);
TXMLDocument ParseXml(std::string_view text);

// Reads and parses a file, its bytes taken as UTF-8 when they are valid UTF-8
// and as Latin-1 otherwise, so every node text is UTF-8. The document
// carries the file's name without its folder. Throws FileError or XmlReaderError.
// With `progress`, the reading and the parse report the bytes done of twice
// the file's size, and a cancel ends them with WorkCancelled.
TXMLDocument ReadXmlFile(const std::string& path, const ProgressHooks* progress = nullptr);

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
