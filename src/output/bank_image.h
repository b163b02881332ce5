#pragma once
// The configuration image the gateway loads (bin/bank.bin): a 12-byte header of
// three offsets, the receive records (8 bytes each), the send records (7 bytes
// each) and, when pargen.xml exists, the 14-byte parameter block. Packed,
// little-endian.
#include "output/output_sink.h"

#include <cstddef>
#include <stdexcept>
#include <string>

namespace gw {

// The gateway's buffer for the image; a larger image is refused.
inline constexpr std::size_t kBankImageCapacity = 100001;

inline constexpr std::size_t kBankHeaderSize = 12;
inline constexpr std::size_t kReceiveRecordSize = 8;
inline constexpr std::size_t kSendRecordSize = 7;
inline constexpr std::size_t kParameterBlockSize = 14;

inline constexpr const char* kBankFolder = "bin";
inline constexpr const char* kBankFileName = "bank.bin";

struct BankImage {
    // The image bytes; never more than kBankImageCapacity.
    std::string Bytes;
    std::size_t BankLength() const { return Bytes.size(); }
};

// An image that would not fit the gateway's buffer.
class BankImageTooLarge : public std::runtime_error {
public:
    explicit BankImageTooLarge(std::size_t size);
    std::size_t Size() const { return size_; }

private:
    std::size_t size_;
};

// Builds the image from sdo.xml, pdo.xml and pargen.xml of `projectDir`. A
// missing document leaves its section out. Throws ConversionError for a bad
// number, XmlError for a malformed document, DocumentError for a missing list
// element, attribute or parameter, BankImageTooLarge past the buffer.
BankImage BuildBankImage(const std::string& projectDir);

void WriteBankImage(const BankImage& image, OutputSink& out);

// projectDir/bin/bank.bin
std::string BankFilePath(const std::string& projectDir);

// Replaces `path` with the image atomically; throws FileError naming the file
// and the reason.
void WriteBankFileTo(const BankImage& image, const std::string& path);

// Writes the image to the project's bin/bank.bin.
void WriteBankFile(const std::string& projectDir, const BankImage& image);

} // namespace gw
