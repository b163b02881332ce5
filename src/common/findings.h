#pragma once
// What a check found wrong with a document: where, and the message the user
// sees. Checks return these as values; a window shows the first in its error
// box, the command-line companion prints them all.
#include <string>
#include <vector>

namespace gw {

struct Finding {
    std::string document; // the document's file name, as the user knows it
    int row = 0;          // from 1; 0 when the finding concerns the whole document
    int column = 0;       // from 1 in the editor's grid; 0 when none
    std::string message;

    bool operator==(const Finding&) const = default;
};

using Findings = std::vector<Finding>;

// "DOCUMENT:ROW: message", the row left out when there is none.
std::string FindingLine(const Finding& f);

} // namespace gw
