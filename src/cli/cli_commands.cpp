#include "cli/cli_commands.h"

#include "app/program_options.h"
#include "app/workspace.h"
#include "bridge/bridge_tables.h"
#include "bridge/workbook.h"
#include "cli/cli_firmware.h"
#include "cli/cli_xml_tree.h"
#include "common/file_io.h"
#include "common/project_files.h"
#include "common/version.h"
#include "gateway/frame_list.h"
#include "gateway/pargen.h"
#include "gateway/project_documents.h"
#include "output/bank_dump.h"
#include "output/bank_image.h"
#include "output/commissioning_report.h"
#include "output/gsd_file.h"
#include "output/project_check.h"
#include "output/simulation.h"

#include <exception>
#include <optional>
#include <ostream>
#include <unordered_set>

namespace gw::cli {

namespace {

const char* const kGeneralUsage =
    "Usage: sw40931-cli COMMAND ARGUMENTS\n"
    "\n"
    "Commands:\n"
    "  bank PROJECT_DIR [-o FILE]   build the configuration image\n"
    "  gsd PROJECT_DIR -o FILE      write the GSD file\n"
    "  check PROJECT_DIR            check a project as the editors do\n"
    "  dump-bank FILE               show a configuration image as text\n"
    "  firmware SOURCE.sx BINDIR OUT.sx [--banks LIST]\n"
    "                               splice the configuration banks into a firmware\n"
    "  xml-tree FILE                show an XML file as the XML window's tree\n"
    "  import PROJECT_DIR TABLE WORKBOOK\n"
    "                               import a bridge table from a workbook\n"
    "  export PROJECT_DIR TABLE [-o FILE]\n"
    "                               export a bridge table as CSV\n"
    "  report PROJECT_DIR [-o FILE] the commissioning report\n"
    "  simulate PROJECT_DIR --can COBID#DATA... | --dp DATA\n"
    "                               try frames on the gateway's data path\n"
    "\n"
    "sw40931-cli COMMAND --help describes a command.\n"
    "Exit status: 0 success, 1 invalid project or image, 2 usage error.\n"
    "\n"
    "PROJECT_DIR is a project folder, or the name of a project in the PROJECTS\n"
    "folder of the data folder, the one the program uses.\n"
    "\n"
    "Options before the command:\n"
    "  --data-dir DIR  the data folder (MASTER, PROJECTS, settings file), as the\n"
    "                  program's option of the same name\n"
    "  --version       show the version and end\n"
    "  --help          show this text and end\n";

const char* const kBankUsage =
    "Usage: sw40931-cli bank PROJECT_DIR [-o FILE]\n"
    "\n"
    "Builds the configuration image from pargen.xml, sdo.xml and pdo.xml of\n"
    "PROJECT_DIR and writes it to FILE, by default PROJECT_DIR/bin/bank.bin.\n";

const char* const kGsdUsage =
    "Usage: sw40931-cli gsd PROJECT_DIR -o FILE\n"
    "\n"
    "Writes the GSD file (PROFIBUS-DP device description) of PROJECT_DIR to FILE.\n";

const char* const kCheckUsage =
    "Usage: sw40931-cli check PROJECT_DIR\n"
    "\n"
    "Checks the project as the editors do on OK, reporting every error rather than\n"
    "only the first: the communication parameters' ranges (pargen.xml), and the\n"
    "receive and send frames (sdo.xml, pdo.xml) with the identifier width of the\n"
    "project. Then it reports what would stop the configuration image or the GSD\n"
    "file. Every error goes to standard error once, as DOCUMENT:ROW: message (the\n"
    "row left out where the error concerns the whole document); the exit status\n"
    "is 1 when there is any. An unreadable pargen.xml is reported and the frames\n"
    "are then checked for 11-bit identifiers. The bridge tables' documents are\n"
    "read as their editors read them.\n";

const char* const kDumpUsage =
    "Usage: sw40931-cli dump-bank FILE\n"
    "\n"
    "Shows the configuration image FILE as text: the header offsets, one line per\n"
    "frame record and the parameter block.\n";

std::string ImportUsage() {
    return "Usage: sw40931-cli import PROJECT_DIR TABLE WORKBOOK\n"
           "\n"
           "Imports the table's sheet of WORKBOOK (.xls, .xlsx or .ods) and saves the\n"
           "table's document in PROJECT_DIR, as the editor's Import followed by OK. An\n"
           "import that stops on a record is reported and nothing is written.\n"
           "TABLE is one of: " +
           BridgeTableNames() + ".\n" + BridgeTableNotes();
}

std::string ExportUsage() {
    return "Usage: sw40931-cli export PROJECT_DIR TABLE [-o FILE]\n"
           "\n"
           "Writes the table's saved document as the editor's Export does, by default to\n"
           "PROJECT_DIR/SHEET.csv (sdo.csv, rpdodef.csv, ...).\n"
           "TABLE is one of: " +
           BridgeTableNames() + ".\n" + BridgeTableNotes();
}

const char* const kXmlTreeUsage =
    "Usage: sw40931-cli xml-tree FILE\n"
    "\n"
    "Reads the XML file FILE with the XML window's reader and prints its tree as\n"
    "the window shows it: one node a line, indented by two blanks a level, the\n"
    "first line \"File: \" and the file's name. On a reader error the window's\n"
    "error text goes to standard error and the exit status is 1.\n";
const char* const kReportUsage =
    "Usage: sw40931-cli report PROJECT_DIR [-o FILE]\n"
    "\n"
    "The commissioning report of PROJECT_DIR: the bus parameters in words; for the\n"
    "receive list (CAN frames to the DP inputs) and the send list (DP outputs to\n"
    "CAN frames) one line per frame with its GSD module, the DP bytes it occupies\n"
    "(counted from 0, the offsets of the configuration image), Cob-ID, length,\n"
    "swap groups, delete flag and mnemonic; the totals; and every finding: the\n"
    "editors' errors and the limits the DP master or the configuration image\n"
    "cannot take. A swap group is taken as a reversal of its bytes.\n"
    "\n"
    "Written to FILE as a self-contained HTML page when its name ends in .html or\n"
    ".htm, as plain text otherwise; without -o as plain text on standard output.\n"
    "Exit status 0 when there are no findings, 1 when the report lists some.\n";

const char* const kSimulateUsage =
    "Usage: sw40931-cli simulate PROJECT_DIR --can COBID#DATA...\n"
    "       sw40931-cli simulate PROJECT_DIR --dp DATA\n"
    "\n"
    "Runs the gateway's data path of PROJECT_DIR offline, from the frames of its\n"
    "configuration image.\n"
    "\n"
    "--can: the CAN frames arrive in the given order, in the notation of cansend:\n"
    "the identifier in hexadecimal (3 digits, or 8 for a 29-bit identifier), \"#\",\n"
    "then up to 8 data bytes in hexadecimal, such as 181#1122334455667788. Prints\n"
    "where each frame went, then the DP input bytes (a byte no frame wrote shows\n"
    "as --).\n"
    "\n"
    "--dp: DATA is the DP output image in hexadecimal from byte 0 (blanks may part\n"
    "the bytes). Prints the CAN frame the gateway sends for each entry of the send\n"
    "list, in the same notation, with the DP bytes it took.\n"
    "\n"
    "A swap group is taken as a reversal of its bytes: with Swap 0xE0 the data\n"
    "11 22 33 44 55 66 77 88 lands as 44 33 22 11 55 66 77 88, and the outputs go\n"
    "out the same way. The delete flag is not simulated.\n"
    "\n"
    "A frame whose identifier is not in the receive list, or with more data than\n"
    "its entry, is reported on standard error and ignored; so are DP output bytes\n"
    "beyond the send list, and missing ones are taken as 00. Exit status 1 when\n"
    "anything was reported, or when the project has no configuration image.\n";

// What a command was given: its positional arguments and its -o value.
struct Arguments {
    std::string projectsDir; // where a project given by name is; empty: nowhere
    bool help = false;
    std::vector<std::string> positional;
    std::optional<std::string> output;
    // simulate: the frames after --can, the bytes after --dp.
    std::optional<std::vector<std::string>> can;
    std::optional<std::vector<std::string>> dp;
};

class UsageError : public std::exception {
public:
    explicit UsageError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The values after a list option: every argument up to the next option.
std::vector<std::string>& ListOption(std::optional<std::vector<std::string>>& option,
                                     const std::string& name) {
    if (option)
        throw UsageError("option " + name + " given twice");
    return option.emplace();
}

Arguments Parse(const std::vector<std::string>& args, bool takesOutput, bool takesData) {
    Arguments a;
    bool options = true;
    std::vector<std::string>* list = nullptr; // the list option being read
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (!options || s.size() < 2 || s[0] != '-') {
            (list ? *list : a.positional).push_back(s);
            continue;
        }
        list = nullptr;
        if (s == "--") {
            options = false;
        } else if (s == "--help" || s == "-h") {
            a.help = true;
        } else if (takesOutput && s == "-o") {
            if (i + 1 >= args.size())
                throw UsageError("option -o needs a file name");
            if (a.output)
                throw UsageError("option -o given twice");
            a.output = args[++i];
        } else if (takesData && (s == "--can" || s == "--dp")) {
            list = &ListOption(s == "--can" ? a.can : a.dp, s);
        } else {
            throw UsageError("unknown option '" + s + "'");
        }
    }
    return a;
}

void ExpectOne(const Arguments& a, const char* what) {
    if (a.positional.empty())
        throw UsageError(std::string("missing ") + what);
    if (a.positional.size() > 1)
        throw UsageError("unexpected argument '" + a.positional[1] + "'");
}

// The generators treat missing documents as empty lists; a folder that is not
// there is a typing mistake, not an empty project. A folder of that name here
// wins over a project of that name in PROJECTS.
std::string ResolveProject(const Arguments& a, const std::string& dir) {
    if (FolderExists(dir))
        return dir;
    if (!a.projectsDir.empty() && ProjectNameAcceptable(dir)) {
        const std::string named = JoinPath(a.projectsDir, dir);
        if (FolderExists(named))
            return named;
        throw std::runtime_error("project folder '" + dir + "' not found, nor '" + named + "'");
    }
    throw std::runtime_error("project folder '" + dir + "' not found");
}

std::string ProjectFolder(const Arguments& a) {
    ExpectOne(a, "PROJECT_DIR");
    return ResolveProject(a, a.positional[0]);
}

int Bank(const Arguments& a, std::ostream& out, std::ostream&) {
    const std::string dir = ProjectFolder(a);
    const BankImage image = BuildBankImage(dir);
    const std::string file = a.output ? *a.output : BankFilePath(dir);
    WriteBankFileTo(image, file);
    out << "Wrote " << image.BankLength() << " bytes to " << file << "\n";
    return kExitOk;
}

int Gsd(const Arguments& a, std::ostream& out, std::ostream&) {
    ExpectOne(a, "PROJECT_DIR");
    if (!a.output)
        throw UsageError("missing -o FILE");
    const std::string dir = ProjectFolder(a);
    WriteGsdFile(dir, *a.output);
    out << "Wrote " << *a.output << "\n";
    return kExitOk;
}

int Check(const Arguments& a, std::ostream& out, std::ostream& err) {
    const std::string dir = ProjectFolder(a);
    const ProjectDocuments docs = ReadProjectDocuments(dir);
    ProjectCheck check = CheckProject(docs);
    // The bridge documents' findings after the gateway's, each line once.
    std::unordered_set<std::string> printed;
    for (const BridgeTable& table : BridgeTables())
        for (Finding& f : table.check(dir))
            check.findings.push_back(std::move(f));
    for (const Finding& f : check.findings) {
        std::string line = FindingLine(f);
        if (printed.insert(line).second)
            err << line << "\n";
    }
    if (!printed.empty())
        return kExitInvalid;
    out << dir << ": no errors (" << (check.width == CobIdWidth::Bits11 ? "11" : "29")
        << "-bit identifiers, " << docs.receive.records.size() << " receive and "
        << docs.send.records.size() << " send frames)\n";
    return kExitOk;
}

// PROJECT_DIR TABLE and `more` further arguments.
struct TableArguments {
    const BridgeTable& table;
    std::string dir;
};

TableArguments TableArgument(const Arguments& a, std::size_t more, const char* moreName) {
    if (a.positional.size() < 2)
        throw UsageError(a.positional.empty() ? "missing PROJECT_DIR" : "missing TABLE");
    if (a.positional.size() < 2 + more)
        throw UsageError(std::string("missing ") + moreName);
    if (a.positional.size() > 2 + more)
        throw UsageError("unexpected argument '" + a.positional[2 + more] + "'");
    const BridgeTable* table = FindBridgeTable(a.positional[1]);
    if (!table)
        throw UsageError("unknown table '" + a.positional[1] + "'");
    return {*table, ResolveProject(a, a.positional[0])};
}

int Import(const Arguments& a, std::ostream& out, std::ostream& err) {
    const auto [table, dir] = TableArgument(a, 1, "WORKBOOK");
    const std::string& workbook = a.positional[2];
    const ImportReport report = table.importAndSave(dir, workbook);
    if (report.stop) {
        err << ImportStopMessage(report.sheetName, *report.stop) << " Nothing was written to "
            << JoinPath(dir, table.documentFile) << ".\n";
        return kExitInvalid;
    }
    if (!report.sheetFound)
        err << "'" << workbook << "' has no sheet \"" << table.sheetName
            << "\": the tables were left empty.\n";
    else if (!report.Message().empty())
        err << report.Message() << "\n";
    out << "Imported " << report.placed << " records into " << JoinPath(dir, table.documentFile)
        << "\n";
    return kExitOk;
}

int Export(const Arguments& a, std::ostream& out, std::ostream&) {
    const auto [table, dir] = TableArgument(a, 0, "");
    const std::vector<CsvLine> lines = table.exportLines(dir);
    const std::string file = a.output ? *a.output : CsvFilePath(dir, table.sheetName);
    WriteCsvFile(file, lines);
    out << "Wrote " << lines.size() << " lines to " << file << "\n";
    return kExitOk;
}

int DumpBank(const Arguments& a, std::ostream& out, std::ostream&) {
    ExpectOne(a, "FILE");
    const std::string& file = a.positional[0];
    try {
        out << DescribeBankImage(ReadWholeFile(file));
    } catch (const InvalidBankImage& e) {
        throw InvalidBankImage("'" + file + "' is " + e.what());
    }
    return kExitOk;
}

int XmlTree(const Arguments& a, std::ostream& out, std::ostream& err) {
    ExpectOne(a, "FILE");
    return PrintXmlTreeOfFile(a.positional[0], out, err);
}

int Report(const Arguments& a, std::ostream& out, std::ostream&) {
    const std::string& dir = ProjectFolder(a);
    if (!a.output) {
        const CommissioningReport report = BuildCommissioningReport(dir);
        StringSink text;
        WriteReportText(report, text);
        out << text.Text();
        return report.findings.empty() ? kExitOk : kExitInvalid;
    }
    const CommissioningReport report = WriteReportFile(dir, *a.output);
    const std::size_t n = report.findings.size();
    out << "Wrote " << *a.output << " ("
        << (n == 0 ? std::string("no findings")
                   : std::to_string(n) + (n == 1 ? " finding" : " findings"))
        << ")\n";
    return n == 0 ? kExitOk : kExitInvalid;
}

int SimulateReceiveFrames(const GatewayMap& map, const std::vector<std::string>& texts,
                          std::ostream& out, std::ostream& err) {
    std::vector<CanFrame> frames;
    for (const std::string& t : texts) {
        const std::optional<CanFrame> f = ParseCanFrame(t);
        if (!f)
            throw UsageError("'" + t + "' is not a CAN frame such as 181#1122334455667788");
        frames.push_back(*f);
    }
    const ReceiveOutcome r = SimulateReceive(map, frames);
    bool ignored = false;
    for (const SimulationNote& n : r.notes) {
        (n.used ? out : err) << n.text << "\n";
        ignored = ignored || !n.used;
    }
    if (r.inputs.empty())
        out << "DP inputs: none (the receive list is empty)\n";
    else
        out << "DP inputs (" << r.inputs.size() << " bytes):\n" << DpInputsText(r.inputs);
    return ignored ? kExitInvalid : kExitOk;
}

int SimulateSendImage(const GatewayMap& map, const std::vector<std::string>& texts,
                      std::ostream& out, std::ostream& err) {
    std::string joined;
    for (const std::string& t : texts)
        joined += t + " ";
    const std::optional<std::vector<std::uint8_t>> bytes = ParseHexBytes(joined);
    if (!bytes)
        throw UsageError("'" + joined.substr(0, joined.size() - 1) +
                         "' is not a DP output image in hexadecimal such as 1122334455");
    const SendOutcome s = SimulateSend(map, *bytes);
    for (const std::string& n : s.notes)
        err << n << "\n";
    if (s.frames.empty())
        out << "No CAN frames: the send list is empty\n";
    for (const SentFrame& f : s.frames) {
        const std::size_t last = f.offset + f.frame.data.size() - 1;
        out << CanFrameText(f.frame) << "  send row " << f.row << ", DP output bytes " << f.offset
            << (last == f.offset ? "" : "-" + std::to_string(last)) << "\n";
    }
    return s.notes.empty() ? kExitOk : kExitInvalid;
}

int Simulate(const Arguments& a, std::ostream& out, std::ostream& err) {
    ExpectOne(a, "PROJECT_DIR");
    if (a.can.has_value() == a.dp.has_value())
        throw UsageError("give either --can or --dp");
    const std::vector<std::string>& data = a.can ? *a.can : *a.dp;
    if (data.empty())
        throw UsageError(a.can ? "--can needs at least one frame" : "--dp needs the output bytes");
    const GatewayMap map = MapGateway(ReadProjectDocuments(ProjectFolder(a)));
    return a.can ? SimulateReceiveFrames(map, data, out, err)
                 : SimulateSendImage(map, data, out, err);
}

struct Command {
    const char* name;
    std::string (*usage)();
    bool takesOutput;
    int (*run)(const Arguments&, std::ostream&, std::ostream&);
    bool takesData = false; // --can and --dp
};

template <const char* const& Text> std::string Fixed() {
    return Text;
}

const Command kCommands[] = {
    {"bank", Fixed<kBankUsage>, true, Bank},
    {"gsd", Fixed<kGsdUsage>, true, Gsd},
    {"check", Fixed<kCheckUsage>, false, Check},
    {"dump-bank", Fixed<kDumpUsage>, false, DumpBank},
    {"xml-tree", Fixed<kXmlTreeUsage>, false, XmlTree},
    {"import", ImportUsage, false, Import},
    {"export", ExportUsage, true, Export},
    {"report", Fixed<kReportUsage>, true, Report},
    {"simulate", Fixed<kSimulateUsage>, false, Simulate, true},
};

} // namespace

int Run(const std::vector<std::string>& allArgs, std::ostream& out, std::ostream& err,
        const Surroundings& surroundings) {
    const CommonOptions common = TakeCommonOptions(allArgs, true);
    if (common.error) {
        err << kProgram << ": " << *common.error << "\n\n" << kGeneralUsage;
        return kExitUsage;
    }
    if (common.version) {
        out << kProgram << " " << kVersion << "\n";
        return kExitOk;
    }
    if (common.help) {
        out << kGeneralUsage;
        return kExitOk;
    }
    const std::vector<std::string>& args = common.rest;
    if (args.empty()) {
        err << kGeneralUsage;
        return kExitUsage;
    }
    if (args[0] == "firmware")
        return Firmware(args, out, err);
    const Command* command = nullptr;
    for (const Command& c : kCommands)
        if (args[0] == c.name)
            command = &c;
    if (!command) {
        err << kProgram << ": unknown command '" << args[0] << "'\n\n" << kGeneralUsage;
        return kExitUsage;
    }
    try {
        Arguments a = Parse(args, command->takesOutput, command->takesData);
        if (!common.dataDir.empty() || !surroundings.exeDir.empty())
            a.projectsDir = JoinPath(
                LocateAppFolders(surroundings.exeDir, common.dataDir, surroundings.env).DataDir,
                kProjectsFolderName);
        if (a.help) {
            out << command->usage();
            return kExitOk;
        }
        return command->run(a, out, err);
    } catch (const UsageError& e) {
        err << kProgram << " " << command->name << ": " << e.what() << "\n\n" << command->usage();
        return kExitUsage;
    } catch (const std::exception& e) {
        err << kProgram << " " << command->name << ": " << e.what() << "\n";
        return kExitInvalid;
    }
}

} // namespace gw::cli
