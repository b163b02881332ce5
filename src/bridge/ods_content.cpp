#include "bridge/ods_content.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <vector>

namespace gw {

namespace {

bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Names are checked by their bytes: ASCII as XML has it, any byte of a
// multibyte UTF-8 character allowed.
bool IsNameStart(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(int c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// An XML text read in one pass as element starts, element ends and texts,
// its bytes asked for a piece at a time: only the markup being read is held.
// Comments, processing instructions, the declaration and a document type are
// read past; markup that is not well-formed ends the reading with the reason.
// Entities other than XML's five are not known (a document type's own are
// not read). Names are taken as written, prefix included: no namespace is
// resolved. The text is taken to be UTF-8, as the format has it; its bytes
// are passed on as they stand.
class XmlPull {
public:
    enum class Token { Start, End, Text, Done };

    XmlPull(const PartPieces& pieces, std::string part) : pieces_(pieces), part_(std::move(part)) {}

    Token Next();

    // The element of a Start or an End.
    std::string_view Name() const {
        const std::size_t begin = ends_.size() > 1 ? ends_[ends_.size() - 2] : 0;
        return std::string_view(names_).substr(begin, ends_.back() - begin);
    }
    // The element's depth: 1 for the root.
    std::size_t Depth() const { return ends_.size(); }
    // The element the element of a Start or an End is in; empty for the root.
    std::string_view Parent() const {
        if (ends_.size() < 2)
            return {};
        const std::size_t begin = ends_.size() > 2 ? ends_[ends_.size() - 3] : 0;
        return std::string_view(names_).substr(begin, ends_[ends_.size() - 2] - begin);
    }
    // An attribute of a Start, its references resolved.
    std::optional<std::string_view> Attribute(std::string_view name) const {
        for (const Attr& a : attrs_)
            if (std::string_view(attrText_).substr(a.name, a.nameSize) == name)
                return std::string_view(attrText_).substr(a.value, a.valueSize);
        return std::nullopt;
    }
    // The characters of a Text (of character data or a CDATA section), line
    // ends and references resolved.
    std::string_view Text() const { return text_; }

private:
    struct Attr {
        std::size_t name, nameSize, value, valueSize;
    };

    // The byte `i` places after the start of the markup being read; -1 past
    // the end.
    int Byte(std::size_t i) {
        const std::size_t at = at_ + i;
        if (at < buf_.size())
            return static_cast<unsigned char>(buf_[at]);
        return More(i);
    }
    int More(std::size_t i);
    [[noreturn]] void Fail(std::size_t i, const std::string& what) const;

    bool ReadText();
    void ReadStartTag();
    void ReadEndTag();
    void ReadInstruction();
    bool ReadBang();
    void ReadDoctype();
    std::size_t ScanName(std::size_t i);
    std::size_t Reference(std::size_t i, std::string& out);
    void CheckChar(std::size_t i, int c) {
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            Fail(i, "a control character");
    }
    void CheckUniqueAttributes(std::size_t i);
    void Finish();

    const PartPieces& pieces_;
    const std::string part_;
    std::string buf_;
    std::size_t at_ = 0;      // where the markup being read starts in buf_
    std::uint64_t base_ = 0;  // the offset of buf_[0] in the text
    std::uint64_t start_ = 0; // the offset of the text after a byte order mark
    bool started_ = false;
    bool ended_ = false; // no more pieces
    bool rootSeen_ = false;
    bool rootClosed_ = false;
    bool doctypeSeen_ = false;
    bool popNext_ = false; // the End just given leaves the stack on the next call
    bool endNext_ = false; // the Start just given had no content: its End comes next
    std::string names_;    // the open elements' names, one after the other
    std::vector<std::size_t> ends_;
    std::vector<Attr> attrs_;
    std::string attrText_;
    std::string text_;
};

int XmlPull::More(std::size_t i) {
    // What has been read is dropped; what is being read stays.
    if (at_ > 0) {
        buf_.erase(0, at_);
        base_ += at_;
        at_ = 0;
    }
    while (buf_.size() <= i) {
        if (ended_ || !pieces_(buf_)) {
            ended_ = true;
            return -1;
        }
    }
    return static_cast<unsigned char>(buf_[i]);
}

void XmlPull::Fail(std::size_t i, const std::string& what) const {
    throw std::runtime_error("its part " + part_ + " is not well-formed XML: " + what + " (byte " +
                             std::to_string(base_ + at_ + i + 1) + ")");
}

XmlPull::Token XmlPull::Next() {
    if (!started_) {
        started_ = true;
        if (Byte(0) == 0xEF && Byte(1) == 0xBB && Byte(2) == 0xBF) {
            at_ += 3;
            start_ = 3;
        }
    }
    if (popNext_) {
        popNext_ = false;
        ends_.pop_back();
        names_.resize(ends_.empty() ? 0 : ends_.back());
        if (ends_.empty())
            rootClosed_ = true;
    }
    if (endNext_) {
        endNext_ = false;
        popNext_ = true;
        return Token::End;
    }
    for (;;) {
        const int c = Byte(0);
        if (c < 0) {
            Finish();
            return Token::Done;
        }
        if (c != '<') {
            if (ReadText())
                return Token::Text;
            continue;
        }
        const int d = Byte(1);
        if (d == '/') {
            ReadEndTag();
            popNext_ = true;
            return Token::End;
        }
        if (d == '?') {
            ReadInstruction();
            continue;
        }
        if (d == '!') {
            if (ReadBang())
                return Token::Text;
            continue;
        }
        ReadStartTag();
        return Token::Start;
    }
}

void XmlPull::Finish() {
    if (!ends_.empty())
        Fail(0, "the text ends inside <" + std::string(Name()) + ">");
    if (!rootSeen_)
        Fail(0, "there is no element");
}

std::size_t XmlPull::ScanName(std::size_t i) {
    if (!IsNameStart(Byte(i)))
        return i;
    ++i;
    while (IsNameChar(Byte(i)))
        ++i;
    return i;
}

// Resolves the reference at `i` (its '&') into `out`; the place after it.
std::size_t XmlPull::Reference(std::size_t i, std::string& out) {
    char ref[32];
    std::size_t n = 0;
    for (std::size_t j = i + 1;; ++j) {
        const int c = Byte(j);
        if (c == ';')
            break;
        if (c < 0 || n == sizeof ref || IsSpace(c) || c == '<' || c == '&')
            Fail(i, "a '&' that starts no reference");
        ref[n++] = static_cast<char>(c);
    }
    const std::string_view name(ref, n);
    if (name == "lt")
        out += '<';
    else if (name == "gt")
        out += '>';
    else if (name == "amp")
        out += '&';
    else if (name == "quot")
        out += '"';
    else if (name == "apos")
        out += '\'';
    else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        std::uint32_t code = 0;
        const auto [end, ec] =
            std::from_chars(digits.data(), digits.data() + digits.size(), code, hex ? 16 : 10);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
            digits[0] == '+' || digits[0] == '-' || !IsXmlChar(code))
            Fail(i, "a reference to no character XML allows, &" + std::string(name) + ";");
        AppendUtf8(out, code);
    } else {
        Fail(i, "an unknown entity, &" + std::string(name) + ";");
    }
    return i + n + 2;
}

bool XmlPull::ReadText() {
    const bool outside = ends_.empty();
    text_.clear();
    std::size_t i = 0;
    for (;;) {
        const int c = Byte(i);
        if (c < 0 || c == '<')
            break;
        if (outside && !IsSpace(c))
            Fail(i, rootClosed_ ? "text after the root element" : "text before the root element");
        if (c == '&') {
            i = Reference(i, text_);
            continue;
        }
        if (c == '\r') { // a line end, as XML reads it
            text_ += '\n';
            if (Byte(++i) == '\n')
                ++i;
            continue;
        }
        CheckChar(i, c);
        if (c == '>' && i >= 2 && buf_[at_ + i - 1] == ']' && buf_[at_ + i - 2] == ']')
            Fail(i, "\"]]>\" in text");
        text_ += static_cast<char>(c);
        ++i;
    }
    at_ += i;
    return !outside;
}

void XmlPull::ReadStartTag() {
    if (rootClosed_)
        Fail(0, "a second root element");
    const std::size_t nameEnd = ScanName(1);
    if (nameEnd == 1)
        Fail(0, Byte(1) < 0 ? "the text ends inside a markup" : "a '<' that starts no markup");
    if (ends_.size() >= kMaxXmlDepth)
        throw std::runtime_error("its part " + part_ + " nests its elements more than " +
                                 std::to_string(kMaxXmlDepth) + " deep");
    attrs_.clear();
    attrText_.clear();
    std::size_t i = nameEnd;
    bool empty = false;
    for (;;) {
        bool spaced = false;
        int c;
        while (IsSpace(c = Byte(i))) {
            spaced = true;
            ++i;
        }
        if (c == '>') {
            ++i;
            break;
        }
        if (c == '/') {
            if (Byte(i + 1) != '>')
                Fail(i, "a '/' in a tag");
            i += 2;
            empty = true;
            break;
        }
        if (c < 0)
            Fail(i, "the text ends inside a tag");
        if (!IsNameStart(c))
            Fail(i, "a character that belongs in no tag");
        if (!spaced)
            Fail(i, "attributes not parted by a space");
        const std::size_t attrEnd = ScanName(i);
        Attr a{attrText_.size(), attrEnd - i, 0, 0};
        attrText_.append(buf_, at_ + i, attrEnd - i);
        i = attrEnd;
        while (IsSpace(Byte(i)))
            ++i;
        if (Byte(i) != '=')
            Fail(i, "an attribute without a value");
        ++i;
        while (IsSpace(Byte(i)))
            ++i;
        const int quote = Byte(i);
        if (quote != '"' && quote != '\'')
            Fail(i, "an attribute value without quotes");
        ++i;
        a.value = attrText_.size();
        for (;;) {
            c = Byte(i);
            if (c < 0)
                Fail(i, "the text ends inside an attribute value");
            if (c == quote) {
                ++i;
                break;
            }
            if (c == '<')
                Fail(i, "a '<' in an attribute value");
            if (c == '&') {
                i = Reference(i, attrText_);
                continue;
            }
            CheckChar(i, c);
            // White space is a space in an attribute value, a line end one space.
            if (c == '\r' && Byte(i + 1) == '\n')
                ++i;
            attrText_ += IsSpace(c) ? ' ' : static_cast<char>(c);
            ++i;
        }
        a.valueSize = attrText_.size() - a.value;
        attrs_.push_back(a);
    }
    CheckUniqueAttributes(i);
    names_.append(buf_, at_ + 1, nameEnd - 1);
    ends_.push_back(names_.size());
    rootSeen_ = true;
    endNext_ = empty;
    at_ += i;
}

void XmlPull::CheckUniqueAttributes(std::size_t i) {
    auto name = [&](const Attr& a) {
        return std::string_view(attrText_).substr(a.name, a.nameSize);
    };
    bool twice = false;
    if (attrs_.size() <= 16) {
        for (std::size_t a = 0; a < attrs_.size() && !twice; ++a)
            for (std::size_t b = a + 1; b < attrs_.size() && !twice; ++b)
                twice = name(attrs_[a]) == name(attrs_[b]);
    } else {
        std::vector<std::string_view> names;
        names.reserve(attrs_.size());
        for (const Attr& a : attrs_)
            names.push_back(name(a));
        std::sort(names.begin(), names.end());
        twice = std::adjacent_find(names.begin(), names.end()) != names.end();
    }
    if (twice)
        Fail(i, "an attribute given twice in one tag");
}

void XmlPull::ReadEndTag() {
    const std::size_t nameEnd = ScanName(2);
    if (nameEnd == 2)
        Fail(0, Byte(2) < 0 ? "the text ends inside a markup" : "a '</' that starts no end tag");
    const std::string_view name(buf_.data() + at_ + 2, nameEnd - 2);
    if (ends_.empty())
        Fail(0, "</" + std::string(name) + "> closes no element");
    if (name != Name())
        Fail(0, "</" + std::string(name) + "> closes <" + std::string(Name()) + ">");
    std::size_t i = nameEnd;
    while (IsSpace(Byte(i)))
        ++i;
    if (Byte(i) != '>')
        Fail(i, Byte(i) < 0 ? "the text ends inside a tag" : "a character that belongs in no tag");
    at_ += i + 1;
}

void XmlPull::ReadInstruction() {
    const std::size_t targetEnd = ScanName(2);
    if (targetEnd == 2)
        Fail(0, "a processing instruction without a target");
    std::string target(buf_, at_ + 2, targetEnd - 2);
    for (char& ch : target)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    if (target == "xml" && base_ + at_ != start_)
        Fail(0, "an XML declaration after the start");
    for (std::size_t i = targetEnd;; ++i) {
        const int c = Byte(i);
        if (c < 0)
            Fail(0, "a processing instruction that is not closed");
        if (c == '?' && Byte(i + 1) == '>') {
            at_ += i + 2;
            return;
        }
        CheckChar(i, c);
    }
}

// A comment, a CDATA section (given as a Text: true) or a document type.
bool XmlPull::ReadBang() {
    auto follows = [&](std::string_view what) {
        for (std::size_t k = 0; k < what.size(); ++k)
            if (Byte(2 + k) != static_cast<unsigned char>(what[k]))
                return false;
        return true;
    };
    if (follows("--")) {
        for (std::size_t i = 4;; ++i) {
            const int c = Byte(i);
            if (c < 0)
                Fail(0, "a comment that is not closed");
            if (c == '-' && Byte(i + 1) == '-') {
                if (Byte(i + 2) != '>')
                    Fail(i, "\"--\" inside a comment");
                at_ += i + 3;
                return false;
            }
            CheckChar(i, c);
        }
    }
    if (follows("[CDATA[")) {
        if (ends_.empty())
            Fail(0, "a CDATA section outside the root element");
        text_.clear();
        for (std::size_t i = 9;;) {
            const int c = Byte(i);
            if (c < 0)
                Fail(0, "a CDATA section that is not closed");
            if (c == ']' && Byte(i + 1) == ']' && Byte(i + 2) == '>') {
                at_ += i + 3;
                return true;
            }
            CheckChar(i, c);
            if (c == '\r') {
                text_ += '\n';
                if (Byte(++i) == '\n')
                    ++i;
                continue;
            }
            text_ += static_cast<char>(c);
            ++i;
        }
    }
    if (follows("DOCTYPE")) {
        ReadDoctype();
        return false;
    }
    Fail(0, "a '<!' that starts no comment, CDATA section or document type");
}

// The document type is read past, its internal subset with it.
void XmlPull::ReadDoctype() {
    if (rootSeen_ || doctypeSeen_)
        Fail(0, "a document type that is not the first markup");
    doctypeSeen_ = true;
    int depth = 0;
    for (std::size_t i = 9;; ++i) {
        const int c = Byte(i);
        if (c < 0)
            Fail(0, "a document type that is not closed");
        CheckChar(i, c);
        if (c == '"' || c == '\'') {
            for (++i; Byte(i) != c; ++i)
                if (Byte(i) < 0)
                    Fail(0, "a document type that is not closed");
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (c == '>' && depth <= 0) {
            at_ += i + 1;
            return;
        }
    }
}

// --- the sheets ---------------------------------------------------------

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// Reads the digits at `at` of `s` into `value` (at most 9 of them).
bool Digits(std::string_view s, std::size_t& at, int& value, std::size_t least = 1) {
    const std::size_t begin = at;
    value = 0;
    while (at < s.size() && s[at] >= '0' && s[at] <= '9' && at - begin < 9)
        value = value * 10 + (s[at++] - '0');
    return at - begin >= least && (at == s.size() || s[at] < '0' || s[at] > '9');
}

// A decimal number of xsd:double as text (office:value); nullopt when it is none.
std::optional<std::string> NumberValue(std::optional<std::string_view> attr) {
    if (!attr)
        return std::nullopt;
    std::string_view s = Trimmed(*attr);
    if (s.starts_with('+'))
        s.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size())
        return std::nullopt;
    return NumberCellText(value);
}

std::optional<std::string> BooleanValue(std::optional<std::string_view> attr) {
    if (!attr)
        return std::nullopt;
    const std::string_view s = Trimmed(*attr);
    if (s == "true" || s == "1")
        return "TRUE";
    if (s == "false" || s == "0")
        return "FALSE";
    return std::nullopt;
}

// A date, with a time of day when it has one (office:date-value,
// "2024-03-05" or "2024-03-05T13:04:59.75", a zone after it read past):
// "2024-03-05", "2024-03-05 13:04:59", as the .xls reader gives them.
std::optional<std::string> DateValue(std::optional<std::string_view> attr) {
    if (!attr)
        return std::nullopt;
    const std::string_view s = Trimmed(*attr);
    std::size_t at = s.starts_with('-') ? 1 : 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool fraction = false;
    if (!Digits(s, at, year, 4) || at == s.size() || s[at++] != '-' || !Digits(s, at, month) ||
        at == s.size() || s[at++] != '-' || !Digits(s, at, day))
        return std::nullopt;
    if (s.starts_with('-'))
        year = -year;
    if (at < s.size() && s[at] == 'T') {
        ++at;
        if (!Digits(s, at, hour) || at == s.size() || s[at++] != ':' || !Digits(s, at, minute) ||
            at == s.size() || s[at++] != ':' || !Digits(s, at, second))
            return std::nullopt;
        if (at < s.size() && s[at] == '.') {
            const std::size_t digits = ++at;
            for (; at < s.size() && s[at] >= '0' && s[at] <= '9'; ++at)
                fraction = fraction || s[at] != '0';
            if (at == digits)
                return std::nullopt;
        }
    }
    if (at < s.size() && s[at] == 'Z') {
        ++at;
    } else if (at < s.size() && (s[at] == '+' || s[at] == '-')) {
        int zoneHour = 0, zoneMinute = 0;
        ++at;
        if (!Digits(s, at, zoneHour) || at == s.size() || s[at++] != ':' ||
            !Digits(s, at, zoneMinute))
            return std::nullopt;
    }
    if (at != s.size())
        return std::nullopt;
    char text[64];
    if (hour == 0 && minute == 0 && second == 0 && !fraction)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour,
                      minute, second);
    return text;
}

// A duration (office:time-value, "PT13H04M05S", "P1DT2H"): "13:04:05",
// "26:00:00", as the .xls reader gives a time. Fractions of a second are cut
// off; years, months and negative durations are no time of day.
std::optional<std::string> TimeValue(std::optional<std::string_view> attr) {
    if (!attr)
        return std::nullopt;
    const std::string_view s = Trimmed(*attr);
    std::size_t at = 0;
    if (at == s.size() || s[at++] != 'P')
        return std::nullopt;
    std::int64_t seconds = 0;
    bool inTime = false;
    bool any = false;
    while (at < s.size()) {
        if (s[at] == 'T' && !inTime) {
            inTime = true;
            ++at;
            continue;
        }
        int n = 0;
        if (!Digits(s, at, n))
            return std::nullopt;
        if (inTime && at < s.size() && s[at] == '.') { // fraction of a second
            while (++at < s.size() && s[at] >= '0' && s[at] <= '9') {
            }
            if (at == s.size() || s[at] != 'S')
                return std::nullopt;
        }
        if (at == s.size())
            return std::nullopt;
        const char unit = s[at++];
        if (!inTime && unit == 'D')
            seconds += std::int64_t{n} * 86400;
        else if (inTime && unit == 'H')
            seconds += std::int64_t{n} * 3600;
        else if (inTime && unit == 'M')
            seconds += std::int64_t{n} * 60;
        else if (inTime && unit == 'S')
            seconds += n;
        else
            return std::nullopt;
        any = true;
    }
    if (!any)
        return std::nullopt;
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

// The most that a table:number-*-repeated counts: far beyond any sheet, low
// enough that the places added up cannot overflow.
constexpr std::uint64_t kMaxRepeat = std::uint64_t{1} << 32;
// Beyond every cell a sheet can hold; places past it stay there.
constexpr std::uint64_t kFar = std::uint64_t{1} << 60;
// The most spaces that text:s elements may add to one sheet's cells: a few
// bytes could otherwise ask for gigabytes of spaces.
constexpr std::uint64_t kMaxAddedSpaces = std::uint64_t{1} << 24;

// A count of table:number-columns-repeated, table:number-rows-repeated or
// text:c; 1 when absent or no positive number.
std::uint64_t Count(std::optional<std::string_view> attr) {
    if (!attr)
        return 1;
    const std::string_view s = Trimmed(*attr);
    std::uint64_t n = 0;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return 1;
        n = std::min(kMaxRepeat, n * 10 + static_cast<std::uint64_t>(c - '0'));
    }
    return n == 0 ? 1 : n;
}

[[noreturn]] void SheetTooLarge() {
    throw std::length_error("the sheet has more than " + std::to_string(kMaxSheetCells) + " cells");
}

// The elements that hold the rows of a sheet, besides the sheet itself.
bool IsRowGroup(std::string_view name) {
    return name == "table:table-row-group" || name == "table:table-header-rows" ||
           name == "table:table-rows";
}

// What a content.xml says of its sheets. Every writer names the elements
// with the prefixes the format's own documents use ("office:", "table:",
// "text:"), so the names are compared as written. A sheet is a table:table
// of office:spreadsheet; its rows are the table:table-row in it, in row
// groups or not; a row's cells its table:table-cell and
// table:covered-table-cell (a cell hidden under a merged one keeps its
// place, and what it holds). A cell's text is its text:p paragraphs, one
// line each, without what is in an annotation, a note or a drawing.
class ContentReader {
public:
    ContentReader(XmlPull& xml, std::string_view sheetName, SheetReadReply& reply,
                  ProgressTicker* ticker)
        : xml_(xml), sheetName_(sheetName), reply_(reply), ticker_(ticker) {}

