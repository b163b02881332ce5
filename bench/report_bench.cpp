// The commissioning report against its yardstick, `sw40931-cli bank`, on a
// project of 30 receive and 30 send frames: both commands run alternately in
// one process, as the command line runs them (documents read, output written
// to a file), and the ratio of the medians is printed. Wall time and the
// thread's CPU time are both reported: on a shared machine the wall time of a
// run is mostly the time it waited for a core.
#include "alternating.h"
#include "cli/cli_commands.h"
#include "median.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

using gwbench::Median;
using gwbench::Times;

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A full project as the editors write it: 30 frames of 8 bytes each way, some
// swapped, mnemonics on every row, one frame per module.
void MakeProject(const std::string& dir) {
    std::filesystem::create_directory(dir + "/bin");
    Write(dir + "/pargen.xml",
          "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>1</Can_Send_Data>"
          "<Can_Send_Time>100</Can_Send_Time><Can_TO>10</Can_TO><Profi_ID>1</Profi_ID>"
          "<Profi_Baud>10</Profi_Baud><Profi_Frames>1</Profi_Frames></Par_Gen>");
    std::string sdo = "<Profibus_to_Receive_CAN><Receive_Frames>";
    std::string pdo = "<Profibus_to_Send_CAN><Send_Frames>";
    char row[200];
    for (int i = 0; i < 30; ++i) {
        std::snprintf(row, sizeof row,
                      "<row Cob_Id=\"$%03X\" Dimension=\"8\" Swap=\"%s\" Delete=\"N\" "
                      "Mnemonic=\"Drive %d status\"/>",
                      0x181 + i, i % 3 ? "0x00" : "0xE0", i + 1);
        sdo += row;
        std::snprintf(row, sizeof row,
                      "<row Cob_Id=\"$%03X\" Dimension=\"8\" Swap=\"%s\" Mnemonic=\"Drive %d set "
                      "point\"/>",
                      0x201 + i, i % 4 ? "0x00" : "0xA0", i + 1);
        pdo += row;
    }
    Write(dir + "/sdo.xml", sdo + "</Receive_Frames></Profibus_to_Receive_CAN>");
    Write(dir + "/pdo.xml", pdo + "</Send_Frames></Profibus_to_Send_CAN>");
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 301;

    std::string pattern = (std::filesystem::temp_directory_path() / "gwreport.XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    const std::string dir = pattern;
    MakeProject(dir);

    auto command = [](const std::vector<std::string>& args) {
        std::ostringstream out, err;
        if (gw::cli::Run(args, out, err) != gw::cli::kExitOk) {
            std::fprintf(stderr, "%s%s", out.str().c_str(), err.str().c_str());
            std::abort();
        }
    };
    Times bank, html, text;
    for (int r = 0; r < rounds; ++r) {
        bank.Run([&] { command({"bank", dir}); });
        html.Run([&] { command({"report", dir, "-o", dir + "/bin/report.html"}); });
        text.Run([&] { command({"report", dir, "-o", dir + "/bin/report.txt"}); });
    }
    std::filesystem::remove_all(dir);

    std::printf("30 + 30 frames, %d rounds alternating\n", rounds);
    for (const auto& [what, pick] :
         {std::pair{"wall", &Times::wall}, std::pair{"cpu ", &Times::cpu}}) {
        const double b = Median(bank.*pick);
        const double h = Median(html.*pick);
        const double t = Median(text.*pick);
        std::printf("%s medians: bank %.3f ms, report HTML %.3f ms, report text %.3f ms; "
                    "HTML / bank %.2f, text / bank %.2f\n",
                    what, b * 1e3, h * 1e3, t * 1e3, h / b, t / b);
    }
    return 0;
}
