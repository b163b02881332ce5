#include "cli/cli_commands.h"

#include "app/program_options.h"
#include "app/workspace.h"
#include "bridge/bridge_tables.h"
#include "bridge/workbook.h"
#include "cli/cli_firmware.h"
#include "cli/cli_xml_tree.h"
#include "common/file_io.h"
#include "common/version.h"
#include "gateway/frame_list.h"
#include "gateway/pargen.h"
#include "output/bank_dump.h"
#include "output/bank_image.h"
#include "output/gsd_file.h"
#include "output/project_documents.h"

#include <exception>
#include <optional>
#include <ostream>

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
    "file. Errors go to standard error, one per line, behind the document's name;\n"
    "the exit status is 1 when there is any. An unreadable pargen.xml is reported\n"
    "and the frames are then checked for 11-bit identifiers. The bridge tables'\n"
    "documents are read as their editors read them.\n";

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

// What a command was given: its positional arguments and its -o value.
struct Arguments {
    std::string projectsDir; // where a project given by name is; empty: nowhere
    bool help = false;
    std::vector<std::string> positional;
    std::optional<std::string> output;
};

class UsageError : public std::exception {
public:
    explicit UsageError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

Arguments Parse(const std::vector<std::string>& args, bool takesOutput) {
    Arguments a;
    bool options = true;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& s = args[i];
        if (options && s == "--") {
            options = false;
        } else if (options && (s == "--help" || s == "-h")) {
            a.help = true;
        } else if (options && takesOutput && s == "-o") {
            if (i + 1 >= args.size())
                throw UsageError("option -o needs a file name");
            if (a.output)
                throw UsageError("option -o given twice");
            a.output = args[++i];
        } else if (options && s.size() > 1 && s[0] == '-') {
            throw UsageError("unknown option '" + s + "'");
        } else {
            a.positional.push_back(s);
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

// Every message once, behind the name of the document it concerns.
class Findings {
public:
    void Add(const std::string& document, const std::string& message) {
        for (const std::string& m : messages_)
            if (m == message)
                return;
        messages_.push_back(message);
        lines_.push_back(document + ": " + message);
    }
    const std::vector<std::string>& Lines() const { return lines_; }

private:
    std::vector<std::string> messages_;
    std::vector<std::string> lines_;
};

int Check(const Arguments& a, std::ostream& out, std::ostream& err) {
    const std::string dir = ProjectFolder(a);
    Findings findings;

    const std::string pargenPath = PargenFilePath(dir);
    CobIdWidth width = CobIdWidth::Bits11;
    try {
        const PargenFields f = LoadPargenFields(pargenPath);
        for (const std::string& m : CheckPargenFields(f.sendTime, f.timeOut, f.profiId))
            findings.Add(kPargenFile, m);
        width = ReadCobIdWidth(pargenPath);
    } catch (const std::exception& e) {
        findings.Add(kPargenFile, e.what());
    }

    int frameCount[2] = {0, 0};
    for (const FrameListKind kind : {FrameListKind::Receive, FrameListKind::Send}) {
        const char* file = frames::FileName(kind);
        FrameGrid grid(kind);
        try {
            const FrameLoadResult r = LoadFrameDocument(kind, FrameFilePath(dir, kind), grid);
            frameCount[kind == FrameListKind::Receive ? 0 : 1] = r.framesInDocument;
            if (r.framesInDocument > MaxFrameRows)
                findings.Add(file, TooManyFramesMessage(kind, r.framesInDocument));
        } catch (const std::exception& e) {
            findings.Add(file, e.what());
        }
        // The rows read before a failed load are checked too, as the editor would on OK.
        for (const std::string& m : CheckFrameRows(kind, grid, width))
            findings.Add(file, m);
    }

    for (const BridgeTable& table : BridgeTables())
        for (const BridgeFinding& f : table.check(dir))
            findings.Add(f.document, f.message);

    // What the generators need beyond the editors' checks (a row past an empty
    // Cob-ID, a list element missing, ...).
    try {
        BuildBankImage(dir);
    } catch (const std::exception& e) {
        findings.Add(kBankFileName, e.what());
    }
    try {
        ComputeGsdCounts(dir);
    } catch (const std::exception& e) {
        findings.Add("GSD", e.what());
    }

    if (!findings.Lines().empty()) {
        for (const std::string& line : findings.Lines())
            err << line << "\n";
        return kExitInvalid;
    }
    out << dir << ": no errors (" << (width == CobIdWidth::Bits11 ? "11" : "29")
        << "-bit identifiers, " << frameCount[0] << " receive and " << frameCount[1]
        << " send frames)\n";
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

struct Command {
    const char* name;
    std::string (*usage)();
    bool takesOutput;
    int (*run)(const Arguments&, std::ostream&, std::ostream&);
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
        Arguments a = Parse(args, command->takesOutput);
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