    void Read() {
        for (;;) {
            switch (xml_.Next()) {
            case XmlPull::Token::Start:
                Start();
                break;
            case XmlPull::Token::End:
                End();
                break;
            case XmlPull::Token::Text:
                if (paragraph_ && !skipped_ && collect_)
                    text_ += xml_.Text();
                break;
            case XmlPull::Token::Done:
                return;
            }
        }
    }

private:
    void Start();
    void End();
    void StartSheet(std::size_t depth);
    void StartRow(std::size_t depth);
    void EndRow();
    void StartCell(std::size_t depth);
    void EndCell();
    void AddSpaces(std::uint64_t n);

    XmlPull& xml_;
    const std::string sheetName_;
    SheetReadReply& reply_;
    ProgressTicker* ticker_;

    // The depths of the elements being read; 0 outside them.
    std::size_t spreadsheet_ = 0, sheet_ = 0, row_ = 0, cell_ = 0, paragraph_ = 0;
    // The element whose content does not count (another sheet, an annotation...).
    std::size_t skipped_ = 0;

    std::uint64_t rowAt_ = 0, columnAt_ = 0;
    std::uint64_t rowRepeat_ = 1, columnRepeat_ = 1;
    // The columns given a text in this row: first, count.
    std::vector<std::pair<int, int>> runs_;
    std::optional<std::string> value_; // the cell's, by its attributes
    bool collect_ = false;             // the cell's text is that of its paragraphs
    std::string text_;
    std::size_t paragraphs_ = 0;
    std::uint64_t addedSpaces_ = 0;
};

void ContentReader::Start() {
    if (skipped_)
        return;
    const std::string_view name = xml_.Name();
    const std::size_t depth = xml_.Depth();
    if (paragraph_) {
        if (name == "office:annotation" || name == "text:note" || name.starts_with("draw:"))
            skipped_ = depth;
        else if (!collect_)
            return;
        else if (name == "text:s")
            AddSpaces(Count(xml_.Attribute("text:c")));
        else if (name == "text:tab")
            text_ += '\t';
        else if (name == "text:line-break")
            text_ += '\n';
        return;
    }
    if (cell_) {
        if (name == "text:p" && depth == cell_ + 1) {
            paragraph_ = depth;
            if (collect_ && paragraphs_++ > 0)
                text_ += '\n';
        } else {
            skipped_ = depth;
        }
        return;
    }
    if (row_) {
        if ((name == "table:table-cell" || name == "table:covered-table-cell") && depth == row_ + 1)
            StartCell(depth);
        else
            skipped_ = depth;
        return;
    }
    if (sheet_) {
        if (name == "table:table-row")
            StartRow(depth);
        else if (!IsRowGroup(name))
            skipped_ = depth;
        return;
    }
    if (spreadsheet_) {
        if (name == "table:table" && depth == spreadsheet_ + 1)
            StartSheet(depth);
        return;
    }
    if (name == "office:spreadsheet" && xml_.Parent() == "office:body")
        spreadsheet_ = depth;
}

void ContentReader::End() {
    const std::size_t depth = xml_.Depth();
    if (skipped_) {
        if (depth == skipped_)
            skipped_ = 0;
    } else if (depth == paragraph_) {
        paragraph_ = 0;
    } else if (depth == cell_) {
        EndCell();
    } else if (depth == row_) {
        EndRow();
    } else if (depth == sheet_) {
        sheet_ = 0;
    } else if (depth == spreadsheet_) {
        spreadsheet_ = 0;
    }
}

void ContentReader::StartSheet(std::size_t depth) {
    const std::string_view name = xml_.Attribute("table:name").value_or("");
    reply_.sheetNames.emplace_back(name);
    if (reply_.found || !SheetMatches(name, sheetName_)) {
        skipped_ = depth; // only the wanted sheet's cells are read
        return;
    }
    reply_.found = true;
    sheet_ = depth;
    rowAt_ = 0;
}

void ContentReader::StartRow(std::size_t depth) {
    row_ = depth;
    rowRepeat_ = Count(xml_.Attribute("table:number-rows-repeated"));
    columnAt_ = 0;
    runs_.clear();
    if (ticker_)
        ticker_->At(rowAt_);
}

void ContentReader::EndRow() {
    row_ = 0;
    // A repeated row: its cells again in each of the rows it stands for,
    // unless they would be too many to hold.
    const std::uint64_t rows = rowAt_ + rowRepeat_;
    if (!runs_.empty() &&
        (rows > kMaxSheetCells ||
         rows * static_cast<std::uint64_t>(reply_.cells.Columns()) > kMaxSheetCells))
        SheetTooLarge();
    for (std::uint64_t r = 1; r < rowRepeat_ && !runs_.empty(); ++r) {
        const int row = static_cast<int>(rowAt_ + r);
        for (const auto& [first, count] : runs_)
            for (int c = first; c < first + count; ++c)
                reply_.cells.Repeat(row, c, static_cast<int>(rowAt_), c);
        if (ticker_)
            ticker_->At(rowAt_ + r);
    }
    rowAt_ = std::min(kFar, rowAt_ + rowRepeat_);
}

void ContentReader::StartCell(std::size_t depth) {
    cell_ = depth;
    columnRepeat_ = Count(xml_.Attribute("table:number-columns-repeated"));
    value_.reset();
    collect_ = false;
    text_.clear();
    paragraphs_ = 0;
    // A formula cell's value is its last result, given as any cell's.
    const std::optional<std::string_view> type = xml_.Attribute("office:value-type");
    if (!type)
        return;
    if (*type == "float" || *type == "percentage" || *type == "currency") {
        value_ = NumberValue(xml_.Attribute("office:value"));
    } else if (*type == "boolean") {
        value_ = BooleanValue(xml_.Attribute("office:boolean-value"));
    } else if (*type == "date") {
        value_ = DateValue(xml_.Attribute("office:date-value"));
    } else if (*type == "time") {
        value_ = TimeValue(xml_.Attribute("office:time-value"));
    } else if (*type == "string") {
        const auto value = xml_.Attribute("office:string-value");
        if (value && !value->empty())
            value_ = std::string(*value);
    } else {
        return;
    }
    // A value missing or unreadable: the cell as the writer shows it.
    collect_ = !value_;
}

void ContentReader::EndCell() {
    cell_ = 0;
    const std::string* text = value_ ? &*value_ : collect_ && !text_.empty() ? &text_ : nullptr;
    if (text) {
        const std::uint64_t last = columnAt_ + columnRepeat_ - 1;
        if (rowAt_ >= kMaxSheetCells || last >= kMaxSheetCells)
            SheetTooLarge();
        const int row = static_cast<int>(rowAt_);
        const int first = static_cast<int>(columnAt_);
        // The last column first: the sheet is widened once for the whole run.
        reply_.cells.Set(row, static_cast<int>(last), *text);
        for (int c = first; c < static_cast<int>(last); ++c)
            reply_.cells.Repeat(row, c, row, static_cast<int>(last));
        runs_.emplace_back(first, static_cast<int>(columnRepeat_));
    }
    columnAt_ = std::min(kFar, columnAt_ + columnRepeat_);
}

void ContentReader::AddSpaces(std::uint64_t n) {
    addedSpaces_ += n;
    if (addedSpaces_ > kMaxAddedSpaces)
        throw std::length_error("the sheet holds more text than can be read");
    text_.append(static_cast<std::size_t>(n), ' ');
}

} // namespace

void ReadOdsContent(const PartPieces& pieces, std::string_view sheetName, SheetReadReply& reply,
                    ProgressTicker* ticker) {
    XmlPull xml(pieces, "content.xml");
    ContentReader(xml, sheetName, reply, ticker).Read();
}

} // namespace gw
