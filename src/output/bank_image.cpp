#include "output/bank_image.h"

#include "common/parse_int.h"
#include "common/project_files.h"
#include "gateway/document_names.h"
#include "gateway/project_documents.h"

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

// Appends one record per frame of a list already found sound.
ListSummary PutFrames(std::string& out, const FrameListDocument& doc) {
    ListSummary s;
    for (const FrameRecord& r : doc.records) {
        const auto cobId = ParseIntText(*r.CobId);
        const auto dimension = ParseIntText(*r.Dimension);
        const auto swap = r.Swap ? ParseIntTextOr(*r.Swap, 0) : 0;
        PutLong(out, static_cast<std::uint32_t>(cobId));
        PutByte(out, static_cast<std::uint32_t>(dimension));
        PutByte(out, static_cast<std::uint32_t>(swap));
        if (doc.kind == FrameListKind::Receive)
            PutByte(out, r.Delete && *r.Delete == "Y" ? 1 : 0);
        PutByte(out, s.total);
        s.total = (s.total + static_cast<std::uint32_t>(dimension)) & 0xFF;
    }
    s.count = static_cast<std::uint32_t>(doc.records.size());
    return s;
}

void PutParameters(std::string& out, const PargenDocument& doc, const ListSummary& receive,
                   const ListSummary& send) {
    auto value = [&](const char* name) {
        return static_cast<std::uint32_t>(ParseIntText(*doc.Text(name)));
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

// Stops at the first thing a document of the image cannot give.
void ThrowIfUnusable(const ProjectDocuments& docs) {
    for (const FrameListDocument* list : {&docs.receive, &docs.send}) {
        list->ThrowIfFailed();
        ThrowFirst(GeneratorFindings(*list, true));
    }
    docs.parameters.ThrowIfFailed();
    ThrowFirst(ParameterBlockFindings(docs.parameters));
}

} // namespace

Findings BankImageFindings(const ProjectDocuments& docs) {
    Findings found = GeneratorFindings(docs.receive, true);
    for (Findings more :
         {GeneratorFindings(docs.send, true), ParameterBlockFindings(docs.parameters)})
        found.insert(found.end(), more.begin(), more.end());
    return found;
}

std::size_t BankImageSize(const ProjectDocuments& docs) {
    return kBankHeaderSize + kReceiveRecordSize * docs.receive.records.size() +
           kSendRecordSize * docs.send.records.size() +
           (docs.parameters.state == DocumentState::Read ? kParameterBlockSize : 0);
}

BankImage BuildBankImage(const ProjectDocuments& docs) {
    ThrowIfUnusable(docs);
    if (const std::size_t size = BankImageSize(docs); size > kBankImageCapacity)
        throw BankImageTooLarge(size, kBankImageCapacity);
    std::string out;
    out.reserve(BankImageSize(docs));
    PutLong(out, kBankHeaderSize);
    PutLong(out, 0); // send records, set below
    PutLong(out, 0); // parameter block, set below
    const ListSummary receive = PutFrames(out, docs.receive);
    SetLong(out, 4, static_cast<std::uint32_t>(out.size()));
    const ListSummary send = PutFrames(out, docs.send);
    SetLong(out, 8, static_cast<std::uint32_t>(out.size()));
    if (docs.parameters.state == DocumentState::Read)
        PutParameters(out, docs.parameters, receive, send);
    return BankImage{std::move(out)};
}

BankImage BuildBankImage(const std::string& projectDir) {
    return BuildBankImage(ReadProjectDocuments(projectDir));
}

void WriteBankImage(const BankImage& image, OutputSink& out) {
    out.Write(image.Bytes);
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
