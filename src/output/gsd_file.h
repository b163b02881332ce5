#pragma once
// The PROFIBUS-DP device description (GSD, revision 5) of a project: a fixed
// description of the gateway followed by a module list computed from the frame
// lists. Every line ends with CR LF.
#include "output/output_sink.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gw {

struct GsdCounts {
    // 1: one module per frame; 0: the bytes packed into modules of up to 64.
    int ProfiFrames = 0;
    std::int64_t InputModules = 0;
    std::int64_t OutputModules = 0;
    std::int64_t InputBytes = 0;
    std::int64_t OutputBytes = 0;
    std::vector<std::int32_t> ReceiveDimensions;
    std::vector<std::int32_t> SendDimensions;
};

struct ProjectDocuments;

// From pargen.xml, sdo.xml and pdo.xml. A missing list document has no
// frames; a missing pargen.xml, a missing or non-numeric Profi_Frames, or any
// value other than 1 gives 0. A document that could not be read throws its
// error (XmlError, FileError); a list without its list element, a frame
// without a Dimension, or a Dimension that is no integer or outside 1 to 8
// throws a DocumentError with the first such finding.
GsdCounts ComputeGsdCounts(const ProjectDocuments& docs);
GsdCounts ComputeGsdCounts(const std::string& projectDir);

void WriteGsdText(const GsdCounts& counts, OutputSink& out);
std::string GsdText(const GsdCounts& counts);

// Computes the counts and replaces `fileName` with the text; nothing is written
// when the documents cannot be read. Throws FileError when the file cannot be
// written.
void WriteGsdFile(const std::string& projectDir, const std::string& fileName);

// The line shapes of the banner and the section headings.
namespace gsd {
// ";*" + text, blank-padded to 84 characters, then "*".
std::string B(std::string_view text = {});
// One blank, eighty "=", one blank.
std::string Z();
// ";" and w - 1 "=".
std::string R(int w);
// ";==== " + title + " ", then "=" up to w characters.
std::string H(std::string_view title, int w);
} // namespace gsd

} // namespace gw
