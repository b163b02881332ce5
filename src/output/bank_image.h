#pragma once
// The configuration image the gateway loads (bin/bank.bin): a 12-byte header of
// three offsets, the receive records (8 bytes each), the send records (7 bytes
// each) and, when pargen.xml exists, the 14-byte parameter block. Packed,
// little-endian.
#include "common/errors.h"
#include "common/findings.h"
#include "output/output_sink.h"

#include <cstddef>
#include <string>

namespace gw {

// The gateway's buffer for the image; a larger image is refused.
inline constexpr std::size_t kBankImageCapacity = 100001;

inline constexpr std::size_t kBankHeaderSize = 12;
inline constexpr std::size_t kReceiveRecordSize = 8;
inline constexpr std::size_t kSendRecordSize = 7;
inline constexpr std::size_t kParameterBlockSize = 14;

struct ProjectDocuments;

struct BankImage {
    // The image bytes; never more than kBankImageCapacity.
    std::string Bytes;
    std::size_t BankLength() const { return Bytes.size(); }
};

// Builds the image from sdo.xml, pdo.xml and pargen.xml. A missing document
// leaves its section out. A document that could not be read throws its error
// (XmlError, FileError); what the image cannot be built from (a missing list
// element, attribute or parameter, a value that is no integer, a Dimension
// outside 1 to 8) throws a DocumentError with the first such finding;
// BankImageTooLarge past the buffer.
BankImage BuildBankImage(const ProjectDocuments& docs);
BankImage BuildBankImage(const std::string& projectDir);

// The length of the image the documents give, known before it is built.
std::size_t BankImageSize(const ProjectDocuments& docs);

// Everything that stops BuildBankImage, in the order it reads the documents.
Findings BankImageFindings(const ProjectDocuments& docs);

void WriteBankImage(const BankImage& image, OutputSink& out);

// Replaces `path` with the image atomically; throws FileError naming the file
// and the reason.
void WriteBankFileTo(const BankImage& image, const std::string& path);

// Writes the image to the project's bin/bank.bin.
void WriteBankFile(const std::string& projectDir, const BankImage& image);

} // namespace gw
