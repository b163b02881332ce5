#include "extras/xml_reader.h"

#include "common/file_io.h"

#include <filesystem>
#include <ostream>
#include <type_traits>
#include <utility>

namespace gw {

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
void AppendReference(std::string& out, const std::string& ref) {
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
            Fail("Invalid integer in reference &" + ref + ";");
        AppendUtf8(out, code);
    }
}

void TrimWhitespace(std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && IsWhitespace(s[end - 1]))
        --end;
    std::size_t begin = 0;
    while (begin < end && IsWhitespace(s[begin]))
        ++begin;
    if (begin > 0 || end < s.size())
        s = s.substr(begin, end - begin);
}

// Recursive descent over the reader's characters, one character of lookahead
// in `c_`. Elements are parsed with a stack of their own, so nesting depth is
// bounded by memory, not by the call stack.
template <class Reader> class Parser {
public:
    explicit Parser(Reader& reader) : r_(reader) {}

    TXMLNode Document() {
        Next();
        if (past_)
            Fail(kUnexpectedEnd);
        TXMLNode doc(TXMLNode::Document);
        if (c_ == '<')
            Declaration(doc);
        Misc(doc, true);
        if (!(c_ == '<' && RootFollows()))
            Fail(kMissingElement);
        Elements(doc);
        Misc(doc, false);
        return doc;
    }

private:
    struct Mark {
        TXMLStringReaderState state;
        bool past;
    };

    void Next() {
        past_ = r_.AtEnd();
        c_ = r_.ReadChar();
    }
    Mark Save() { return {r_.SaveState(), past_}; }
    void Restore(const Mark& m) {
        r_.RestoreState(m.state);
        c_ = m.state.current;
        past_ = m.past;
        r_.ReleaseState(m.state);
    }
    void Release(const Mark& m) { r_.ReleaseState(m.state); }

    // The reader over text in memory lets runs of plain characters be taken
    // at once; any other reader goes character by character.
    static constexpr bool kScan = std::is_same_v<Reader, TXMLStringReader>;

    // Appends the run of characters from the current one up to (not
    // including) the first for which `stop` holds, and moves past it.
    template <class Stop> void TakeRun(std::string& out, Stop stop) {
        const std::string_view rest = r_.Rest();
        std::size_t n = 0;
        while (n < rest.size() && !stop(rest[n]))
            ++n;
        out.append(rest.data(), n);
        c_ = r_.Skip(n);
        past_ = r_.PastEnd();
    }
    bool AtDataEnd() const { return c_ == 0 && past_; }

    // Consumes `literal` when it stands here; otherwise stays put.
    bool Match(std::string_view literal) {
        const Mark m = Save();
        for (char ch : literal) {
            if (c_ != ch || AtDataEnd()) {
                Restore(m);
                return false;
            }
            Next();
        }
        Release(m);
        return true;
    }

    bool SkipWhitespace() {
        bool any = false;
        while (IsWhitespace(c_)) {
            any = true;
            Next();
        }
        return any;
    }

    // A name, or the empty text when none starts here.
    std::string Name() {
        std::string name;
        if (!IsNameStart(c_))
            return name;
        for (;;) {
            if constexpr (kScan)
                TakeRun(name, [](char ch) { return !IsNameChar(ch); });
            if (IsNameChar(c_) && !AtDataEnd()) {
                name.push_back(c_);
                Next();
            } else if (c_ == static_cast<char>(0xC2)) {
                // The middle dot in UTF-8 (0xC2 0xB7), as files are read.
                const Mark m = Save();
                Next();
                if (c_ != static_cast<char>(0xB7)) {
                    Restore(m);
                    return name;
                }
                Release(m);
                name += "\xC2\xB7";
                Next();
            } else {
                return name;
            }
        }
    }

    // After "<": does a name follow (an element rather than markup or text)?
    bool RootFollows() {
        const Mark m = Save();
        Next();
        const bool element = IsNameStart(c_);
        Restore(m);
        return element;
    }

    // "<?xml" at the very start, followed by whitespace or "?"; a target such
    // as "xml-stylesheet" is a processing instruction instead.
    void Declaration(TXMLNode& doc) {
        const Mark m = Save();
        if (!Match("<?xml") || !(IsWhitespace(c_) || c_ == '?')) {
            Restore(m);
            return;
        }
        Release(m);
        TXMLNode decl(TXMLNode::XMLDeclaration);
        for (;;) {
            const bool space = SkipWhitespace();
            if (c_ == '?') {
                Next();
                if (c_ != '>')
                    Fail(kDeclNotTerminated);
                Next();
                break;
            }
            if (!(space && IsNameStart(c_)))
                Fail(kDeclNotTerminated);
            Attribute(decl.children.emplace_back(TXMLNode::Attribute));
        }
        doc.children.push_back(std::move(decl));
    }

    // Whitespace, comments and processing instructions between the top-level
    // items; processing instructions become children of the document.
    void Misc(TXMLNode& doc, bool prolog) {
        for (;;) {
            if (SkipWhitespace())
                continue;
            if (c_ != '<' || AtDataEnd())
                return;
            if (Match("<!--"))
                Comment();
            else if (Match("<?"))
                doc.children.push_back(ProcessingInstruction());
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
            if (AtDataEnd())
                Fail(kUnexpectedEnd);
            if (c_ == '>' && dashes >= 2) {
                if (dashes > 2)
                    Fail(kCommentEnd);
                Next();
                return;
            }
            dashes = c_ == '-' ? dashes + 1 : 0;
            Next();
        }
    }

    // After "<?": the target, optional whitespace and the content up to "?>".
    TXMLNode ProcessingInstruction() {
        TXMLNode pi(TXMLNode::ProcessingInstruction);
        pi.name = Name();
        if (pi.name.empty())
            Fail(kPiName);
        if (IsReservedXmlName(pi.name))
            Fail(kMsgReservedPiName);
        SkipWhitespace();
        for (;;) {
            if (AtDataEnd())
                Fail(kPiUnterminated);
            if (c_ == '?') {
                Next();
                if (c_ == '>') {
                    Next();
                    return pi;
                }
                pi.value.push_back('?');
                continue;
            }
            pi.value.push_back(c_);
            Next();
        }
    }

    // At "&": the reference up to the next ";", its character appended.
    void Reference(std::string& out) {
        Next();
        std::string ref;
        while (c_ != ';') {
            if (AtDataEnd())
                Fail(kUnexpectedEnd);
            ref.push_back(c_);
            Next();
        }
        Next();
        AppendReference(out, ref);
    }

    // At a name start: name, optional whitespace, "=", optional whitespace and
    // a quoted value, read into `a` where it stands in its list.
    void Attribute(TXMLNode& a) {
        a.name = Name();
        SkipWhitespace();
        if (c_ != '=')
            Fail(kEqualsMissing);
        Next();
        SkipWhitespace();
        if (c_ != '"' && c_ != '\'')
            Fail("Attribute \"" + a.name + "\" missing value");
        const char quote = c_;
        Next();
        for (;;) {
            if constexpr (kScan)
                TakeRun(a.value,
                        [quote](char ch) { return ch == quote || ch == '<' || ch == '&'; });
            if (c_ == quote) {
                Next();
                return;
            }
            if (c_ == '<')
                Fail(kLtInAttribute);
            if (c_ == '&') {
                Reference(a.value);
                continue;
            }
            if (AtDataEnd())
                Fail(kUnexpectedEnd);
            a.value.push_back(c_);
            Next();
        }
    }

    // How many attributes the start tag at hand holds, to size its list once.
    std::size_t AttributesAhead() {
        std::size_t n = 0;
        char quote = 0;
        for (char ch : r_.Rest()) {
            if (quote) {
                if (ch == quote)
                    quote = 0;
            } else if (ch == '"' || ch == '\'') {
                quote = ch;
            } else if (ch == '=') {
                ++n;
            } else if (ch == '>') {
                break;
            }
        }
        return n;
    }

    // At a name start after "<": the name, then the attributes up to ">" or
    // "/>". True for an empty element.
    bool StartTag(TXMLNode& e) {
        e.name = Name();
        if constexpr (kScan)
            e.children.reserve(AttributesAhead());
        for (;;) {
            const bool space = SkipWhitespace();
            if (c_ == '/') {
                Next();
                if (c_ != '>')
                    Fail(kTagNotTerminated);
                Next();
                return true;
            }
            if (c_ == '>') {
                Next();
                return false;
            }
            if (!(space && IsNameStart(c_)))
                Fail(kTagNotTerminated);
            Attribute(e.children.emplace_back(TXMLNode::Attribute));
        }
    }

    // Character data up to the next "<" or "&" (or the end of the data).
    void CharData(std::string& value) {
        int brackets = 0;
        for (;;) {
            if constexpr (kScan) {
                // A run without "]" or ">" cannot hold "]]>".
                const std::size_t before = value.size();
                TakeRun(value,
                        [](char ch) { return ch == '<' || ch == '&' || ch == ']' || ch == '>'; });
                if (value.size() != before)
                    brackets = 0;
            }
            if (c_ == '<' || c_ == '&' || AtDataEnd())
                return;
            if (c_ == '>' && brackets >= 2)
                Fail(kCDataEnd);
            brackets = c_ == ']' ? brackets + 1 : 0;
            value.push_back(c_);
            Next();
        }
    }

    // After "<![CDATA[": the text up to "]]>", taken literally.
    void CData(std::string& value) {
        const std::size_t start = value.size();
        for (;;) {
            if (AtDataEnd())
                Fail(kUnexpectedEnd);
            if (c_ == '>' && value.size() - start >= 2 && value.ends_with("]]")) {
                value.resize(value.size() - 2);
                Next();
                return;
            }
            value.push_back(c_);
            Next();
        }
    }

    // At "<" and a name: the root element with everything inside it, built
    // where it stands. An open element's address holds: only its parent's list
    // could move it, and that list grows only after the element is closed.
    void Elements(TXMLNode& doc) {
        std::vector<TXMLNode*> open;
        const auto startChild = [&](TXMLNode& parent) {
            TXMLNode& e = parent.children.emplace_back(TXMLNode::Element);
            if (!StartTag(e))
                open.push_back(&e);
        };
        Next(); // the "<"
        startChild(doc);
        while (!open.empty()) {
            TXMLNode& e = *open.back();
            if (c_ == '&') {
                Reference(e.value);
                continue;
            }
            if (c_ != '<' || AtDataEnd()) {
                if (AtDataEnd())
                    Fail("No ending tag for " + e.name);
                CharData(e.value);
                continue;
            }
            const Mark m = Save();
            Next();
            if (c_ == '!') {
                Restore(m);
                // CDATA before comments, as the constructs are tried.
                if (Match("<![CDATA[")) {
                    CData(e.value);
                } else if (Match("<!--")) {
                    Comment();
                } else {
                    Fail("No ending tag for " + e.name);
                }
            } else if (c_ == '?') {
                Release(m);
                Next();
                e.children.push_back(ProcessingInstruction());
            } else if (IsNameStart(c_)) {
                Release(m);
                startChild(e);
            } else if (c_ == '/') {
                Release(m);
                Next();
                const std::string name = Name();
                if (name != e.name)
                    Fail("End tag name \"" + name + "\" does not match start tag name \"" + e.name +
                         "\"");
                SkipWhitespace();
                if (c_ != '>')
                    Fail(kEndTagMissing);
                Next();
                TrimWhitespace(e.value);
                open.pop_back();
            } else {
                Fail("No ending tag for " + e.name);
            }
        }
    }

    Reader& r_;
    char c_ = 0;
    bool past_ = false; // the reader has gone past its last character
};

} // namespace

TXMLNode ParseXml(TXMLReader& reader) {
    return Parser<TXMLReader>(reader).Document();
}

TXMLNode ParseXml(TXMLStringReader& reader) {
    return Parser<TXMLStringReader>(reader).Document();
}

TXMLNode ParseXml(std::string_view text) {
    TXMLStringReader reader(text);
    return ParseXml(reader);
}

TXMLNode ReadXmlFile(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    // A byte order mark says UTF-8; it is no character of the document.
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    TXMLNode doc = ParseXml(XmlTextAsUtf8(std::move(bytes)));
    doc.file = std::filesystem::path(path).filename().string();
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
        for (auto c = node->children.rbegin(); c != node->children.rend(); ++c)
            pending.emplace_back(&*c, depth + 1);
    }
}

std::string NodeCaption(const TXMLNode& node) {
    switch (node.kind) {
    case TXMLNode::Document:
        return "File: " + node.file;
    case TXMLNode::Element:
    case TXMLNode::Attribute:
        return node.value.empty() ? node.name : node.name + " = " + node.value;
    case TXMLNode::ProcessingInstruction:
        return node.value.empty() ? node.name + "ProcessingInstruction"
                                  : node.name + "ProcessingInstruction = " + node.value;
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
