#include "extras/xml_reader.h"

#include "common/file_io.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <memory_resource>
#include <ostream>
#include <utility>
#include <vector>

namespace gw {

namespace detail {

// The text a document's names and values are views of, and the blocks of its
// nodes and of the texts that are no slice of that text (decoded references,
// pieces joined around comments and children). Nodes are laid out once and
// never freed one by one: they own nothing, and the store goes at once.
class XmlNodeStore {
public:
    explicit XmlNodeStore(std::string text)
        : text_(std::move(text)), arena_(FirstBlockSize(text_.size())) {}

    std::string_view Text() const { return text_; }
    // The file name the document node shows.
    std::string fileName;
    // The document node; it stays where it is however its document moves.
    TXMLNode document;

    // A copy of `s` that lives as long as the store.
    std::string_view Keep(std::string_view s) {
        if (s.empty())
            return {};
        char* copy = static_cast<char*>(arena_.allocate(s.size(), 1));
        std::memcpy(copy, s.data(), s.size());
        return {copy, s.size()};
    }

    // The record of a name (see NameOfRecord). A short name in the text is
    // kept where it stands, its length written over the character before it
    // ("<", "?" or a blank, which nothing reads again): it is written as soon
    // as the name is read, while that part of the text is at hand.
    const char* NameRecord(std::string_view n) {
        if (n.empty())
            return "";
        const char* const begin = text_.data();
        if (n.size() < 255 && n.data() > begin && n.data() <= begin + text_.size()) {
            char* at = text_.data() + (n.data() - begin) - 1;
            *at = static_cast<char>(n.size());
            return at;
        }
        const std::size_t head = n.size() < 255 ? 1 : 1 + sizeof(std::uint32_t);
        char* record = static_cast<char*>(arena_.allocate(head + n.size(), 1));
        if (head == 1) {
            record[0] = static_cast<char>(n.size());
        } else {
            record[0] = static_cast<char>(255);
            const auto size = static_cast<std::uint32_t>(n.size());
            std::memcpy(record + 1, &size, sizeof size);
        }
        std::memcpy(record + head, n.data(), n.size());
        return record;
    }

    // `n` nodes laid out in one block, in order; `Raw` holds what each is.
    template <class Raw> const TXMLNode* Block(const Raw* raw, std::size_t n) {
        if (n == 0)
            return nullptr;
        auto* block =
            static_cast<TXMLNode*>(arena_.allocate(n * sizeof(TXMLNode), alignof(TXMLNode)));
        for (std::size_t i = 0; i < n; ++i) {
            TXMLNode* node = ::new (block + i) TXMLNode;
            node->name_ = raw[i].name;
            node->value_ = raw[i].value;
            node->first_ = raw[i].first;
            node->valueSize_ = raw[i].valueSize;
            node->countKind_ = raw[i].countKind;
        }
        return block;
    }

    // The document, owning the store and the tree in it.
    static TXMLDocument Adopt(std::unique_ptr<XmlNodeStore> store, const TXMLNode* first,
                              std::size_t count) {
        TXMLNode& node = store->document;
        node.first_ = first;
        node.countKind_ = CountKind(TXMLNode::Document, count);
        TXMLDocument doc;
        doc.store_ = std::move(store);
        return doc;
    }

    static void SetFile(XmlNodeStore& store, std::string_view name) {
        store.fileName = name;
        store.document.value_ = store.fileName.data();
        store.document.valueSize_ = static_cast<std::uint32_t>(store.fileName.size());
    }

    // A node keeps its child count in 29 bits and its value's length in 32;
    // no file that fits in memory comes near, but a longer one must not be
    // cut short unseen.
    static std::uint32_t CountKind(TXMLNode::Kind kind, std::size_t count) {
        if (count > (std::numeric_limits<std::uint32_t>::max() >> TXMLNode::kKindBits))
            throw XmlReaderError("Too many nodes in one element");
        return static_cast<std::uint32_t>(count << TXMLNode::kKindBits) |
               static_cast<std::uint32_t>(kind);
    }
    static std::uint32_t ValueSize(std::string_view value) {
        if (value.size() > std::numeric_limits<std::uint32_t>::max())
            throw XmlReaderError("Text too long in one node");
        return static_cast<std::uint32_t>(value.size());
    }

private:
    // A small document takes one block; a large one grows its blocks from 1 MB.
    static std::size_t FirstBlockSize(std::size_t textSize) {
        return std::clamp<std::size_t>(textSize, 4096, std::size_t(1) << 20);
    }

