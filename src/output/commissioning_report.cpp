#include "output/commissioning_report.h"

#include "common/hex_text.h"
#include "common/parse_int.h"
#include "gateway/pargen.h"
#include "gateway/project_documents.h"
#include "gateway/swap_mask.h"
#include "output/dp_layout.h"
#include "output/project_check.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>

namespace gw {

namespace {

// What a DP slave may exchange each way.
constexpr std::int64_t kMaxDpBytes = 244;
// The image keeps offsets and totals in one byte.
constexpr std::int64_t kImageOffsetLimit = 256;

std::string Range(std::int64_t first, std::int64_t last) {
    return first == last ? std::to_string(first)
                         : std::to_string(first) + "-" + std::to_string(last);
}

// ---- Bus parameters -------------------------------------------------------

// "250K" -> "250 kbit/s", "1.5M" -> "1.5 Mbit/s", "9600" -> "9600 bit/s".
std::string BitRate(std::string listText) {
    if (listText.empty())
        return listText;
    const char unit = listText.back();
    if (unit == 'K' || unit == 'M') {
        listText.pop_back();
        return listText + (unit == 'K' ? " kbit/s" : " Mbit/s");
    }
    return listText + " bit/s";
}

class ParameterWords {
public:
    explicit ParameterWords(const PargenDocument& doc) : doc_(doc) {}

    // The element's integer, or nullopt with `why` telling what is there.
    std::optional<std::int32_t> Value(const char* element, std::string& why) const {
        if (doc_.state == DocumentState::Missing) {
            why = "not set (no " + doc_.name + ")";
            return std::nullopt;
        }
        if (doc_.state == DocumentState::Failed) {
            why = "unknown (" + doc_.name + " cannot be read)";
            return std::nullopt;
        }
        const std::optional<std::string>& text = doc_.Text(element);
        if (!text) {
            why = "not set";
            return std::nullopt;
        }
        const auto v = TryParseIntText(*text);
        if (!v)
            why = "'" + *text + "' is not a number";
        return v;
    }

