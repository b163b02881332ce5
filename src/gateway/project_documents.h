#pragma once
// One reading of a project's documents. Each document is parsed once into a
// plain value that keeps what it holds (the texts, absent ones as absent) and,
// when it could not be read, why; the editors, the configuration image, the GSD
// file and the check all start from this value and apply their own rules.
#include "common/findings.h"
#include "gateway/document_names.h"

#include <array>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

enum class DocumentState {
    Missing, // no file: the document's defaults or an empty list
    Read,
    Failed, // not a regular file, unreadable or not well-formed
};

// What every document keeps of its reading.
struct DocumentRead {
    std::string path;
    std::string name; // the file name, as findings name the document
    DocumentState state = DocumentState::Missing;
    std::optional<Finding> failure; // why it could not be read (Failed only)

    // Throws the error that made the reading fail, with its own type and text.
    void ThrowIfFailed() const;

    std::exception_ptr error;
};

// An attribute's text as stored, or absent. It points into the parsed document
// its list keeps: one pointer, so a list of 100 000 frames stays small.
class StoredText {
public:
    StoredText() = default;
    explicit StoredText(const char* text) : text_(text) {}

    explicit operator bool() const { return text_ != nullptr; }
    std::string_view operator*() const { return text_; }
    std::string_view value_or(std::string_view absent) const { return text_ ? text_ : absent; }
    std::optional<std::string_view> Optional() const {
        return text_ ? std::optional<std::string_view>(text_) : std::nullopt;
    }
    const char* Address() const { return text_; }
    bool operator==(std::nullopt_t) const { return !text_; }
    bool operator==(std::string_view text) const { return text_ && text == text_; }

private:
    const char* text_ = nullptr;
};

// One frame as stored: each attribute's text, or absent.
struct FrameRecord {
    StoredText CobId;
    StoredText Dimension;
    StoredText Swap;
    StoredText Delete;
    StoredText Mnemonic;
};

// sdo.xml or pdo.xml: every child node of the list element is one frame, in
// document order, whatever its name.
struct FrameListDocument : DocumentRead {
    FrameListKind kind = FrameListKind::Receive;
    bool hasList = false; // the list element is there under the first node
    std::vector<FrameRecord> records;
    std::shared_ptr<const void> texts; // what the records point into
};

// pargen.xml: the text of each element under the first node, absent when the
// element is not there.
struct PargenDocument : DocumentRead {
    std::array<std::optional<std::string>, std::size(pargen::kElements)> texts;
    const std::optional<std::string>& Text(const char* element) const;
};

struct ProjectDocuments {
    PargenDocument parameters;
    FrameListDocument receive;
    FrameListDocument send;

    const FrameListDocument& List(FrameListKind kind) const {
        return kind == FrameListKind::Receive ? receive : send;
    }
};

// Never throws for a document's content: a document that cannot be read is a
// value in state Failed.
PargenDocument ReadPargenDocument(const std::string& path);
FrameListDocument ReadFrameListDocument(FrameListKind kind, const std::string& path);
ProjectDocuments ReadProjectDocuments(const std::string& projectDir);

// A missing element, attribute or list, named as the generators report it.
std::string MissingListMessage(const FrameListDocument& doc);
std::string MissingAttributeMessage(const FrameListDocument& doc, std::size_t frame,
                                    const char* attribute);
std::string MissingElementMessage(const PargenDocument& doc, const char* element);

// What the configuration image and the GSD file need of a frame list beyond
// the file being readable: the list element, every frame's Cob_Id (when
// `needCobId`) and Dimension as integers, each Dimension 1 to 8. In document
// order; the first is what stops a generator.
Findings GeneratorFindings(const FrameListDocument& doc, bool needCobId);

// The same for pargen.xml and the parameter block: every element there and an
// integer.
Findings ParameterBlockFindings(const PargenDocument& doc);

// The text a generator stops with for a finding: the editors' row messages
// name the row but not the document, so the document goes in front of them;
// every other message already says what it needs to.
std::string StopText(const Finding& f);

// Throws the first finding, if any, as a DocumentError with its StopText.
void ThrowFirst(const Findings& findings);

} // namespace gw
