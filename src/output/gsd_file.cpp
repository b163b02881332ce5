#include "output/gsd_file.h"

#include "common/hex_text.h"
#include "common/maker.h"
#include "common/parse_int.h"
#include "gateway/document_names.h"
#include "gateway/project_documents.h"

#include <cstring>

namespace gw {

namespace gsd {

std::string B(std::string_view text) {
    std::string line = ";*";
    line += text;
    if (line.size() < 84)
        line.append(84 - line.size(), ' ');
    line += '*';
    return line;
}

std::string Z() {
    return " " + std::string(80, '=') + " ";
}

std::string R(int w) {
    std::string line = ";";
    line.append(static_cast<std::size_t>(w - 1), '=');
    return line;
}

std::string H(std::string_view title, int w) {
    std::string line = ";==== ";
    line += title;
    line += ' ';
    if (line.size() < static_cast<std::size_t>(w))
        line.append(static_cast<std::size_t>(w) - line.size(), '=');
    return line;
}

} // namespace gsd

namespace {

using gsd::B;
using gsd::H;
using gsd::R;
using gsd::Z;

constexpr std::int64_t kModuleBytes = 64;
constexpr const char* kMakerMark = "{maker}";
constexpr std::uint8_t kInputModule = 0x42;
constexpr std::uint8_t kOutputModule = 0x82;

// Contact lines of the banner: each text starts with eleven blanks.
std::vector<std::string> ContactLines() {
    const std::string indent(11, ' ');
    std::vector<std::string> lines;
    lines.push_back(indent + maker::kCompany);
    lines.push_back(indent + maker::kStreet);
    lines.push_back(indent + maker::kTown);
    lines.push_back(indent + "Tel.   " + maker::kPhone);
    lines.push_back(indent + "Fax    " + maker::kFax);
    lines.push_back(indent + "E-mail " + maker::kEmail);
    return lines;
}

// The text before the module definitions, one entry per line.
const char* const kPrmTextLines[] = {
    "PrmText=1",
    "Text(0)=\"disable\"",
    "Text(1)=\"enable\"",
    "EndPrmText",
    "",
    "PrmText  = 2",
    "Text(0)  = \"clock up\"",
    "Text(1)  = \"clock down\"",
    "EndPrmText",
    "",
    "PrmText  = 3",
    "Text(1)  = \"10\"",
    "Text(2)  = \"20\"",
    "Text(3)  = \"30\"",
    "Text(4)  = \"40\"",
    "Text(5)  = \"50\"",
    "EndPrmText",
};

const char* const kExtUserPrmLines[] = {
    "ExtUserPrmData=1 \"[SlotNumber]\"",
    "Unsigned8 0 0-32",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=2 \"Diagnostic Alarm\"",
    "Bit(0) 0 0-1",
    "Prm_Text_Ref=1",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=3 \"Process Alarm\"",
    "Bit(1) 0 0-1",
    "Prm_Text_Ref=1",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=4 \"Counter mode\"",
    "Unsigned8 0 0-1",
    "Prm_Text_Ref=2",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=5 \"Counter timebase (ms)\"",
    "Unsigned8 1 1-5",
    "Prm_Text_Ref=3",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=6 \"Counter high-limit\"",
    "Unsigned16 65535 0-65535",
    "EndExtUserPrmData",
    "",
    "ExtUserPrmData=7 \"Counter low-limit\"",
    "Unsigned16 0 0-65535",
    "EndExtUserPrmData",
};

const char* const kGeneralLines[] = {
    "GSD_Revision = 5",
    "Vendor_Name = \"{maker}\"",
    "Model_Name = \"HD40931\"",
    "Revision = \"1.00\"",
    "Ident_Number = 0x5C1D",
    "Protocol_Ident = 0",
    "Station_Type = 0",
    "FMS_supp = 0",
    "Hardware_Release = \"V1.00\"",
    "Software_Release = \"V1.00\"",
    "Redundancy = 0",
    "Repeater_Ctrl_Sig = 2",
    "24V_Pins = 0",
};

const char* const kBaudrateLines[] = {
    "9.6_supp = 1",
    "19.2_supp = 1",
    "45.45_supp = 1",
    "93.75_supp = 1",
    "187.5_supp = 1",
    "500_supp = 1",
    "1.5M_supp = 1",
    "3M_supp = 1",
    "6M_supp = 1",
    "12M_supp = 1",
    "",
    "MaxTsdr_9.6=15",
    "MaxTsdr_19.2=15",
    "MaxTsdr_45.45=15",
    "MaxTsdr_93.75=15",
    "MaxTsdr_187.5=15",
    "MaxTsdr_500=15",
    "MaxTsdr_1.5M=20",
    "MaxTsdr_3M=35",
    "MaxTsdr_6M=50",
    "MaxTsdr_12M=95",
};

const char* const kSlaveLines[] = {
    "OrderNumber=\"HD40931\"",
    "Slave_Family = 9@{maker}@HD40931",
    "Implementation_Type = \"VPC3+\"",
    "Info_Text=\"{maker}: Gateway CAN to PROFIBUS Slave\"",
    "Bitmap_Device = \"DPV0_1N\"",
    "Bitmap_SF=\"DPV0_1S\"",
    "",
    "Freeze_Mode_supp=1",
    "Sync_Mode_supp=1",
    "Fail_Safe=1",
    "Auto_Baud_supp=1",
    "Set_Slave_Add_supp=0",
    "",
    "Min_Slave_Intervall=6",
    "",
    "Modular_Station=1",
};

const char* const kModulstatusLines[] = {
    "Unit_Diag_Area = 24 - 25",
    "Value(1)= \"Slot 1: Module error\"",
    "Value(2)= \"Slot 1: Wrong module\"",
    "Value(3)= \"Slot 1: No module\"",
    "Unit_Diag_Area_End",
    "Unit_Diag_Area = 26 - 27",
    "Value(1)= \"Slot 2: Module error\"",
    "Value(2)= \"Slot 2: Wrong module\"",
    "Value(3)= \"Slot 2: No module\"",
    "Unit_Diag_Area_End",
};

class LineWriter {
public:
    explicit LineWriter(OutputSink& out) : out_(out) {}
    void Line(std::string_view text = {}) {
        out_.Write(text);
        out_.Write("\r\n");
    }
    void Empty(int count) {
        for (int i = 0; i < count; ++i)
            Line();
    }
    // "{maker}" in a fixed line stands for the maker's name, spelled once in maker.h.
    template <std::size_t N> void Lines(const char* const (&lines)[N]) {
        for (const char* l : lines) {
            std::string line = l;
            if (const auto at = line.find(kMakerMark); at != std::string::npos)
                line.replace(at, std::strlen(kMakerMark), maker::kName);
            Line(line);
        }
    }
    // A heading between two rules of the same width.
    void Section(std::string_view title, int w) {
        Line(R(w));
        Line(H(title, w));
        Line(R(w));
    }

private:
    OutputSink& out_;
};

// hex2(): the low eight bits, so a byte of the identifier always has two digits.
std::string Hex2(std::int64_t v) {
    return ByteHexText(static_cast<std::uint8_t>(v & 0xFF));
}

void Module(LineWriter& w, std::uint8_t kind, std::int64_t length, std::int64_t n) {
    const std::string number = std::to_string(n);
    w.Line("Module=\"" + std::string(kind == kInputModule ? "DI" : "DO") + "  (PORT" + number +
           ")    \" " + Hex2(kind) + "," + Hex2(length - 1) + ",0x00," + Hex2(n));
    w.Line(number);
    w.Line("EndModule");
}

// Cuts `bytes` into `modules` modules of 64 bytes, the last taking the rest.
void PackedModules(LineWriter& w, std::uint8_t kind, std::int64_t modules, std::int64_t bytes,
                   std::int64_t& n) {
    if (modules <= 0)
        return;
    std::int64_t remaining = bytes;
    for (std::int64_t i = 1; i < modules; ++i) {
        Module(w, kind, kModuleBytes, n++);
        remaining -= kModuleBytes;
    }
    Module(w, kind, remaining, n++);
}

void ModuleDefinitions(LineWriter& w, const GsdCounts& c) {
    std::int64_t n = 1;
    if (c.ProfiFrames == 1) {
        for (std::int32_t d : c.ReceiveDimensions)
            Module(w, kInputModule, d, n++);
        for (std::int32_t d : c.SendDimensions)
            Module(w, kOutputModule, d, n++);
    } else {
        PackedModules(w, kInputModule, c.InputModules, c.InputBytes, n);
        PackedModules(w, kOutputModule, c.OutputModules, c.OutputBytes, n);
    }
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if (a % b != 0 && a > 0)
        ++q;
    return q;
}

void CountList(const FrameListDocument& doc, std::int64_t& modules, std::int64_t& bytes,
               std::vector<std::int32_t>& dimensions) {
    doc.ThrowIfFailed();
    ThrowFirst(GeneratorFindings(doc, false));
    dimensions.reserve(doc.records.size());
    for (const FrameRecord& r : doc.records) {
        const std::int32_t d = ParseIntText(*r.Dimension);
        dimensions.push_back(d);
        bytes += d;
    }
    modules = static_cast<std::int64_t>(doc.records.size());
}

} // namespace

GsdCounts ComputeGsdCounts(const ProjectDocuments& docs) {
    GsdCounts c;
    docs.parameters.ThrowIfFailed();
    if (docs.parameters.state == DocumentState::Read) {
        const auto& text = docs.parameters.Text(pargen::kProfiFrames);
        // Only 1 asks for one module per frame; anything else packs the bytes.
        c.ProfiFrames = text && ParseIntTextOr(*text, 0) == 1 ? 1 : 0;
    }
    CountList(docs.receive, c.InputModules, c.InputBytes, c.ReceiveDimensions);
    CountList(docs.send, c.OutputModules, c.OutputBytes, c.SendDimensions);
    if (c.ProfiFrames == 0) {
        c.InputModules = CeilDiv(c.InputBytes, kModuleBytes);
        c.OutputModules = CeilDiv(c.OutputBytes, kModuleBytes);
    }
    return c;
}

GsdCounts ComputeGsdCounts(const std::string& projectDir) {
    return ComputeGsdCounts(ReadProjectDocuments(projectDir));
}

void WriteGsdText(const GsdCounts& c, OutputSink& out) {
    LineWriter w(out);
    w.Line(";");
    w.Line(";" + std::string(25, '*') + " Gateway CAN  to ProfiBus Slave " + std::string(27, '*'));
    w.Line(B(Z()));
    w.Line(B());
    w.Line(B(std::string(" Vendor:   ") + maker::kName));
    for (const std::string& contact : ContactLines())
        w.Line(B(contact));
    w.Line(B());
    w.Line(B(Z()));
    w.Line(B());
    w.Line(B(" Function:       Gateway CAN to ProfiBus Slave"));
    w.Line(B());
    w.Line(B());
    w.Line(B(" Order Number : HD40931"));
    w.Line(B());
    w.Line(B());
    w.Line(";" + std::string(84, '*'));
    w.Empty(2);
    w.Line("#Profibus_DP");
    w.Empty(2);

    w.Section("Prm-Text-Def-List", 85);
    w.Empty(1);
    w.Lines(kPrmTextLines);
    w.Empty(2);

    w.Section("Ext-User-Prm-Data-Def-List", 86);
    w.Empty(1);
    w.Lines(kExtUserPrmLines);
    w.Empty(2);

    w.Section("General DP Keywords", 86);
    w.Empty(1);
    w.Lines(kGeneralLines);
    w.Empty(2);

    w.Section("Supported baudrates", 79);
    w.Empty(1);
    w.Lines(kBaudrateLines);
    w.Empty(2);

    w.Section("Slave specific values", 79);
    w.Empty(1);
    w.Lines(kSlaveLines);
    w.Line("Max_Module=" + std::to_string(c.InputModules + c.OutputModules));
    w.Line("Modul_Offset=1");
    w.Line("Max_Input_Len=" + std::to_string(c.InputBytes));
    w.Line("Max_Output_Len=" + std::to_string(c.OutputBytes));
    w.Line("Max_Data_Len=" + std::to_string(c.InputBytes + c.OutputBytes));
    w.Line("Max_Diag_Data_Len=18");
    w.Empty(1);
    w.Line("WD_Base_1ms_supp = 1");
    w.Line("Publisher_supp = 1");
    w.Empty(1);

    w.Section("User-Prm-Data", 79);
    w.Empty(1);
    w.Line("Max_User_Prm_Data_Len = 12");
    w.Line("Ext_User_Prm_Data_Const(0)= 0x00,0x00,0x00");
    w.Empty(1);

    w.Section("Modulstatus", 79);
    w.Empty(1);
    w.Lines(kModulstatusLines);
    w.Empty(2);

    w.Section("Module-Definition-List", 79);
    w.Empty(1);
    ModuleDefinitions(w, c);
    w.Empty(3);
    w.Line("SlotDefinition");
    const std::int64_t slots = c.InputModules + c.OutputModules;
    for (std::int64_t s = 1; s <= slots; ++s) {
        const std::string t = std::to_string(s);
        w.Line("Slot(" + t + ") = \"Slot " + t + "\" " + t + " " + t);
    }
    w.Line("EndSlotDefinition");
    w.Empty(4);
}

std::string GsdText(const GsdCounts& counts) {
    StringSink sink;
    WriteGsdText(counts, sink);
    return sink.Text();
}

void WriteGsdFile(const std::string& projectDir, const std::string& fileName) {
    const GsdCounts counts = ComputeGsdCounts(projectDir);
    AtomicFileSink sink(fileName);
    WriteGsdText(counts, sink);
    sink.Commit();
}

} // namespace gw
