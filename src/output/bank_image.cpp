#include "output/bank_image.h"

#include "common/file_io.h"
#include "common/parse_int.h"
#include "gateway/document_names.h"
#include "gateway/frame_records.h"
#include "output/project_documents.h"
#include "xml/xml_document.h"

#include <cstdint>

namespace gw {

namespace {

void PutByte(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
}

void PutWord(std::string& out, std::uint32_t v) {
    PutByte(out, v);
    PutByte(out, v >> 8);
}

void PutLong(std::string& out, std::uint32_t v) {
    PutWord(out, v);
    PutWord(out, v >> 16);
}

void SetLong(std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

struct ListSummary {
    std::uint32_t count = 0;
    std::uint32_t total = 0; // sum of the dimensions, low 8 bits kept
};

// Appends one record per frame of the list; returns the count and total.
ListSummary PutFrames(std::string& out, const std::string& path, FrameListKind kind) {
    ListSummary s;
    const std::vector<FrameRecord> records = ReadFrameRecords(path, kind);
    std::size_t n = 0;
    for (const FrameRecord& r : records) {
        ++n;
        const auto cobId = ParseIntText(RequiredAttribute(r.CobId, frames::kCobId, n, path));
        const auto dimension =
            ParseIntText(RequiredAttribute(r.Dimension, frames::kDimension, n, path));
        const auto swap = r.Swap ? ParseIntTextOr(*r.Swap, 0) : 0;
        PutLong(out, static_cast<std::uint32_t>(cobId));
        PutByte(out, static_cast<std::uint32_t>(dimension));
        PutByte(out, static_cast<std::uint32_t>(swap));
        if (kind == FrameListKind::Receive)
            PutByte(out, r.Delete && *r.Delete == "Y" ? 1 : 0);
        PutByte(out, s.total);
        s.total = (s.total + static_cast<std::uint32_t>(dimension)) & 0xFF;
    }
    s.count = static_cast<std::uint32_t>(records.size());
    return s;
}

void PutParameters(std::string& out, const std::string& path, const ListSummary& receive,
                   const ListSummary& send) {
    const XmlDocument doc = XmlDocument::LoadFile(path);
    const pugi::xml_node root = doc.Root();
    auto value = [&](const char* name) {
        const auto text = ChildText(root, name);
        if (!text)
            throw DocumentError("Element '" + std::string(name) + "' not found in '" + path + "'");
        return static_cast<std::uint32_t>(ParseIntText(*text));
    };
    using namespace pargen;
    PutByte(out, value(kCanBaud));
    PutByte(out, value(kCanType));
    PutByte(out, value(kCanSendData));
    PutWord(out, value(kCanSendTime));
    PutWord(out, value(kCanTO));
    PutByte(out, value(kProfiID));
    PutByte(out, value(kProfiBaud));
    PutByte(out, value(kProfiFrames));
    PutByte(out, receive.count);
    PutByte(out, receive.total);
    PutByte(out, send.count);
    PutByte(out, send.total);
}

} // namespace

BankImageTooLarge::BankImageTooLarge(std::size_t size)
    : std::runtime_error("The configuration image would be " + std::to_string(size) +
                         " bytes, more than the " + std::to_string(kBankImageCapacity) +
                         " bytes the gateway can hold"),
      size_(size) {}

BankImage BuildBankImage(const std::string& projectDir) {
    std::string out;
    PutLong(out, kBankHeaderSize);
    PutLong(out, 0); // send records, set below
    PutLong(out, 0); // parameter block, set below
    const ListSummary receive =
        PutFrames(out, FrameFilePath(projectDir, FrameListKind::Receive), FrameListKind::Receive);
    SetLong(out, 4, static_cast<std::uint32_t>(out.size()));
    const ListSummary send =
        PutFrames(out, FrameFilePath(projectDir, FrameListKind::Send), FrameListKind::Send);
    SetLong(out, 8, static_cast<std::uint32_t>(out.size()));
    const std::string pargenPath = PargenFilePath(projectDir);
    if (FileExists(pargenPath))
        PutParameters(out, pargenPath, receive, send);
    if (out.size() > kBankImageCapacity)
        throw BankImageTooLarge(out.size());
    return BankImage{std::move(out)};
}

void WriteBankImage(const BankImage& image, OutputSink& out) {
    out.Write(image.Bytes);
}

std::string BankFilePath(const std::string& projectDir) {
    return JoinPath(JoinPath(projectDir, kBankFolder), kBankFileName);
}

void WriteBankFileTo(const BankImage& image, const std::string& path) {
    AtomicFileSink sink(path);
    WriteBankImage(image, sink);
    sink.Commit();
}

void WriteBankFile(const std::string& projectDir, const BankImage& image) {
    WriteBankFileTo(image, BankFilePath(projectDir));
}

} // namespace gw
