// A project of any documents run through what the command line's bank, gsd,
// check, report and simulate run: never a fault, and what the code promises
// holds. The input is pargen.xml, sdo.xml and pdo.xml in that order, parted
// by lines "----"; an empty or missing part leaves its document out.
#include "common/errors.h"
#include "common/project_files.h"
#include "fuzz_file.h"
#include "gateway/project_documents.h"
#include "output/bank_dump.h"
#include "output/bank_image.h"
#include "output/commissioning_report.h"
#include "output/gsd_file.h"
#include "output/output_sink.h"
#include "output/project_check.h"
#include "output/simulation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kSeparator = "\n----\n";

void Expect(bool promise) {
    if (!promise)
        std::abort();
}

// Runs `make`; false when it refuses the documents with one of the errors the
// generators are documented to throw. Any other exception is a fault.
template <class Make> bool Made(Make make) {
    try {
        make();
        return true;
    } catch (const gw::DocumentError&) {
    } catch (const gw::XmlError&) {
    } catch (const gw::FileError&) {
    } catch (const gw::BankImageTooLarge&) {
    }
    return false;
}

// Writes the parts into the project folder, removing a document whose part
// is empty or missing.
std::string WriteProject(std::string_view input) {
    static const std::string dir = [] {
        const std::string d = gwfuzz::ScratchPath("project");
        std::filesystem::create_directories(d);
        return d;
    }();
    for (const char* name : {gw::files::kPargen, gw::files::kSdo, gw::files::kPdo}) {
        const std::size_t end = input.find(kSeparator);
        const std::string_view part = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 6);
        const std::string path = gw::ProjectFilePath(dir, name);
        if (part.empty())
            std::filesystem::remove(path);
        else
            gwfuzz::Spill(path, part);
    }
    return dir;
}

// CAN frames for every receive entry, some longer than the entry, and one of
// an identifier no entry has; their data from the input's last bytes.
std::vector<gw::CanFrame> Arrivals(const gw::GatewayMap& map, std::string_view input) {
    std::vector<gw::CanFrame> frames;
    std::size_t at = 0;
    auto next = [&] {
        return input.empty()
                   ? std::uint8_t{0}
                   : static_cast<std::uint8_t>(input[input.size() - 1 - at++ % input.size()]);
    };
    for (const gw::GatewayFrame& g : map.receive) {
        gw::CanFrame f{g.cobId, map.width == gw::CobIdWidth::Bits29, {}};
        const std::size_t length = std::min<std::size_t>(8, next() % 10);
        for (std::size_t i = 0; i < length; ++i)
            f.data.push_back(next());
        frames.push_back(f);
    }
    frames.push_back({0x7FF, false, {next()}});
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const gw::ProjectDocuments docs = gw::ReadProjectDocuments(WriteProject(input));

    // check: everything the generators would refuse is among its findings.
    const gw::ProjectCheck check = gw::CheckProject(docs);
    const bool clean = check.findings.empty();

    // bank, and dump-bank on what it built.
    const bool bank = Made([&] {
        const gw::BankImage image = gw::BuildBankImage(docs);
        Expect(image.BankLength() == gw::BankImageSize(docs));
        Expect(image.BankLength() <= gw::kBankImageCapacity);
        const std::string dump = gw::DescribeBankImage(image.Bytes);
        Expect(dump.find("Receive frames: " + std::to_string(docs.receive.records.size()) + "\n") !=
               std::string::npos);
        Expect(dump.find("Send frames: " + std::to_string(docs.send.records.size()) + "\n") !=
               std::string::npos);
    });
    Expect(bank || !clean);

    // gsd
    Expect(Made([&] { gw::GsdText(gw::ComputeGsdCounts(docs)); }) || !clean);

    // report, both forms
    const gw::CommissioningReport report = gw::BuildCommissioningReport(docs, "fuzz");
    gw::StringSink text;
    gw::WriteReportText(report, text);
    gw::StringSink html;
    gw::WriteReportHtml(report, html);

    // simulate, both ways
    std::optional<gw::GatewayMap> map;
    Expect(Made([&] { map = gw::MapGateway(docs); }) == bank);
    if (map) {
        const std::vector<gw::CanFrame> frames = Arrivals(*map, input);
        const gw::ReceiveOutcome received = gw::SimulateReceive(*map, frames);
        Expect(received.inputs.size() == map->inputBytes);
        Expect(received.notes.size() == frames.size());
        gw::DpInputsText(received.inputs);

        std::vector<std::uint8_t> outputs(input.begin(), input.end());
        outputs.resize(std::min(outputs.size(), map->outputBytes + 3));
        const gw::SendOutcome sent = gw::SimulateSend(*map, outputs);
        Expect(sent.frames.size() == map->send.size());
        for (std::size_t i = 0; i < sent.frames.size(); ++i) {
            Expect(sent.frames[i].frame.data.size() ==
                   static_cast<std::size_t>(map->send[i].length));
            gw::CanFrameText(sent.frames[i].frame);
        }
    }
    return 0;
}
