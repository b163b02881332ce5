#include "bridge/bridge_xml.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "xml/xml_document.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace gw {

namespace {

// Documents up to this size are parsed whole; bigger ones in pieces of about it.
constexpr std::size_t kPieceBytes = std::size_t(1) << 20;

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// A name may start with a letter, "_", ":" or any character beyond ASCII.
bool IsNameStartByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u == ':' || u >= 0x80;
}

// Where the text of a document lies that is a root element with entries:
// `cuts` are the bounds of its pieces inside the root (first the start of the
// root's content, last the start of its end tag), each piece a run of whole
// entries. nullopt for a document of any other shape, or one the scan finds
// not well-formed: it is read whole.
std::optional<std::vector<std::size_t>> PieceCuts(std::string_view text, std::size_t pieceBytes) {
    std::size_t pos = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < text.size() && IsXmlSpace(text[pos]))
        ++pos;
    if (pos + 1 >= text.size() || text[pos] != '<' || !IsNameStartByte(text[pos + 1]))
        return std::nullopt;
    const std::size_t nameBegin = pos + 1;
    std::size_t nameEnd = nameBegin;
    while (nameEnd < text.size() && !IsXmlSpace(text[nameEnd]) && text[nameEnd] != '/' &&
           text[nameEnd] != '>')
        ++nameEnd;
    const std::string_view rootName = text.substr(nameBegin, nameEnd - nameBegin);

    // Past the start tag at `at` (its "<"); npos when it does not end. `empty`
    // tells a tag ended by "/>".
    const auto skipTag = [&](std::size_t at, bool& empty) {
        for (std::size_t i = at + 1; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '"' || c == '\'') {
                i = text.find(c, i + 1);
                if (i == std::string_view::npos)
                    return std::string_view::npos;
            } else if (c == '<') {
                return std::string_view::npos;
            } else if (c == '>') {
                empty = text[i - 1] == '/';
                return i + 1;
            }
        }
        return std::string_view::npos;
    };
    const auto past = [&](std::size_t from, std::string_view end) {
        const std::size_t at = text.find(end, from);
        return at == std::string_view::npos ? at : at + end.size();
    };

    bool empty = false;
    pos = skipTag(pos, empty);
    if (pos == std::string_view::npos || empty)
        return std::nullopt;
    std::vector<std::size_t> cuts{pos};
    int depth = 0;
    for (;;) {
        pos = text.find('<', pos);
        if (pos == std::string_view::npos)
            return std::nullopt;
        const std::string_view rest = text.substr(pos);
        if (rest.starts_with("<!--")) {
            pos = past(pos + 4, "-->");
        } else if (rest.starts_with("<![CDATA[")) {
            pos = past(pos + 9, "]]>");
        } else if (rest.starts_with("<!")) {
            return std::nullopt; // a doctype is no entry's
        } else if (rest.starts_with("<?")) {
            // A declaration stands only at the start of a document.
            if (rest.size() >= 6 && (rest[2] | 0x20) == 'x' && (rest[3] | 0x20) == 'm' &&
                (rest[4] | 0x20) == 'l' && (IsXmlSpace(rest[5]) || rest[5] == '?'))
                return std::nullopt;
            pos = past(pos + 2, "?>");
        } else if (rest.starts_with("</")) {
            const std::size_t close = text.find('>', pos + 2);
            if (close == std::string_view::npos)
                return std::nullopt;
            if (depth == 0) {
                std::string_view name = text.substr(pos + 2, close - pos - 2);
                while (!name.empty() && IsXmlSpace(name.back()))
                    name.remove_suffix(1);
                if (name != rootName)
                    return std::nullopt;
                for (std::size_t i = close + 1; i < text.size(); ++i)
                    if (!IsXmlSpace(text[i]))
                        return std::nullopt; // what follows the root is read whole
                if (cuts.back() != pos)
                    cuts.push_back(pos);
                return cuts;
            }
            --depth;
            pos = close + 1;
        } else {
            if (rest.size() < 2 || !IsNameStartByte(rest[1]))
                return std::nullopt;
            pos = skipTag(pos, empty);
            if (pos != std::string_view::npos && !empty)
                ++depth;
        }
        if (pos == std::string_view::npos)
            return std::nullopt;
        if (depth == 0 && pos - cuts.back() >= pieceBytes)
            cuts.push_back(pos);
    }
}

// Parses one piece of entries into `doc`; false when it is not well-formed.
bool ParsePiece(pugi::xml_document& doc, std::string& scratch, std::string_view piece) {
    scratch.assign(piece);
    return static_cast<bool>(doc.load_buffer_inplace(scratch.data(), scratch.size(),
                                                     kXmlParseOptions | pugi::parse_fragment,
                                                     pugi::encoding_utf8));
}