    template <class Words>
    ReportParameter Line(const char* name, const char* element, Words words) const {
        std::string why;
        const auto v = Value(element, why);
        return {name, v ? words(*v) : why};
    }

private:
    const PargenDocument& doc_;
};

std::vector<ReportParameter> Parameters(const PargenDocument& doc) {
    using namespace pargen;
    const ParameterWords p(doc);
    std::vector<ReportParameter> out;
    out.push_back(p.Line("CAN baud rate", kCanBaud, [](std::int32_t v) {
        return v >= 1 && v <= kCanBaudCount ? BitRate(kCanBaudRates[v - 1])
                                            : "unknown (" + std::to_string(v) + ")";
    }));
    out.push_back(p.Line("CAN identifiers", kCanType, [](std::int32_t v) {
        return std::string(v == 1 ? "11-bit (CAN 2.0A)" : "29-bit (CAN 2.0B)");
    }));
    std::string why;
    const auto sendTime = p.Value(kCanSendTime, why);
    const std::string period =
        sendTime ? std::to_string(*sendTime) + " ms" : "? ms (send time " + why + ")";
    out.push_back(p.Line("CAN send mode", kCanSendData, [&](std::int32_t v) {
        return v == 1 ? std::string("on data change") : "every " + period;
    }));
    out.push_back(
        p.Line("CAN time-out", kCanTO, [](std::int32_t v) { return std::to_string(v) + " s"; }));
    out.push_back(
        p.Line("PROFIBUS address", kProfiID, [](std::int32_t v) { return std::to_string(v); }));
    out.push_back(p.Line("PROFIBUS baud rate", kProfiBaud, [](std::int32_t v) {
        if (v == kAutoBaudIndex)
            return std::string("automatic");
        return v >= 0 && v < kProfiBaudCount ? BitRate(kProfiBaudRates[v])
                                             : "unknown (" + std::to_string(v) + ")";
    }));
    return out;
}

// ---- Frame lists ----------------------------------------------------------

std::string CobIdCell(const FrameSlot& s) {
    if (s.cobId)
        return CobIdText(*s.cobId);
    return s.record->CobId ? std::string(*s.record->CobId) : "(none)";
}

std::string LengthCell(const FrameSlot& s) {
    if (s.dimension)
        return std::to_string(*s.dimension);
    return s.record->Dimension ? std::string(*s.record->Dimension) : "(none)";
}

ReportList List(FrameListKind kind, const FrameListDocument& doc, const DpLayout& layout) {
    const bool receive = kind == FrameListKind::Receive;
    ReportList l;
    l.id = receive ? "receive" : "send";
    l.title = receive ? "Receive list: CAN frames to the DP inputs"
                      : "Send list: DP outputs to CAN frames";
    const std::vector<FrameSlot>& slots = layout.List(kind);
    const std::int64_t bytes = receive ? layout.inputBytes : layout.outputBytes;
    l.summary = doc.name + ": ";
    if (doc.state == DocumentState::Missing)
        l.summary += "no document, no frames";
    else if (doc.state == DocumentState::Failed)
        l.summary += "cannot be read";
    else
        l.summary += std::to_string(slots.size()) + (slots.size() == 1 ? " frame, " : " frames, ") +
                     std::to_string(bytes) + (receive ? " input" : " output") +
                     (bytes == 1 ? " byte" : " bytes");
    l.columns = {"Row", "Module", "DP bytes", "Cob-ID", "Length", "Swap"};
    if (receive)
        l.columns.push_back("Delete");
    l.columns.push_back("Mnemonic");
    for (const FrameSlot& s : slots) {
        std::vector<std::string> row;
        row.push_back(std::to_string(s.row));
        row.push_back(s.firstModule ? Range(s.firstModule, s.lastModule) : "?");
        row.push_back(s.dimension ? Range(s.offset, s.offset + *s.dimension - 1) : "?");
        row.push_back(CobIdCell(s));
        row.push_back(LengthCell(s));
        row.push_back(SwapWords(s.swap));
        if (receive)
            row.push_back(s.deleted ? "yes" : "no");
        row.push_back(std::string(s.record->Mnemonic.value_or("")));
        l.rows.push_back(std::move(row));
    }
    return l;
}

std::string Count(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// ---- Findings beyond the editors' -----------------------------------------

void ListLimits(const FrameListDocument& doc, const std::vector<FrameSlot>& slots,
                std::int64_t bytes, const FrameColumns& col, Findings& out) {
    const bool receive = doc.kind == FrameListKind::Receive;
    std::map<std::int32_t, int> firstRow;
    for (const FrameSlot& s : slots) {
        if (s.cobId) {
            const auto [at, fresh] = firstRow.emplace(*s.cobId, s.row);
            if (!fresh)
                out.push_back({doc.name, s.row, col.cobId,
                               "Cob-ID " + CobIdText(*s.cobId) + " is also in row " +
                                   std::to_string(at->second)});
        }
        if (!s.swapIsByte)
            out.push_back({doc.name, s.row, col.swap,
                           "Swap '" + std::string(*s.record->Swap) +
                               "' is not a byte value; the configuration image takes " +
                               ByteHexText(s.swap)});
        if (s.dimension)
            for (const SwapGroup& g : SwapGroups(s.swap))
                if (g.last > *s.dimension) {
                    out.push_back({doc.name, s.row, col.swap,
                                   "Swap " + ByteHexText(s.swap) + " joins bytes " +
                                       Range(g.first, g.last) + ", past the frame's length of " +
                                       Count(*s.dimension, "byte", "bytes")});
                    break;
                }
    }
    if (bytes > kMaxDpBytes)
        out.push_back({doc.name, 0, 0,
                       std::string(receive ? "The receive frames fill " : "The send frames take ") +
                           std::to_string(bytes) + (receive ? " input" : " output") +
                           " bytes, more than the " + std::to_string(kMaxDpBytes) +
                           " a DP master accepts of a slave"});
    if (bytes >= kImageOffsetLimit) {
        int row = 0;
        for (const FrameSlot& s : slots)
            if (s.dimension && s.position >= kImageOffsetLimit) {
                row = s.row;
                break;
            }
        out.push_back({doc.name, row, 0,
                       "The frame lengths add up to " + std::to_string(bytes) +
                           " bytes; the configuration image holds offsets and totals in one "
                           "byte, so they wrap past 255 and the gateway's data overlap"});
    }
}

void BothLists(const DpLayout& layout, const ProjectDocuments& docs, Findings& out) {
    std::map<std::int32_t, int> received;
    for (const FrameSlot& s : layout.receive)
        if (s.cobId)
            received.emplace(*s.cobId, s.row);
    const int column = ColumnsOf(FrameListKind::Send).cobId;
    for (const FrameSlot& s : layout.send)
        if (s.cobId)
            if (const auto at = received.find(*s.cobId); at != received.end())
                out.push_back({docs.send.name, s.row, column,
                               "Cob-ID " + CobIdText(*s.cobId) + " is also in the receive list (" +
                                   docs.receive.name + " row " + std::to_string(at->second) + ")"});
}

} // namespace

std::string SwapWords(unsigned mask) {
    std::string words;
    for (const SwapGroup& g : SwapGroups(static_cast<std::uint8_t>(mask))) {
        if (!words.empty())
            words += ", ";
        words += "bytes " + Range(g.first, g.last) + " swapped";
    }
    return words.empty() ? "none" : words;
}

Findings DpLimitFindings(const ProjectDocuments& docs, const DpLayout& layout) {
    Findings out;
    if (docs.parameters.state == DocumentState::Missing)
        out.push_back({docs.parameters.name, 0, 0,
                       "No communication parameters: the configuration image carries no "
                       "parameter block"});
    ListLimits(docs.receive, layout.receive, layout.inputBytes, ColumnsOf(FrameListKind::Receive),
               out);
    ListLimits(docs.send, layout.send, layout.outputBytes, ColumnsOf(FrameListKind::Send), out);
    BothLists(layout, docs, out);
    return out;
}

CommissioningReport BuildCommissioningReport(const ProjectDocuments& docs,
                                             const std::string& projectName) {
    const DpLayout layout = ComputeDpLayout(docs);
    CommissioningReport r;
    r.project = projectName;
    r.parameters = Parameters(docs.parameters);
    r.parameters.push_back({"GSD modules", layout.modulePerFrame
                                               ? "one per frame"
                                               : "the bytes in modules of up to 64"});
    r.receive = List(FrameListKind::Receive, docs.receive, layout);
    r.send = List(FrameListKind::Send, docs.send, layout);
    r.totals = Count(layout.inputBytes, "input byte", "input bytes") + ", " +
               Count(layout.outputBytes, "output byte", "output bytes") + ", " +
               Count(layout.inputModules + layout.outputModules, "GSD module", "GSD modules");
    r.notes = {
        "DP bytes count from 0 in the DP inputs (receive list) and in the DP outputs (send "
        "list), at the offsets of the configuration image.",
        "A swap group is taken as a reversal of its bytes: bytes 1-4 swapped turn 11 22 33 44 "
        "into 44 33 22 11.",
    };
    r.findings = CheckProject(docs).findings;
    const Findings limits = DpLimitFindings(docs, layout);
    r.findings.insert(r.findings.end(), limits.begin(), limits.end());
    return r;
}

CommissioningReport BuildCommissioningReport(const std::string& projectDir) {
    // "." or "Pump/" name the folder as well as "Pump" does.
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::weakly_canonical(projectDir, ec);
    if (ec)
        dir = std::filesystem::path(projectDir).lexically_normal();
    if (!dir.has_filename())
        dir = dir.parent_path();
    return BuildCommissioningReport(ReadProjectDocuments(projectDir), dir.filename().string());
}

// ---- Plain text -----------------------------------------------------------

namespace {

// Characters on screen: UTF-8 continuation bytes take no column.
std::size_t Columns(const std::string& s) {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// A cell on one line: a line break or a tab would tear the table.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return s;
}

void Pad(std::string& line, const std::string& cell, std::size_t width) {
    line += cell;
    line.append(width - Columns(cell), ' ');
}

void TextTable(const std::vector<std::string>& columns,
               const std::vector<std::vector<std::string>>& rows, std::string& out) {
    std::vector<std::size_t> width(columns.size());
    for (std::size_t c = 0; c < columns.size(); ++c)
        width[c] = Columns(columns[c]);
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            width[c] = std::max(width[c], Columns(OneLine(row[c])));
    auto line = [&](const std::vector<std::string>& cells) {
        std::string l = "  ";
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const std::string cell = OneLine(cells[c]);
            if (c + 1 < cells.size())
                Pad(l, cell, width[c] + 2);
            else
                l += cell;
        }
        while (!l.empty() && l.back() == ' ')
            l.pop_back();
        out += l + "\n";
    };
    line(columns);
    for (const auto& row : rows)
        line(row);
}

// Lines of at most `width` columns, broken at blanks.
std::string Wrapped(const std::string& text, std::size_t width) {
    std::string out, line;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t to = text.find(' ', from);
        if (to == std::string::npos)
            to = text.size();
        const std::string word = text.substr(from, to - from);
        if (!line.empty() && Columns(line) + 1 + Columns(word) > width) {
            out += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        from = to + 1;
    }
    return out + line + "\n";
}

void TextList(const ReportList& l, std::string& out) {
    out += "\n" + l.title + "\n" + l.summary + "\n";
    if (!l.rows.empty())
        TextTable(l.columns, l.rows, out);
}

} // namespace

void WriteReportText(const CommissioningReport& r, OutputSink& sink) {
    std::string out = "Commissioning report: " + OneLine(r.project) + "\n";
    out += "\nBus parameters\n";
    std::size_t nameWidth = 0;
    for (const ReportParameter& p : r.parameters)
        nameWidth = std::max(nameWidth, Columns(p.name));
    for (const ReportParameter& p : r.parameters) {
        std::string line = "  ";
        Pad(line, p.name, nameWidth + 2);
        out += line + OneLine(p.value) + "\n";
    }
    TextList(r.receive, out);
    TextList(r.send, out);
    out += "\nTotals: " + r.totals + "\n\n";
    for (const std::string& note : r.notes)
        out += Wrapped(note, 80);
    if (r.findings.empty()) {
        out += "\nFindings: none\n";
    } else {
        out += "\nFindings: " + std::to_string(r.findings.size()) + "\n";
        for (const Finding& f : r.findings)
            out += "  " + OneLine(FindingLine(f)) + "\n";
    }
    sink.Write(out);
}

// ---- HTML -----------------------------------------------------------------

namespace {

std::string Escape(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // Control characters have no place in a page; the text report
            // shows them as blanks too.
            out += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' ? ' ' : c;
        }
    }
    return out;
}

