#include "output/bank_dump.h"

#include "common/hex_text.h"
#include "gateway/document_names.h"
#include "gateway/pargen.h"
#include "output/bank_image.h"

#include <cstdint>
#include <iomanip>
#include <sstream>

namespace gw {

namespace {

class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    std::uint32_t Byte(std::size_t at) const { return static_cast<std::uint8_t>(bytes_[at]); }
    std::uint32_t Word(std::size_t at) const { return Byte(at) | Byte(at + 1) << 8; }
    std::uint32_t Long(std::size_t at) const { return Word(at) | Word(at + 2) << 16; }

private:
    std::string_view bytes_;
};

std::string Choice(std::uint32_t v, const char* const* names, std::size_t count,
                   std::size_t first) {
    if (v < first || v - first >= count)
        return "";
    return std::string(" (") + names[v - first] + ")";
}

void Parameter(std::ostringstream& out, const char* name, std::uint32_t value,
               const std::string& note = {}) {
    out << "  " << std::left << std::setw(15) << name << value << note << "\n";
}

} // namespace

std::string DescribeBankImage(std::string_view bytes) {
    const std::size_t size = bytes.size();
    if (size < kBankHeaderSize)
        throw InvalidBankImage("not a configuration image: " + std::to_string(size) +
                               " bytes, shorter than its header");
    const Reader r(bytes);
    const std::uint32_t receiveAt = r.Long(0);
    const std::uint32_t sendAt = r.Long(4);
    const std::uint32_t paramsAt = r.Long(8);
    const bool offsetsFit = receiveAt == kBankHeaderSize && sendAt >= receiveAt &&
                            (sendAt - receiveAt) % kReceiveRecordSize == 0 && paramsAt >= sendAt &&
                            (paramsAt - sendAt) % kSendRecordSize == 0;
    const bool lengthFits = size == paramsAt || size == paramsAt + kParameterBlockSize;
    if (!offsetsFit || !lengthFits)
        throw InvalidBankImage("not a configuration image: header offsets " +
                               std::to_string(receiveAt) + ", " + std::to_string(sendAt) + ", " +
                               std::to_string(paramsAt) + " do not fit its " +
                               std::to_string(size) + " bytes");

    std::ostringstream out;
    out << "Configuration image, " << size << " bytes\n";
    out << "Header\n";
    out << "  Receive records at " << receiveAt << "\n";
    out << "  Send records at    " << sendAt << "\n";
    out << "  Parameters at      " << paramsAt << "\n";

    const std::size_t receive = (sendAt - receiveAt) / kReceiveRecordSize;
    out << "Receive frames: " << receive << "\n";
    for (std::size_t i = 0; i < receive; ++i) {
        const std::size_t at = receiveAt + i * kReceiveRecordSize;
        const std::uint32_t del = r.Byte(at + 6);
        out << "  " << std::right << std::setw(3) << i + 1 << "  Cob_Id "
            << CobIdText(static_cast<std::int32_t>(r.Long(at))) << "  Dimension " << r.Byte(at + 4)
            << "  Swap " << ByteHexText(static_cast<std::uint8_t>(r.Byte(at + 5))) << "  Delete "
            << (del == 1   ? "Y"
                : del == 0 ? "N"
                           : std::to_string(del))
            << "  Offset " << r.Byte(at + 7) << "\n";
    }
    const std::size_t send = (paramsAt - sendAt) / kSendRecordSize;
    out << "Send frames: " << send << "\n";
    for (std::size_t i = 0; i < send; ++i) {
        const std::size_t at = sendAt + i * kSendRecordSize;
        out << "  " << std::right << std::setw(3) << i + 1 << "  Cob_Id "
            << CobIdText(static_cast<std::int32_t>(r.Long(at))) << "  Dimension " << r.Byte(at + 4)
            << "  Swap " << ByteHexText(static_cast<std::uint8_t>(r.Byte(at + 5))) << "  Offset "
            << r.Byte(at + 6) << "\n";
    }

    if (size == paramsAt) {
        out << "Parameters: none\n";
        return out.str();
    }
    using namespace pargen;
    const std::size_t p = paramsAt;
    out << "Parameters\n";
    Parameter(out, kCanBaud, r.Byte(p), Choice(r.Byte(p), kCanBaudRates, kCanBaudCount, 1));
    const std::uint32_t type = r.Byte(p + 1);
    Parameter(out, kCanType, type, type == 1 ? " (CAN 2.0A, 11-bit)" : " (CAN 2.0B, 29-bit)");
    const std::uint32_t mode = r.Byte(p + 2);
    Parameter(out, kCanSendData, mode, mode == 1 ? " (on data change)" : " (cyclic)");
    Parameter(out, kCanSendTime, r.Word(p + 3), " ms");
    Parameter(out, kCanTO, r.Word(p + 5), " s");
    Parameter(out, kProfiID, r.Byte(p + 7));
    Parameter(out, kProfiBaud, r.Byte(p + 8),
              Choice(r.Byte(p + 8), kProfiBaudRates, kProfiBaudCount, 0));
    const std::uint32_t frames = r.Byte(p + 9);
    Parameter(out, kProfiFrames, frames,
              frames == 1 ? " (one module per frame)" : " (modules of up to 64 bytes)");
    Parameter(out, "Receive_Count", r.Byte(p + 10));
    Parameter(out, "Receive_Length", r.Byte(p + 11));
    Parameter(out, "Send_Count", r.Byte(p + 12));
    Parameter(out, "Send_Length", r.Byte(p + 13));
    return out.str();
}

} // namespace gw