BridgeLoad ReadWhole(const std::string& path, const std::function<void(pugi::xml_node)>& entry) {
    BridgeLoad result;
    result.fileFound = true;
    int number = 0;
    try {
        const XmlDocument doc = XmlDocument::LoadFile(path);
        for (pugi::xml_node n = doc.Root().first_child(); n; n = n.next_sibling()) {
            ++number;
            entry(n);
        }
    } catch (const WorkCancelled&) {
        throw;
    } catch (const std::exception& e) {
        result.error = number > 0 ? EntryErrorText(number, e.what()) : std::string(e.what());
        result.errorEntry = number;
    }
    return result;
}

} // namespace

std::string RequiredAttribute(pugi::xml_node node, const char* name) {
    std::optional<std::string> value = AttributeText(node, name);
    if (!value)
        throw ConversionError(std::string("the attribute '") + name + "' is missing");
    return *value;
}

BridgeLoad ReadEntries(const std::string& path, const std::function<void(pugi::xml_node)>& entry,
                       const ProgressHooks* progress, const ExpectEntries& expect) {
    return ReadEntriesInPieces(path, entry, progress, kPieceBytes, expect);
}

BridgeLoad ReadEntriesInPieces(const std::string& path,
                               const std::function<void(pugi::xml_node)>& entry,
                               const ProgressHooks* progress, std::size_t pieceBytes,
                               const ExpectEntries& expect) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return {};
    ProgressTicker ticker(progress);
    ticker.Report(0);
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size <= pieceBytes) // a small document, or no file: read whole
        return ReadWhole(path, entry);

    // Read, checked piece by piece, then parsed again for the entries: the
    // progress counts three times the size.
    ticker.SetTotal(3 * size);
    std::optional<std::vector<std::size_t>> cuts;
    {
        std::string text;
        try {
            text = ReadWholeFile(path, [&](std::uint64_t done, std::uint64_t) { ticker.At(done); });
        } catch (const FileError&) {
            return ReadWhole(path, entry); // its message, as any read gives it
        }
        cuts = PieceCuts(text, pieceBytes);
        pugi::xml_document doc;
        std::string scratch;
        std::size_t entries = 0;
        for (std::size_t i = 0; cuts && i + 1 < cuts->size(); ++i) {
            ticker.At(size + (*cuts)[i]);
            if (!ParsePiece(doc, scratch,
                            std::string_view(text).substr((*cuts)[i], (*cuts)[i + 1] - (*cuts)[i])))
                cuts.reset();
            else
                for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
                    ++entries;
        }
        if (cuts && expect)
            expect(entries);
        if (cuts) {
            BridgeLoad result;
            result.fileFound = true;
            int number = 0;
            try {
                for (std::size_t i = 0; i + 1 < cuts->size(); ++i) {
                    ticker.At(2 * size + (*cuts)[i]);
                    ParsePiece(
                        doc, scratch,
                        std::string_view(text).substr((*cuts)[i], (*cuts)[i + 1] - (*cuts)[i]));
                    for (pugi::xml_node n : doc.children()) {
                        ++number;
                        entry(n);
                    }
                }
            } catch (const WorkCancelled&) {
                throw;
            } catch (const std::exception& e) {
                result.error = EntryErrorText(number, e.what());
                result.errorEntry = number;
            }
            ticker.Report(3 * size);
            return result;
        }
    }
    // Its message, and the shapes the pieces do not follow, come from the
    // whole document.
    return ReadWhole(path, entry);
}

namespace {

// Entries printed at once; their nodes are then let go.
constexpr std::size_t kEntriesPerBatch = 4096;

} // namespace

EntryDocumentText::EntryDocumentText(const char* rootName, std::size_t expectedEntries,
                                     EntrySink sink)
    : rootName_(rootName), expected_(expectedEntries), sink_(std::move(sink)) {
    holder_ = batch_.append_child(rootName);
}

pugi::xml_node EntryDocumentText::Append(const char* entryName) {
    if (inBatch_ == kEntriesPerBatch)
        Flush();
    ++inBatch_;
    any_ = true;
    return holder_.append_child(entryName);
}

void EntryDocumentText::Flush() {
    if (printed_ == 0)
        text_ = "<" + rootName_ + ">";
    StringXmlWriter out(text_);
    for (pugi::xml_node n : holder_.children())
        n.print(out, "", pugi::format_raw, pugi::encoding_utf8);
    if (sink_) {
        sink_(text_);
        text_.clear();
    } else if (printed_ == 0 && expected_ > inBatch_ && inBatch_ > 0) {
        text_.reserve(text_.size() / inBatch_ * expected_ / 8 * 9 + 64);
    }
    printed_ += inBatch_;
    batch_.reset();
    holder_ = batch_.append_child(rootName_.c_str());
    inBatch_ = 0;
}

std::string EntryDocumentText::Finish() {
    if (!any_) { // an empty root, as the document prints it
        std::string empty;
        StringXmlWriter out(empty);
        batch_.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
        if (!sink_)
            return empty;
        sink_(empty);
        return {};
    }
    Flush();
    text_ += "</" + rootName_ + ">";
    if (!sink_)
        return std::move(text_);
    sink_(text_);
    return {};
}

void SaveDocumentText(const std::string& path, const std::string& text) {
    WriteFileAtomic(path, text);
}

} // namespace gw
