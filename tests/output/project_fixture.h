#pragma once
// A project folder for the generator tests, with frame lists written the way
// the frame editors write them.
#include "support/temp_dir.h"

#include <optional>
#include <string>
#include <vector>

namespace gwtest {

// One row element; an attribute set to nullopt is left out.
struct Row {
    std::optional<std::string> CobId = "$181";
    std::optional<std::string> Dimension = "8";
    std::optional<std::string> Swap = "0x00";
    std::optional<std::string> Delete = "N"; // receive list only
    std::optional<std::string> Mnemonic = "";
};

std::string ReceiveDocument(const std::vector<Row>& rows);
std::string SendDocument(const std::vector<Row>& rows);

// pargen.xml with the editor's defaults, `frames` as Profi_Frames.
std::string PargenDocument(const std::string& frames = "0", const std::string& sendTime = "100",
                           const std::string& profiId = "1");

// n rows of the same dimension, identifiers counting up from 256.
std::vector<Row> Rows(int n, int dimension);

} // namespace gwtest