    std::string text_;
    std::pmr::monotonic_buffer_resource arena_;
};

} // namespace detail

static_assert(sizeof(TXMLNode) == 32, "a large document holds millions of nodes");

namespace {
const TXMLNode& EmptyDocumentNode() {
    static const detail::XmlNodeStore empty{std::string()};
    return empty.document;
}
} // namespace

TXMLDocument::TXMLDocument() = default;
TXMLDocument::TXMLDocument(TXMLDocument&&) noexcept = default;
TXMLDocument& TXMLDocument::operator=(TXMLDocument&&) noexcept = default;
TXMLDocument::~TXMLDocument() = default;

const TXMLNode& TXMLDocument::Node() const {
    return store_ ? store_->document : EmptyDocumentNode();
}

void TXMLDocument::SetFile(std::string_view name) {
    if (!store_)
        store_ = std::make_unique<detail::XmlNodeStore>(std::string());
    detail::XmlNodeStore::SetFile(*store_, name);
}

namespace {

const char* const kUnexpectedEnd = "Unexpected end of data";
const char* const kMissingElement = "Missing element";
const char* const kDocType = "DocTypeDecl parsing not yet implemented";
const char* const kDeclNotTerminated = "XML declaration not terminated with \"?>\"";
const char* const kTagNotTerminated = "Tag not terminated properly";
const char* const kEndTagMissing = "End tag missing \">\"";
const char* const kEqualsMissing = "Equals sign missing in attribute";
const char* const kLtInAttribute = "Invalid character \"<\" in attribute value";
const char* const kCDataEnd = "Character data cannot contain \"]]>\"";
const char* const kCommentEnd = "Comments cannot end in \"--->\"";
const char* const kPiName = "Processing instruction does not contain valid name";
const char* const kPiUnterminated = "Unterminated processing instruction";
const char* const kUnrecognizedReference = "Unrecognized reference";

[[noreturn]] void Fail(std::string message) {
    throw XmlReaderError(std::move(message));
}

constexpr bool IsWhitespace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

constexpr bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
}

// 0xB7 is the middle dot; its UTF-8 form starts with 0xC2 (see ReadName).
constexpr bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == static_cast<char>(0xB7);
}

constexpr auto kNameChars = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = IsNameChar(static_cast<char>(c));
    return table;
}();

// Where a plain run of an attribute value in `Quote` quotes ends.
template <char Quote>
constexpr auto kValueEnds = [] {
    std::array<bool, 256> table{};
    table[static_cast<unsigned char>(Quote)] = true;
    table['<'] = true;
    table['&'] = true;
    return table;
}();

bool IsBlank(std::string_view s) {
    for (char c : s)
        if (!IsWhitespace(c))
            return false;
    return true;
}