const char* const kStyle =
    "body{font-family:Verdana,Tahoma,sans-serif;font-size:10pt;color:#202020;margin:2em}"
    "h1{font-size:15pt;margin:0 0 .2em}"
    "h2{font-size:12pt;margin:1.6em 0 .3em;page-break-after:avoid}"
    "table{border-collapse:collapse}"
    "th,td{border:1px solid #a0a0a0;padding:2px 8px;text-align:left;vertical-align:top}"
    "th{background:#f8f7ed}"
    "tr{page-break-inside:avoid}"
    "p.summary{margin:.2em 0 .4em}"
    "ul.findings li{color:#b00000}"
    "p.clean{color:#006000}"
    "@media print{body{margin:0;font-size:9pt}}";

void HtmlRow(const char* cell, const std::vector<std::string>& cells, std::string& out) {
    out += "<tr>";
    for (const std::string& c : cells)
        out += std::string("<") + cell + ">" + Escape(c) + "</" + cell + ">";
    out += "</tr>\n";
}

void HtmlList(const ReportList& l, std::string& out) {
    out += "<h2>" + Escape(l.title) + "</h2>\n";
    out += "<p class=\"summary\">" + Escape(l.summary) + "</p>\n";
    if (l.rows.empty())
        return;
    out += "<table id=\"" + l.id + "\">\n<thead>";
    HtmlRow("th", l.columns, out);
    out += "</thead>\n<tbody>\n";
    for (const auto& row : l.rows)
        HtmlRow("td", row, out);
    out += "</tbody>\n</table>\n";
}

} // namespace

