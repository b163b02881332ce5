// The configuration image and the GSD text of a full project: 30 receive and
// 30 send frames of 8 bytes, the documents read from disk on every run as the
// main window does.
#include "output/bank_image.h"
#include "output/gsd_file.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Rows(bool receive) {
    std::string s;
    for (int i = 0; i < 30; ++i) {
        char cob[16];
        std::snprintf(cob, sizeof cob, "$%03X", (receive ? 0x181 : 0x201) + i);
        s += std::string("<row Cob_Id=\"") + cob + "\" Dimension=\"8\" Swap=\"0x1B\"" +
             (receive ? " Delete=\"N\"" : "") + " Mnemonic=\"Frame " + std::to_string(i + 1) +
             "\"/>";
    }
    return s;
}

// A project folder that lives for the whole run.
class FullProject {
public:
    FullProject() {
        std::string pattern = (std::filesystem::temp_directory_path() / "gwbench.XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        dir_ = pattern;
        Write(dir_ + "/pargen.xml",
              "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>1"
              "</Can_Send_Data><Can_Send_Time>100</Can_Send_Time><Can_TO>10</Can_TO>"
              "<Profi_ID>1</Profi_ID><Profi_Baud>10</Profi_Baud><Profi_Frames>1</Profi_Frames>"
              "</Par_Gen>");
        Write(dir_ + "/sdo.xml", "<Profibus_to_Receive_CAN><Receive_Frames>" + Rows(true) +
                                     "</Receive_Frames></Profibus_to_Receive_CAN>");
        Write(dir_ + "/pdo.xml", "<Profibus_to_Send_CAN><Send_Frames>" + Rows(false) +
                                     "</Send_Frames></Profibus_to_Send_CAN>");
    }
    ~FullProject() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

const FullProject& Project() {
    static const FullProject project;
    return project;
}

void BM_BuildBankImage(benchmark::State& state) {
    const std::string& dir = Project().Dir();
    for (auto _ : state) {
        gw::BankImage image = gw::BuildBankImage(dir);
        benchmark::DoNotOptimize(image.Bytes.data());
    }
    state.SetLabel(std::to_string(gw::BuildBankImage(dir).BankLength()) + " bytes");
}
BENCHMARK(BM_BuildBankImage);

void BM_GsdTextFromProject(benchmark::State& state) {
    const std::string& dir = Project().Dir();
    for (auto _ : state) {
        std::string text = gw::GsdText(gw::ComputeGsdCounts(dir));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetLabel(std::to_string(gw::GsdText(gw::ComputeGsdCounts(dir)).size()) + " bytes");
}
BENCHMARK(BM_GsdTextFromProject);

// The text alone, without reading the documents.
void BM_GsdTextOnly(benchmark::State& state) {
    const gw::GsdCounts counts = gw::ComputeGsdCounts(Project().Dir());
    for (auto _ : state) {
        std::string text = gw::GsdText(counts);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_GsdTextOnly);

} // namespace

BENCHMARK_MAIN();