std::string_view TrimWhitespace(std::string_view s) {
    while (!s.empty() && IsWhitespace(s.back()))
        s.remove_suffix(1);
    while (!s.empty() && IsWhitespace(s.front()))
        s.remove_prefix(1);
    return s;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

int DigitValue(char c, int base) {
    int d = -1;
    if (c >= '0' && c <= '9')
        d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    return d < base ? d : -1;
}

// The character of a reference's text (what stands between "&" and ";").
void AppendReference(std::string& out, std::string_view ref) {
    if (ref == "amp")
        out.push_back('&');
    else if (ref == "lt")
        out.push_back('<');
    else if (ref == "gt")
        out.push_back('>');
    else if (ref == "quot")
        out.push_back('"');
    else if (ref == "apos")
        out.push_back('\'');
    else if (ref.empty() || ref[0] != '#')
        Fail(kUnrecognizedReference);
    else {
        const bool hex = ref.size() > 1 && ref[1] == 'x';
        const int base = hex ? 16 : 10;
        const std::size_t first = hex ? 2 : 1;
        // A code that names no character is refused rather than cut down to a
        // byte: the node would show, and Write would store, another character.
        constexpr unsigned long kLast = 0x10FFFF;
        unsigned long code = 0;
        bool valid = ref.size() > first;
        for (std::size_t i = first; valid && i < ref.size(); ++i) {
            const int d = DigitValue(ref[i], base);
            if (d < 0)
                valid = false;
            else if (code <= kLast)
                code = code * static_cast<unsigned long>(base) + static_cast<unsigned long>(d);
        }
        if (!valid || code == 0 || code > kLast || (code >= 0xD800 && code <= 0xDFFF))
            Fail("Invalid integer in reference &" + std::string(ref) + ";");
        AppendUtf8(out, code);
    }
}

// A text read in pieces. While each piece follows the last in the document's
// text it stays a slice of that text; otherwise it is built in a string of
// its own. An element's text drops blanks ahead of a piece that does not
// follow on (they would be trimmed anyway), so the line breaks between
// children never cost a string.
class PieceText {
public:
    explicit PieceText(bool dropLeadingBlanks = false) : dropBlanks_(dropLeadingBlanks) {}

    void Clear() {
        begin_ = nullptr;
        size_ = 0;
        owned_ = false;
        own_.clear();
    }
    bool Owned() const { return owned_; }
    std::string_view View() const {
        return owned_ ? std::string_view(own_) : std::string_view(begin_, size_);
    }

    // A piece of the document's text.
    void Slice(std::string_view s) {
        if (s.empty())
            return;
        if (!owned_) {
            if (size_ != 0 && begin_ + size_ == s.data()) {
                size_ += s.size();
                return;
            }
            if (size_ == 0 || StartOver()) {
                begin_ = s.data();
                size_ = s.size();
                return;
            }
            Own();
        }
        own_.append(s);
    }
    // Characters that stand nowhere in the document's text as they are.
    void Chars(std::string_view s) {
        if (s.empty())
            return;
        if (!owned_) {
            StartOver();
            Own();
        }
        own_.append(s);
    }

private:
    bool StartOver() {
        if (!dropBlanks_ || !IsBlank(View()))
            return false;
        size_ = 0;
        return true;
    }
    void Own() {
        if (size_ != 0)
            own_.assign(begin_, size_);
        else
            own_.clear();
        owned_ = true;
    }

    const char* begin_ = nullptr;
    std::size_t size_ = 0;
    bool owned_ = false;
    bool dropBlanks_;
    std::string own_;
};

// Reads text the document's store holds: runs of plain characters are found
// by scanning and kept as slices of it.
class BufferCursor {
public:
    static constexpr bool kSlices = true;

    explicit BufferCursor(std::string_view text)
        : begin_(text.data()), p_(text.data()), end_(text.data() + text.size()) {}

    char c() const { return p_ < end_ ? *p_ : 0; }
    bool AtDataEnd() const { return p_ >= end_; }
    void Next() {
        if (p_ < end_)
            ++p_;
    }

    using Mark = const char*;
    Mark Save() const { return p_; }
    void Restore(Mark m) { p_ = m; }
    void Release(Mark) {}

    // Appends the characters from the current one up to (not including) the
    // first for which `stop` holds, or the end; returns them.
    template <class Stop> std::string_view Run(PieceText& out, Stop stop) {
        const char* const start = p_;
        while (p_ < end_ && !stop(*p_))
            ++p_;
        const std::string_view run(start, static_cast<std::size_t>(p_ - start));
        out.Slice(run);
        return run;
    }
    // Appends the current character and moves past it.
    void Take(PieceText& out) {
        out.Slice({p_, 1});
        Next();
    }

    // At a name start: the name, with any middle dots in UTF-8 (0xC2 0xB7),
    // as files are read.
    std::string_view Name(PieceText&) {
        const char* const start = p_;
        for (;;) {
            while (p_ < end_ && kNameChars[static_cast<unsigned char>(*p_)])
                ++p_;
            if (end_ - p_ < 2 || p_[0] != static_cast<char>(0xC2) ||
                p_[1] != static_cast<char>(0xB7))
                return {start, static_cast<std::size_t>(p_ - start)};
            p_ += 2;
        }
    }

    // At a name start: the common attribute `name="text"` (whitespace around
    // "=" allowed, no reference or middle dot), read in one go into `name`
    // and `value`, the cursor past the closing quote. Anything else is left
    // to the general reading: false, the cursor unmoved.
    bool PlainAttribute(std::string_view& name, std::string_view& value) {
        const char* p = p_;
        const char* const end = end_;
        const auto skipWhitespace = [&] {
            while (p < end && IsWhitespace(*p))
                ++p;
        };
        const char* const nameStart = p;
        while (p < end && kNameChars[static_cast<unsigned char>(*p)])
            ++p;
        const char* const nameEnd = p;
        if (p < end && *p == static_cast<char>(0xC2))
            return false;
        skipWhitespace();
        if (p == end || *p != '=')
            return false;
        ++p;
        skipWhitespace();
        if (p == end || (*p != '"' && *p != '\''))
            return false;
        const char quote = *p++;
        const std::array<bool, 256>& stops = quote == '"' ? kValueEnds<'"'> : kValueEnds<'\''>;
        const char* const valueStart = p;
        while (p < end && !stops[static_cast<unsigned char>(*p)])
            ++p;
        if (p == end || *p != quote)
            return false;
        name = {nameStart, static_cast<std::size_t>(nameEnd - nameStart)};
        value = {valueStart, static_cast<std::size_t>(p - valueStart)};
        p_ = p + 1;
        return true;
    }

    // Where the current character stands in the text.
    std::size_t Offset() const { return static_cast<std::size_t>(p_ - begin_); }

private:
    const char* begin_;
    const char* p_;
    const char* end_;
};

// Reads through any TXMLReader, a character at a time; every text is the
// parser's own.
class ReaderCursor {
public:
    static constexpr bool kSlices = false;

    explicit ReaderCursor(TXMLReader& reader) : r_(reader) { Next(); }

    char c() const { return c_; }
    bool AtDataEnd() const { return c_ == 0 && past_; }
    void Next() {
        past_ = r_.AtEnd();
        c_ = r_.ReadChar();
    }

    struct Mark {
        TXMLStringReaderState state;
        bool past;
    };
    Mark Save() { return {r_.SaveState(), past_}; }
    void Restore(const Mark& m) {
        r_.RestoreState(m.state);
        c_ = m.state.current;
        past_ = m.past;
        r_.ReleaseState(m.state);
    }
    void Release(const Mark& m) { r_.ReleaseState(m.state); }

    template <class Stop> std::string_view Run(PieceText& out, Stop stop) {
        run_.clear();
        while (!AtDataEnd() && !stop(c_)) {
            run_.push_back(c_);
            Next();
        }
        out.Chars(run_);
        return run_;
    }
    void Take(PieceText& out) {
        out.Chars(std::string_view(&c_, 1));
        Next();
    }

    std::string_view Name(PieceText& out) {
        for (;;) {
            Run(out, [](char ch) { return !IsNameChar(ch); });
            if (c_ != static_cast<char>(0xC2))
                break;
            const Mark m = Save();
            Next();
            const bool dot = c_ == static_cast<char>(0xB7);
            Restore(m);
            if (!dot)
                break;
            Take(out);
            Take(out);
        }
        return out.View();
    }

private:
    TXMLReader& r_;
    char c_ = 0;
    bool past_ = false; // the reader has gone past its last character
    std::string run_;
};

// A node whose list of children is still being read, held as its node will
// be, so that laying it out is a copy.
struct RawNode {
    explicit RawNode(TXMLNode::Kind k) : countKind(static_cast<std::uint32_t>(k)) {}

    std::string_view Name() const { return detail::NameOfRecord(name); }
    void SetValue(std::string_view v) {
        valueSize = detail::XmlNodeStore::ValueSize(v);
        value = v.data();
    }
    void SetChildren(const TXMLNode* block, std::size_t count) {
        first = block;
        countKind =
            detail::XmlNodeStore::CountKind(static_cast<TXMLNode::Kind>(countKind & 7u), count);
    }

    const char* name = ""; // a name record
    const char* value = nullptr;
    const TXMLNode* first = nullptr;
    std::uint32_t valueSize = 0;
    std::uint32_t countKind;
};

// Recursive descent over the cursor's characters. Nodes wait on one stack,
// each list of children right after its owner, until the owner closes; then
// the list is laid out in the store as one block. Elements are opened and
// closed with a stack of their own, so nesting depth is bounded by memory,
// not by the call stack.
template <class Cursor> class Parser {
public:
    // `ticker` (optional) is told the cursor's offset past `base` now and then.
    Parser(Cursor& in, detail::XmlNodeStore& store, ProgressTicker* ticker = nullptr,
           std::uint64_t base = 0)
        : in_(in), store_(store), ticker_(ticker), base_(base) {
        stack_.reserve(64);
    }

    // The document's children, laid out.
    std::pair<const TXMLNode*, std::size_t> Document() {
        if (in_.AtDataEnd())
            Fail(kUnexpectedEnd);
        if (in_.c() == '<')
            Declaration();
        Misc(true);
        if (!(in_.c() == '<' && RootFollows()))
            Fail(kMissingElement);
        Elements();
        Misc(false);
        const TXMLNode* first = store_.Block(stack_.data(), stack_.size());
        return {first, stack_.size()};
    }

private:
    using Mark = typename Cursor::Mark;

    // An open element: where it waits on the stack, and its text so far.
    struct Frame {
        std::size_t node = 0;
        PieceText text{true};
    };

    std::string_view Keep(const PieceText& t) {
        return t.Owned() ? store_.Keep(t.View()) : t.View();
    }

    // Lays out the nodes after `owner` on the stack as its children.
    void CloseChildren(std::size_t owner) {
        const std::size_t count = stack_.size() - owner - 1;
        stack_[owner].SetChildren(store_.Block(stack_.data() + owner + 1, count), count);
        stack_.erase(stack_.begin() + static_cast<std::ptrdiff_t>(owner + 1), stack_.end());
    }

    // Consumes `literal` when it stands here; otherwise stays put.
    bool Match(std::string_view literal) {
        const Mark m = in_.Save();
        for (char ch : literal) {
            if (in_.c() != ch || in_.AtDataEnd()) {
                in_.Restore(m);
                return false;
            }
            in_.Next();
        }
        in_.Release(m);
        return true;
    }

    bool SkipWhitespace() {
        bool any = false;
        while (IsWhitespace(in_.c())) {
            any = true;
            in_.Next();
        }
        return any;
    }

    // A name, empty when none starts here; valid until the next name is read.
    std::string_view ReadName() {
        name_.Clear();
        return IsNameStart(in_.c()) ? in_.Name(name_) : std::string_view();
    }
    // The name just read, kept for a node: its record.
    const char* KeepName(std::string_view name) { return store_.NameRecord(name); }

    // After "<": does a name follow (an element rather than markup or text)?
    bool RootFollows() {
        const Mark m = in_.Save();
        in_.Next();
        const bool element = IsNameStart(in_.c());
        in_.Restore(m);
        return element;
    }

    // "<?xml" at the very start, followed by whitespace or "?"; a target such
    // as "xml-stylesheet" is a processing instruction instead.
    void Declaration() {
        const Mark m = in_.Save();
        if (!Match("<?xml") || !(IsWhitespace(in_.c()) || in_.c() == '?')) {
            in_.Restore(m);
            return;
        }
        in_.Release(m);
        const std::size_t decl = stack_.size();
        stack_.emplace_back(TXMLNode::XMLDeclaration);
        for (;;) {
            const bool space = SkipWhitespace();
            if (in_.c() == '?') {
                in_.Next();
                if (in_.c() != '>')
                    Fail(kDeclNotTerminated);
                in_.Next();
                break;
            }
            if (!(space && IsNameStart(in_.c())))
                Fail(kDeclNotTerminated);
            Attribute();
        }
        CloseChildren(decl);
    }

    // Whitespace, comments and processing instructions between the top-level
    // items; processing instructions become children of the document.
    void Misc(bool prolog) {
        for (;;) {
            if (SkipWhitespace())
                continue;
            if (in_.c() != '<' || in_.AtDataEnd())
                return;
            if (Match("<!--"))
                Comment();
            else if (Match("<?"))
                ProcessingInstruction();
            else if (prolog && Match("<!DOCTYPE"))
                Fail(kDocType);
            else
                return;
        }
    }

    // After "<!--": up to "-->"; dropped.
    void Comment() {
        int dashes = 0;
        for (;;) {
            if (in_.AtDataEnd())
                Fail(kUnexpectedEnd);
            if (in_.c() == '>' && dashes >= 2) {
                if (dashes > 2)
                    Fail(kCommentEnd);
                in_.Next();
                return;
            }
            dashes = in_.c() == '-' ? dashes + 1 : 0;
            in_.Next();
        }
    }

    // After "<?": the target, optional whitespace and the content up to "?>".
    void ProcessingInstruction() {
        RawNode pi(TXMLNode::ProcessingInstruction);
        const std::string_view target = ReadName();
        if (target.empty())
            Fail(kPiName);
        if (IsReservedXmlName(target))
            Fail(kMsgReservedPiName);
        pi.name = KeepName(target);
        SkipWhitespace();
        text_.Clear();
        for (;;) {
            in_.Run(text_, [](char ch) { return ch == '?'; });
            if (in_.AtDataEnd())
                Fail(kPiUnterminated);
            const Mark m = in_.Save();
            in_.Next();
            if (in_.c() == '>') {
                in_.Release(m);
                in_.Next();
                break;
            }
            in_.Restore(m);
            in_.Take(text_);
        }
        pi.SetValue(Keep(text_));
        stack_.push_back(pi);
    }

    // At "&": the reference up to the next ";", its character appended.
    void Reference(PieceText& out) {
        in_.Next();
        ref_.clear();
        while (in_.c() != ';') {
            if (in_.AtDataEnd())
                Fail(kUnexpectedEnd);
            ref_.push_back(in_.c());
            in_.Next();
        }
        in_.Next();
        decoded_.clear();
        AppendReference(decoded_, ref_);
        out.Chars(decoded_);
    }

    // At a name start: name, optional whitespace, "=", optional whitespace and
    // a quoted value; the attribute goes on the stack.
    void Attribute() {
        if constexpr (Cursor::kSlices) {
            std::string_view name;
            std::string_view value;
            if (in_.PlainAttribute(name, value)) {
                RawNode& a = stack_.emplace_back(TXMLNode::Attribute);
                a.name = KeepName(name);
                a.SetValue(value);
                return;
            }
        }
        AnyAttribute();
    }

    // Attribute, in any of its forms, and with its errors.
    void AnyAttribute() {
        RawNode a(TXMLNode::Attribute);
        a.name = KeepName(ReadName());
        SkipWhitespace();
        if (in_.c() != '=')
            Fail(kEqualsMissing);
        in_.Next();
        SkipWhitespace();
        const char quote = in_.c();
        if (quote != '"' && quote != '\'')
            Fail("Attribute \"" + std::string(a.Name()) + "\" missing value");
        in_.Next();
        text_.Clear();
        for (;;) {
            in_.Run(text_, [quote](char ch) { return ch == quote || ch == '<' || ch == '&'; });
            if (in_.c() == quote) {
                in_.Next();
                break;
            }
            if (in_.c() == '<')
                Fail(kLtInAttribute);
            if (in_.c() != '&' || in_.AtDataEnd())
                Fail(kUnexpectedEnd);
            Reference(text_);
        }
        a.SetValue(Keep(text_));
        stack_.push_back(a);
    }

    // At a name start after "<": the name, then the attributes up to ">" or
    // "/>". True for an empty element.
    bool StartTag(std::size_t e) {
        stack_[e].name = KeepName(ReadName());
        for (;;) {
            const bool space = SkipWhitespace();
            if (in_.c() == '/') {
                in_.Next();
                if (in_.c() != '>')
                    Fail(kTagNotTerminated);
                in_.Next();
                return true;
            }
            if (in_.c() == '>') {
                in_.Next();
                return false;
            }
            if (!(space && IsNameStart(in_.c())))
                Fail(kTagNotTerminated);
            Attribute();
        }
    }

    // Character data up to the next "<" or "&" (or the end of the data).
    void CharData(PieceText& value) {
        const std::string_view run = in_.Run(value, [](char ch) { return ch == '<' || ch == '&'; });
        if (run.find("]]>") != std::string_view::npos)
            Fail(kCDataEnd);
    }

    // After "<![CDATA[": the text up to "]]>", taken literally.
    void CData(PieceText& value) {
        for (;;) {
            in_.Run(value, [](char ch) { return ch == ']'; });
            if (in_.AtDataEnd())
                Fail(kUnexpectedEnd);
            if (Match("]]>"))
                return;
            in_.Take(value);
        }
    }

    [[noreturn]] void NoEndingTag(const Frame& f) {
        Fail("No ending tag for " + std::string(stack_[f.node].Name()));
    }

    // After "<" and at a name start: an element, closed at once when empty,
    // else opened.
    void StartChild() {
        const std::size_t e = stack_.size();
        stack_.emplace_back(TXMLNode::Element);
        if (StartTag(e)) {
            CloseChildren(e);
            return;
        }
        if (open_ == frames_.size())
            frames_.emplace_back();
        frames_[open_].node = e;
        frames_[open_].text.Clear();
        ++open_;
    }

    // After "</": the end tag of the innermost open element, which it closes.
    void EndTag(Frame& f) {
        RawNode& e = stack_[f.node];
        const std::string_view name = ReadName();
        if (name != e.Name())
            Fail("End tag name \"" + std::string(name) + "\" does not match start tag name \"" +
                 std::string(e.Name()) + "\"");
        SkipWhitespace();
        if (in_.c() != '>')
            Fail(kEndTagMissing);
        in_.Next();
        const std::string_view text = TrimWhitespace(f.text.View());
        e.SetValue(f.text.Owned() ? store_.Keep(text) : text);
        CloseChildren(f.node);
        --open_;
    }

    // At "<" and a name: the root element with everything inside it.
    void Elements() {
        in_.Next(); // the "<"
        StartChild();
        while (open_ > 0) {
            if constexpr (Cursor::kSlices)
                if (ticker_)
                    ticker_->At(base_ + in_.Offset());
            Frame& f = frames_[open_ - 1];
            if (in_.c() == '&') {
                Reference(f.text);
                continue;
            }
            if (in_.c() != '<' || in_.AtDataEnd()) {
                if (in_.AtDataEnd())
                    NoEndingTag(f);
                CharData(f.text);
                continue;
            }
            const Mark m = in_.Save();
            in_.Next();
            if (in_.c() == '!') {
                in_.Restore(m);
                // CDATA before comments, as the constructs are tried.
                if (Match("<![CDATA["))
                    CData(f.text);
                else if (Match("<!--"))
                    Comment();
                else
                    NoEndingTag(f);
            } else if (in_.c() == '?') {
                in_.Release(m);
                in_.Next();
                ProcessingInstruction();
            } else if (IsNameStart(in_.c())) {
                in_.Release(m);
                StartChild();
            } else if (in_.c() == '/') {
                in_.Release(m);
                in_.Next();
                EndTag(f);
            } else {
                NoEndingTag(f);
            }
        }
    }

    Cursor& in_;
    detail::XmlNodeStore& store_;
    ProgressTicker* ticker_;
    std::uint64_t base_;
    std::vector<RawNode> stack_;
    std::vector<Frame> frames_; // kept when elements close, so their strings are reused
    std::size_t open_ = 0;
    PieceText name_;
    PieceText text_;
    std::string ref_;
    std::string decoded_;
};

// Parses `text` from `from` on, the store keeping it; `end` (when given) is
// set to where the parse stopped. The ticker is told the offset past `base`.
TXMLDocument ParseOwnedText(std::string text, std::size_t from, std::size_t* end = nullptr,
                            ProgressTicker* ticker = nullptr, std::uint64_t base = 0) {
    auto store = std::make_unique<detail::XmlNodeStore>(std::move(text));
    BufferCursor in(store->Text().substr(from));
    const auto [first, count] = Parser<BufferCursor>(in, *store, ticker, base).Document();
    if (end)
        *end = from + in.Offset();
    return detail::XmlNodeStore::Adopt(std::move(store), first, count);
}

bool IsValidUtf8(std::string_view s);

} // namespace

