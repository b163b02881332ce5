// Checking a big project against its yardstick: a bare pugixml load of the
// same sdo.xml (100 000 rows). Prints the ratio of medians of the XML layer's
// load and of the whole `check` command to it, in two ways:
//  - as commands: `sw40931-cli check`, a program that only loads the file
//    through the XML layer and one that only loads it with pugixml, started
//    alternately, each from start to exit (what a user waits for);
//  - in one process, the three alternately. Here the allocator's memory of
//    earlier rounds decides much: glibc hands freed memory back to the system
//    or keeps it by thresholds that move with what was freed before, so the
//    same load costs 6 or 25 ms by history. Both settings are measured: the
//    default, and the freed memory kept (no page faults after the first round,
//    the computing alone).
// Wall time and CPU time are both reported: on a shared machine the wall time
// of a run is mostly the time it waited for a core.
#include "alternating.h"
#include "cli/cli_commands.h"
#include "median.h"
#include "spawn.h"
#include "xml/xml_document.h"

#include <pugixml.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <unistd.h>

using gwbench::Median;
using gwbench::Times;

int main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 15;

    std::string pattern = (std::filesystem::temp_directory_path() / "gwcheck.XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return 1;
    const std::string dir = pattern;
    const std::string sdo = dir + "/sdo.xml";
    {
        std::ofstream out(sdo, std::ios::binary);
        out << "<Profibus_to_Receive_CAN><Receive_Frames>";
        for (int i = 0; i < rows; ++i) {
            char cob[16];
            std::snprintf(cob, sizeof cob, "$%03X", 0x100 + i % 0x700);
            out << "<row Cob_Id=\"" << cob << "\" Dimension=\"" << 1 + i % 8
                << "\" Swap=\"0x00\" Delete=\"N\" Mnemonic=\"Frame " << i + 1 << "\"/>";
        }
        out << "</Receive_Frames></Profibus_to_Receive_CAN>";
    }

    const std::string bin = GW_BENCH_DIR;
    std::vector<double> bareWall, bareCpu, layerWall, layerCpu, cliWall, cliCpu;
    gwbench::RunProgram({bin + "/check_bare", sdo}); // warm the file cache
    for (int r = 0; r < rounds; ++r) {
        const gwbench::ProcessRun b = gwbench::RunProgram({bin + "/check_bare", sdo});
        const gwbench::ProcessRun l = gwbench::RunProgram({bin + "/check_layer", sdo});
        const gwbench::ProcessRun c = gwbench::RunProgram({bin + "/sw40931-cli", "check", dir}, 1);
        bareWall.push_back(b.wall);
        bareCpu.push_back(b.cpu);
        layerWall.push_back(l.wall);
        layerCpu.push_back(l.cpu);
        cliWall.push_back(c.wall);
        cliCpu.push_back(c.cpu);
    }
    std::printf("sdo.xml of %d rows, %d rounds alternating\n", rows, rounds);
    for (const auto& [what, b, l, c] : {std::tuple{"wall", &bareWall, &layerWall, &cliWall},
                                        std::tuple{"cpu ", &bareCpu, &layerCpu, &cliCpu}})
        std::printf("commands, %s medians: pugixml load %.2f ms, XML layer %.2f ms, check %.2f "
                    "ms; XML layer / pugixml %.2f, check / pugixml %.2f\n",
                    what, Median(*b) * 1e3, Median(*l) * 1e3, Median(*c) * 1e3,
                    Median(*l) / Median(*b), Median(*c) / Median(*b));

    for (const bool keep : {false, true}) {
        if (keep) {
            // Nothing freed goes back to the system, nothing big is mapped apart.
            mallopt(M_TRIM_THRESHOLD, 1 << 30);
            mallopt(M_MMAP_THRESHOLD, 1 << 30);
        }
        Times bare, layer, check;
        for (int r = 0; r < rounds; ++r) {
            bare.Run([&] {
                pugi::xml_document doc;
                if (!doc.load_file(sdo.c_str()))
                    std::abort();
            });
            layer.Run([&] { gw::XmlDocument::LoadFile(sdo); });
            check.Run([&] {
                std::ostringstream out, err;
                gw::cli::Run({"check", dir}, out, err);
            });
        }
        for (const auto& [what, pick] :
             {std::pair{"wall", &Times::wall}, std::pair{"cpu ", &Times::cpu}}) {
            const double b = Median(bare.*pick);
            const double l = Median(layer.*pick);
            const double c = Median(check.*pick);
            std::printf("in one process, %s, %s medians: pugixml load %.2f ms, XML layer %.2f ms, "
                        "check %.2f ms; XML layer / pugixml %.2f, check / pugixml %.2f\n",
                        keep ? "freed memory kept" : "default allocator", what, b * 1e3, l * 1e3,
                        c * 1e3, l / b, c / b);
        }
    }
    std::filesystem::remove_all(dir);
    return 0;
}
