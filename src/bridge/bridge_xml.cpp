#include "bridge/bridge_xml.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "xml/xml_document.h"
#include "xml/xml_pieces.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace gw {

namespace {

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
    return ReadEntriesInPieces(path, entry, progress, kXmlPieceBytes, expect);
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
    std::optional<ChildPieces> pieces;
    {
        std::string text;
        try {
            text = ReadWholeFile(path, [&](std::uint64_t done, std::uint64_t) { ticker.At(done); });
        } catch (const FileError&) {
            return ReadWhole(path, entry); // its message, as any read gives it
        }
        // Cut as guessed, or else as scanned; checked and counted.
        pugi::xml_document doc;
        std::size_t entries = 0;
        for (const PieceCuts how : {PieceCuts::Guessed, PieceCuts::Scanned}) {
            pieces = FindChildPieces(text, nullptr, pieceBytes, how);
            if (pieces && !OutsideChildrenAgrees(text, *pieces, nullptr))
                pieces.reset();
            entries = 0;
            for (std::size_t i = 0; pieces && i + 1 < pieces->cuts.size(); ++i) {
                ticker.At(size + pieces->cuts[i]);
                if (!ParseChildPiece(doc, text.data(), *pieces, i, false))
                    pieces.reset();
                else
                    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
                        ++entries;
            }
            if (pieces)
                break;
        }
        if (pieces && expect)
            expect(entries);
        if (pieces) {
            BridgeLoad result;
            result.fileFound = true;
            int number = 0;
            try {
                for (std::size_t i = 0; i + 1 < pieces->cuts.size(); ++i) {
                    ticker.At(2 * size + pieces->cuts[i]);
                    ParseChildPiece(doc, text.data(), *pieces, i, false);
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