TXMLDocument ParseXml(TXMLReader& reader) {
    auto store = std::make_unique<detail::XmlNodeStore>(std::string());
    ReaderCursor in(reader);
    const auto [first, count] = Parser<ReaderCursor>(in, *store).Document();
    return detail::XmlNodeStore::Adopt(std::move(store), first, count);
}

TXMLDocument ParseXml(TXMLStringReader& reader) {
    const std::string_view unread = reader.Unread();
    std::size_t end = 0;
    TXMLDocument doc = ParseOwnedText(std::string(unread), 0, &end);
    // Where a reader that went character by character would stand: on the
    // character after the document, or past the end.
    reader.RestoreState({reader.Position() + end + 1, end < unread.size() ? unread[end] : '\0'});
    return doc;
}

TXMLDocument ParseXml(std::string_view text) {
    return ParseOwnedText(std::string(text), 0);
}

TXMLDocument ReadXmlFile(const std::string& path, const ProgressHooks* progress) {
    ProgressTicker ticker(progress);
    std::string bytes;
    if (ticker.Active()) {
        ticker.Report(0);
        bytes = ReadWholeFile(path, [&](std::uint64_t done, std::uint64_t total) {
            ticker.SetTotal(2 * total);
            ticker.At(done);
        });
    } else {
        bytes = ReadWholeFile(path);
    }
    const std::uint64_t size = bytes.size();
    ticker.SetTotal(2 * size);
    ProgressTicker* const parseTicker = ticker.Active() ? &ticker : nullptr;
    // A byte order mark says UTF-8; it is no character of the document.
    const std::size_t from = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    TXMLDocument doc =
        IsValidUtf8(std::string_view(bytes).substr(from))
            ? ParseOwnedText(std::move(bytes), from, nullptr, parseTicker, size + from)
            : ParseOwnedText(XmlTextAsUtf8(bytes.substr(from)), 0, nullptr, parseTicker, size);
    ticker.Report(2 * size);
    doc.SetFile(std::filesystem::path(path).filename().string());
    return doc;
}