void WriteReportHtml(const CommissioningReport& r, OutputSink& sink) {
    const std::string title = "Commissioning report: " + r.project;
    std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n";
    out += "<title>" + Escape(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
    out += "<h1>" + Escape(title) + "</h1>\n";
    out += "<h2>Bus parameters</h2>\n<table id=\"parameters\">\n";
    for (const ReportParameter& p : r.parameters)
        out += "<tr><th>" + Escape(p.name) + "</th><td>" + Escape(p.value) + "</td></tr>\n";
    out += "</table>\n";
    HtmlList(r.receive, out);
    HtmlList(r.send, out);
    out += "<h2>Totals</h2>\n<p id=\"totals\">" + Escape(r.totals) + "</p>\n";
    for (const std::string& note : r.notes)
        out += "<p class=\"note\">" + Escape(note) + "</p>\n";
    out += "<h2>Findings</h2>\n";
    if (r.findings.empty()) {
        out += "<p class=\"clean\" id=\"findings\">none</p>\n";
    } else {
        out += "<ul class=\"findings\" id=\"findings\">\n";
        for (const Finding& f : r.findings)
            out += "<li>" + Escape(FindingLine(f)) + "</li>\n";
        out += "</ul>\n";
    }
    out += "</body>\n</html>\n";
    sink.Write(out);
}

namespace {

bool EndsWithNoCase(std::string text, std::string_view suffix) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.ends_with(suffix);
}

} // namespace

CommissioningReport WriteReportFile(const std::string& projectDir, const std::string& path) {
    CommissioningReport report = BuildCommissioningReport(projectDir);
    AtomicFileSink file(path);
    if (EndsWithNoCase(path, ".html") || EndsWithNoCase(path, ".htm"))
        WriteReportHtml(report, file);
    else
        WriteReportText(report, file);
    file.Commit();
    return report;
}

} // namespace gw
