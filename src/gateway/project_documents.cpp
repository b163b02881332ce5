#include "gateway/project_documents.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "common/parse_int.h"
#include "common/project_files.h"
#include "gateway/frame_list.h"
#include "xml/xml_document.h"
#include "xml/xml_pieces.h"

#include <cstring>
#include <filesystem>

namespace gw {

namespace {

// Reads the file at doc.path when there is one: a big one a piece at a time
// with `pieces`, cut as guessed, then as scanned, each telling false when it
// would not do; a small one, and those, whole with `parse`. Any error leaves the value
// in state Failed with the error kept.
template <class Pieces, class Parse> void ReadInto(DocumentRead& doc, Pieces pieces, Parse parse) {
    switch (KindOfPath(doc.path)) {
    case PathKind::Missing:
        doc.state = DocumentState::Missing;
        return;
    case PathKind::Other:
        // A folder, a device or a dangling link where a document belongs is a
        // mistake to report, not a document to default.
        doc.error = std::make_exception_ptr(
            FileError("Cannot read file '" + doc.path + "': it is not a regular file"));
        break;
    case PathKind::RegularFile:
        try {
            FileBytes bytes = ReadFileBytes(doc.path);
            if (bytes.size <= kXmlPieceBytes) {
                parse(std::make_shared<XmlDocument>(
                    XmlDocument::LoadBytes(std::move(bytes), doc.path)));
            } else if (!pieces(std::make_shared<FileBytes>(std::move(bytes)), PieceCuts::Guessed) &&
                       !pieces(std::make_shared<FileBytes>(ReadFileBytes(doc.path)),
                               PieceCuts::Scanned)) {
                // Read again each time: the pieces were parsed where they lay.
                parse(std::make_shared<XmlDocument>(XmlDocument::LoadFile(doc.path)));
            }
            doc.state = DocumentState::Read;
            return;
        } catch (const std::exception&) {
            doc.error = std::current_exception();
        }
        break;
    }
    doc.state = DocumentState::Failed;
    try {
        std::rethrow_exception(doc.error);
    } catch (const std::exception& e) {
        doc.failure = Finding{doc.name, 0, 0, e.what()};
    }
}

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// strcmp(a, b) == 0 without a call: a big list has half a million names.
inline bool SameName(const char* a, const char* b) {
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// The field of a frame attribute's name, null for any other name. The first
// letter picks the one name it can be, so each attribute costs one compare.
StoredText* FieldOf(FrameRecord& r, const char* name) {
    using namespace frames;
    switch (name[0]) {
    case 'C':
        return SameName(name, kCobId) ? &r.CobId : nullptr;
    case 'D':
        if (SameName(name, kDimension))
            return &r.Dimension;
        return SameName(name, kDelete) ? &r.Delete : nullptr;
    case 'S':
        return SameName(name, kSwap) ? &r.Swap : nullptr;
    case 'M':
        return SameName(name, kMnemonic) ? &r.Mnemonic : nullptr;
    default:
        return nullptr;
    }
}

// The five attributes of a frame in one pass over the node's attributes.
FrameRecord RecordOf(pugi::xml_node node) {
    FrameRecord r;
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
        StoredText* field = FieldOf(r, a.name());
        // The first of two equal names wins, as a lookup by name finds it.
        if (field && !*field)
            *field = StoredText(a.value());
    }
    return r;
}

// How many frames ahead a walk over the records asks for their texts.
constexpr std::size_t kLookAhead = 8;

// Checks one integer text of a frame; returns its value when it is one.
std::optional<std::int32_t> CheckInteger(const FrameListDocument& doc, const StoredText& text,
                                         const char* attribute, std::size_t frame, int column,
                                         Findings& out) {
    const int row = static_cast<int>(frame);
    if (!text) {
        out.push_back({doc.name, row, column, MissingAttributeMessage(doc, frame, attribute)});
        return std::nullopt;
    }
    std::optional<std::int32_t> value = TryParseIntText(*text);
    if (!value)
        out.push_back({doc.name, row, column, NotAnIntegerMessage(*text)});
    return value;
}

// A missing document has nothing to check; one that could not be read has
// its failure as its one finding.
bool NothingToCheck(const DocumentRead& doc, Findings& out) {
    if (doc.state == DocumentState::Failed)
        out.push_back(*doc.failure);
    return doc.state != DocumentState::Read;
}

} // namespace

void DocumentRead::ThrowIfFailed() const {
    if (state == DocumentState::Failed && error)
        std::rethrow_exception(error);
}

const std::optional<std::string>& PargenDocument::Text(const char* element) const {
    for (std::size_t i = 0; i < std::size(pargen::kElements); ++i)
        if (std::strcmp(pargen::kElements[i], element) == 0)
            return texts[i];
    throw std::invalid_argument(std::string("not an element of pargen.xml: ") + element);
}

PargenDocument ReadPargenDocument(const std::string& path) {
    PargenDocument doc;
    doc.path = path;
    doc.name = FileNameOf(path);
    // The first of each element's name under the root, in document order.
    const auto take = [&](pugi::xml_node parent) {
        for (std::size_t i = 0; i < std::size(pargen::kElements); ++i)
            if (!doc.texts[i])
                doc.texts[i] = ChildText(parent, pargen::kElements[i]);
    };
    ReadInto(
        doc,
        [&](const std::shared_ptr<FileBytes>& bytes, PieceCuts how) {
            if (ReadChildrenInPieces(bytes->data.get(), bytes->size, nullptr, kXmlPieceBytes, how,
                                     {}, take))
                return true;
            doc.texts = {};
            return false;
        },
        [&](const std::shared_ptr<XmlDocument>& xml) { take(xml->Root()); });
    return doc;
}

FrameListDocument ReadFrameListDocument(FrameListKind kind, const std::string& path) {
    FrameListDocument doc;
    doc.kind = kind;
    doc.path = path;
    doc.name = FileNameOf(path);
    // Comments and text count as frames too: every reader agrees on the number.
    const auto take = [&](pugi::xml_node list) {
        for (pugi::xml_node node = list.first_child(); node; node = node.next_sibling())
            doc.records.push_back(RecordOf(node));
    };
    ReadInto(
        doc,
        [&](const std::shared_ptr<FileBytes>& bytes, PieceCuts how) {
            // The records point into the text, parsed a piece at a time where it lies.
            if (ReadChildrenInPieces(
                    bytes->data.get(), bytes->size, frames::ListName(kind), kXmlPieceBytes, how,
                    [&](std::size_t frames) { doc.records.reserve(frames); }, take)) {
                doc.hasList = true;
                doc.texts = bytes;
                return true;
            }
            doc.records = {};
            return false;
        },
        [&](const std::shared_ptr<XmlDocument>& xml) {
            const pugi::xml_node list = xml->Root().child(frames::ListName(kind));
            doc.hasList = !list.empty();
            // Counted first: growing a list of 100 000 records costs more than the count.
            std::size_t count = 0;
            for (pugi::xml_node node = list.first_child(); node; node = node.next_sibling())
                ++count;
            doc.records.reserve(count);
            take(list);
            doc.texts = xml;
        });
    return doc;
}

ProjectDocuments ReadProjectDocuments(const std::string& projectDir) {
    ProjectDocuments p;
    p.parameters = ReadPargenDocument(ProjectFilePath(projectDir, files::kPargen));
    p.receive =
        ReadFrameListDocument(FrameListKind::Receive, ProjectFilePath(projectDir, files::kSdo));
    p.send = ReadFrameListDocument(FrameListKind::Send, ProjectFilePath(projectDir, files::kPdo));
    return p;
}

std::string MissingListMessage(const FrameListDocument& doc) {
    return "Element '" + std::string(frames::ListName(doc.kind)) + "' not found in '" + doc.path +
           "'";
}

std::string MissingAttributeMessage(const FrameListDocument& doc, std::size_t frame,
                                    const char* attribute) {
    return "Frame " + std::to_string(frame) + " in '" + doc.path + "' has no attribute '" +
           attribute + "'";
}

std::string MissingElementMessage(const PargenDocument& doc, const char* element) {
    return "Element '" + std::string(element) + "' not found in '" + doc.path + "'";
}

Findings GeneratorFindings(const FrameListDocument& doc, bool needCobId) {
    Findings out;
    if (NothingToCheck(doc, out))
        return out;
    if (!doc.hasList) {
        out.push_back({doc.name, 0, 0, MissingListMessage(doc)});
        return out;
    }
    const FrameColumns col = ColumnsOf(doc.kind);
    std::size_t frame = 0;
    for (const FrameRecord& r : doc.records) {
        // The texts lie scattered over a file bigger than the cache: asked for
        // a few frames ahead, they are there when their turn comes.
        if (frame + kLookAhead < doc.records.size()) {
            const FrameRecord& ahead = doc.records[frame + kLookAhead];
            __builtin_prefetch(ahead.CobId.Address());
            __builtin_prefetch(ahead.Dimension.Address());
        }
        ++frame;
        if (needCobId)
            CheckInteger(doc, r.CobId, frames::kCobId, frame, col.cobId, out);
        const auto dimension =
            CheckInteger(doc, r.Dimension, frames::kDimension, frame, col.dimension, out);
        // A frame the editors would refuse never reaches the gateway.
        if (dimension && (*dimension < 1 || *dimension > 8)) {
            const int row = static_cast<int>(frame);
            out.push_back({doc.name, row, col.dimension, DimensionRangeMessage(row)});
        }
    }
    return out;
}

Findings ParameterBlockFindings(const PargenDocument& doc) {
    Findings out;
    if (NothingToCheck(doc, out))
        return out;
    for (std::size_t i = 0; i < std::size(pargen::kElements); ++i) {
        const std::optional<std::string>& text = doc.texts[i];
        if (!text)
            out.push_back({doc.name, 0, 0, MissingElementMessage(doc, pargen::kElements[i])});
        else if (!TryParseIntText(*text))
            out.push_back({doc.name, 0, 0, NotAnIntegerMessage(*text)});
    }
    return out;
}

std::string StopText(const Finding& f) {
    if (f.message.rfind("Error row ", 0) == 0)
        return f.document + ": " + f.message;
    return f.message;
}

void ThrowFirst(const Findings& findings) {
    if (!findings.empty())
        throw DocumentError(StopText(findings.front()));
}

} // namespace gw
