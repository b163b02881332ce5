#include "common/findings.h"

namespace gw {

std::string FindingLine(const Finding& f) {
    std::string line = f.document;
    if (f.row > 0)
        line += ":" + std::to_string(f.row);
    return line + ": " + f.message;
}

} // namespace gw
