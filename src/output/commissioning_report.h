#pragma once
// The commissioning report of a project: the bus parameters in words, one line
// per frame telling which DP bytes and which GSD module carry it, the totals,
// and every finding (the editors' errors and the limits a DP master or the
// configuration image cannot take). Written as plain text or as one
// self-contained HTML page.
#include "common/findings.h"
#include "output/output_sink.h"

#include <string>
#include <vector>

namespace gw {

struct ProjectDocuments;
struct DpLayout;

struct ReportParameter {
    std::string name;
    std::string value;
};

// A frame list as the report shows it: every cell already in words.
struct ReportList {
    std::string id;      // "receive" or "send"
    std::string title;   // what the list does
    std::string summary; // its document, frames and bytes
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

struct CommissioningReport {
    std::string project; // the project folder's name
    std::vector<ReportParameter> parameters;
    ReportList receive;
    ReportList send;
    std::string totals;
    std::vector<std::string> notes; // how to read the tables
    Findings findings;
};

// What the DP master or the configuration image cannot take, beyond the
// editors' checks: more than 244 input or output bytes, lengths that wrap the
// image's one-byte offsets, a Cob-ID twice in a list or in both lists, a swap
// group past the frame's length or a Swap that is no byte, and a project
// without communication parameters.
Findings DpLimitFindings(const ProjectDocuments& docs, const DpLayout& layout);

// `projectName` heads the report. Never throws for a document's content: what
// cannot be read is a finding.
CommissioningReport BuildCommissioningReport(const ProjectDocuments& docs,
                                             const std::string& projectName);
CommissioningReport BuildCommissioningReport(const std::string& projectDir);

void WriteReportText(const CommissioningReport& report, OutputSink& out);
void WriteReportHtml(const CommissioningReport& report, OutputSink& out);

// Builds the report of the project and replaces `path` with it: the HTML page
// when the name ends in .html or .htm, plain text otherwise. Throws FileError.
CommissioningReport WriteReportFile(const std::string& projectDir, const std::string& path);

// "bytes 1-2 swapped, bytes 3-6 swapped", or "none".
std::string SwapWords(unsigned mask);

} // namespace gw
