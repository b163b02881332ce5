#pragma once
// The frame lists as the generators read them: the list element found by name
// under the document's first node, and every child node of it one frame, in
// document order, whatever its name. Each attribute is kept as the text it
// holds (or its absence), so each generator applies its own conversion.
#include "gateway/document_names.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gw {

// A document that parses but lacks an element or attribute a reader needs.
class DocumentError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FrameRecord {
    std::optional<std::string> CobId;
    std::optional<std::string> Dimension;
    std::optional<std::string> Swap;
    std::optional<std::string> Delete;
    std::optional<std::string> Mnemonic;
};

// Reads the list of `kind` from the document at `path`. A missing file is an
// empty list. Throws XmlError (not well-formed), FileError (unreadable) or
// DocumentError (no list element under the first node).
std::vector<FrameRecord> ReadFrameRecords(const std::string& path, FrameListKind kind);

// The text of a needed attribute; throws DocumentError naming the frame (from 1),
// the attribute and the file when it is absent.
const std::string& RequiredAttribute(const std::optional<std::string>& value, const char* name,
                                     std::size_t frameNumber, const std::string& path);

} // namespace gw
