#pragma once
// The messages of findings, for tests that compare the texts a user reads.
#include "common/findings.h"

#include <string>
#include <vector>

namespace gwtest {

inline std::vector<std::string> Messages(const gw::Findings& findings) {
    std::vector<std::string> out;
    for (const gw::Finding& f : findings)
        out.push_back(f.message);
    return out;
}

} // namespace gwtest