bool IsXmlName(std::string_view name) {
    if (name.empty() || !IsNameStart(name[0]))
        return false;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (IsNameChar(name[i]))
            continue;
        if (name[i] == static_cast<char>(0xC2) && i + 1 < name.size() &&
            name[i + 1] == static_cast<char>(0xB7)) {
            ++i;
            continue;
        }
        return false;
    }
    return true;
}

bool IsReservedXmlName(std::string_view name) {
    return name.size() == 3 && (name[0] | 0x20) == 'x' && (name[1] | 0x20) == 'm' &&
           (name[2] | 0x20) == 'l';
}

void PrintXmlTree(const TXMLNode& document, std::ostream& out) {
    // Depth first with a list of its own: documents may nest deeper than the
    // call stack reaches.
    std::vector<std::pair<const TXMLNode*, std::size_t>> pending{{&document, 0}};
    while (!pending.empty()) {
        const auto [node, depth] = pending.back();
        pending.pop_back();
        out << std::string(2 * depth, ' ') << NodeCaption(*node) << '\n';
        const TXMLNodeList children = node->children();
        for (std::size_t i = children.size(); i-- > 0;)
            pending.emplace_back(&children[i], depth + 1);
    }
}

std::string NodeCaption(const TXMLNode& node) {
    const auto join = [](std::initializer_list<std::string_view> parts) {
        std::string text;
        for (std::string_view p : parts)
            text += p;
        return text;
    };
    const std::string_view name = node.name();
    const std::string_view value = node.value();
    switch (node.kind()) {
    case TXMLNode::Document:
        return join({"File: ", node.file()});
    case TXMLNode::Element:
    case TXMLNode::Attribute:
        return value.empty() ? std::string(name) : join({name, " = ", value});
    case TXMLNode::ProcessingInstruction:
        return value.empty() ? join({name, "ProcessingInstruction"})
                             : join({name, "ProcessingInstruction = ", value});
    case TXMLNode::XMLDeclaration:
        return "XMLDeclaration";
    }
    return {};
}

namespace {

// Length of the UTF-8 sequence at s[i], or 0 when it is not one.
std::size_t Utf8SequenceAt(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = b(i);
    std::size_t len = 0;
    unsigned long code = 0;
    unsigned long min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        len = 2;
        code = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        len = 3;
        code = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        len = 4;
        code = lead & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (b(i + k) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return len;
}

bool IsValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        // 32 ASCII bytes at a time: most documents are nothing else.
        if (i + 32 <= s.size()) {
            std::uint64_t words[4];
            std::memcpy(words, s.data() + i, sizeof words);
            if (((words[0] | words[1] | words[2] | words[3]) & 0x8080808080808080u) == 0) {
                i += sizeof words;
                continue;
            }
        }
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t len = Utf8SequenceAt(s, i);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

} // namespace

std::string XmlTextAsUtf8(std::string bytes) {
    if (IsValidUtf8(bytes))
        return bytes;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char ch : bytes)
        AppendUtf8(out, static_cast<unsigned char>(ch));
    return out;
}

} // namespace gw
