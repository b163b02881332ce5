// Checking a big project against its yardstick: a bare pugixml load of the
// same sdo.xml (100 000 rows). Prints the ratio of medians of the XML layer's
// load and of the whole `check` command to it; the three run alternately in
// one process so the machine's load weighs on each alike. Wall time and the
// thread's CPU time are both reported: on a shared machine the wall time of a
// run is mostly the time it waited for a core.
#include "alternating.h"
#include "cli/cli_commands.h"
#include "median.h"
#include "xml/xml_document.h"

#include <pugixml.hpp>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
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
    std::filesystem::remove_all(dir);

    std::printf("sdo.xml of %d rows, %d rounds alternating\n", rows, rounds);
    for (const auto& [what, pick] :
         {std::pair{"wall", &Times::wall}, std::pair{"cpu ", &Times::cpu}}) {
        const double b = Median(bare.*pick);
        const double l = Median(layer.*pick);
        const double c = Median(check.*pick);
        std::printf("%s medians: pugixml load %.2f ms, XML layer %.2f ms, check %.2f ms; "
                    "XML layer / pugixml %.2f, check / pugixml %.2f\n",
                    what, b * 1e3, l * 1e3, c * 1e3, l / b, c / b);
    }
    return 0;
}
