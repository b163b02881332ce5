// Big inputs in the windows: the XML window's Open of a 50 MB document, each
// bridge editor shown on a 50 MB document of its own and closed with OK, and
// a 100 000-record sheet import (65 535 for .xls, which holds no more rows).
// Each case runs in a process of its own and reports how far the process's
// peak resident memory rose above what it held before the action, against
// the input's size, and the wall time of the action.
//
//   big_input_bench [DIR]          every case; the inputs are made in DIR once
//                                  (default: a temporary folder, removed after)
//   big_input_bench CASE FILE      one case on FILE, in this process
//
// Run with QT_QPA_PLATFORM=offscreen on a Release build.
#include "app/project_globals.h"
#include "bench_prompts.h"
#include "bridge/UInfoPdo.h"
#include "bridge/USdo.h"
#include "bridge/UWemcy.h"
#include "bridge/Uemcy.h"
#include "bridge/Updo.h"
#include "extras/UXML.h"
#include "gateway/USetPdo.h"
#include "gateway/USetVar.h"
#include "gateway/Upargen.h"
#include "gateway/document_names.h"
#include "ui/guard.h"
#include "ui/prompts.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kDocumentBytes = 50u << 20;

// Answers every file dialog with the case's file and every question with Yes;
// what the windows tell is printed.
class BenchPrompts : public gwbench::FileDialogAnswers {
public:
    explicit BenchPrompts(QString file) : FileDialogAnswers(std::move(file)) {
        gw::InstallPrompts(this);
    }
    ~BenchPrompts() override { gw::InstallPrompts(nullptr); }

    void Message(QWidget*, const QString& text) override { Tell("message", text); }
    void Error(QWidget*, const QString& text) override { Tell("error", text); }
    bool Question(QWidget*, const QString&, const QString& text) override {
        Tell("question", text);
        return true;
    }

    std::string told;

private:
    void Tell(const char* kind, const QString& text) {
        told += std::string(told.empty() ? "" : "; ") + kind + ": " + text.left(90).toStdString();
    }
};

long StatusKiB(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0)
            return std::atol(line.c_str() + prefix.size());
    return -1;
}

// The peak from here on starts at what the process holds now.
void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// --- the inputs ---------------------------------------------------------

// A document of rows under its root, or under a list element inside it.
void WriteRows(const std::string& path, const char* root,
               const std::function<void(std::string&, int)>& row, const char* list = nullptr) {
    std::string text = std::string("<") + root + ">\n";
    if (list)
        text += std::string("<") + list + ">\n";
    text.reserve(kDocumentBytes + (1 << 20));
    for (int i = 0; text.size() < kDocumentBytes; ++i)
        row(text, i);
    if (list)
        text += std::string("</") + list + ">\n";
    text += std::string("</") + root + ">\n";
    std::ofstream(path, std::ios::binary) << text;
}

void Append(std::string& text, const char* format, auto... values) {
    char buffer[2048];
    const int n = std::snprintf(buffer, sizeof buffer, format, values...);
    text.append(buffer, static_cast<std::size_t>(n));
}

void MakeDocuments(const std::string& dir) {
    // The gateway editors: frame lists far beyond the 30 rows they show, and
    // the parameters followed by elements nobody reads.
    for (const gw::FrameListKind kind : {gw::FrameListKind::Receive, gw::FrameListKind::Send})
        WriteRows(
            dir + "/" + gw::frames::FileName(kind), gw::frames::RootName(kind),
            [kind](std::string& t, int i) {
                Append(t,
                       "<row Cob_Id=\"$%03X\" Dimension=\"%d\" Swap=\"0x00\"%s Mnemonic=\"Frame "
                       "%d\"/>\n",
                       0x181 + i % 0x600, i % 8 + 1,
                       kind == gw::FrameListKind::Receive ? " Delete=\"N\"" : "", i + 1);
            },
            gw::frames::ListName(kind));
    WriteRows(dir + "/pargen.xml", gw::pargen::kRoot, [](std::string& t, int i) {
        if (i == 0)
            t += "<Can_Baud>3</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0</Can_Send_Data>"
                 "<Can_Send_Time>100</Can_Send_Time><Can_TO>500</Can_TO><Profi_ID>3</Profi_ID>"
                 "<Profi_Baud>0</Profi_Baud><Profi_Frames>1</Profi_Frames>\n";
        Append(t, "<Note n=\"%d\">a note nobody reads</Note>\n", i);
    });
    // The XML window: rows of attributes, as the project documents are.
    WriteRows(dir + "/window.xml", "rows", [](std::string& t, int i) {
        Append(t,
               "<row cobid=\"0x%03X\" id_dev_orig=\"%d\" en_bypass=\"%d\" posind=\"%d\" "
               "n_tpdo=\"%d\" name=\"F%d &amp; B\" n=\"s%05d\"/>\n",
               0x181 + i % 0x600, i % 127 + 1, i % 4, i % 8, i % 10, i, i);
    });
    // ... and elements with text.
    WriteRows(dir + "/window-text.xml", "frames", [](std::string& t, int i) {
        Append(t,
               "<frame><cobid>0x%03X</cobid><dim>%d</dim><name>frame %d</name>"
               "<note>F%d &amp; B</note></frame>\n",
               0x181 + i % 0x600, i % 8 + 1, i, i);
    });
    WriteRows(dir + "/sdoaccess.xml", "sdo", [](std::string& t, int i) {
        Append(t,
               "<row conf=\"%d\" IndexA=\"0x%04X\" SubindexA=\"%d\" devIDB=\"%d\" "
               "IndexB=\"0x%04X\" SubindexB=\"%d\" nbyteB=\"4\" mnemonico=\"entry%d\"/>\n",
               (i % 2) * 17, 0x2000 + i % 0x1000, i % 8, i % 127 + 1, 0x6000 + i % 0x1000, i % 4,
               i);
    });
    WriteRows(dir + "/rpdodef.xml", "rpdodef", [](std::string& t, int i) {
        Append(t,
               "<row cobid=\"0x%03X\" id_dev_orig=\"%d\" en_bypass=\"%d\" posind=\"%d\" "
               "n_tpdo=\"%d\"/>\n",
               0x181 + i % 0x600, i % 127 + 1, i % 4, i % 8, i % 10);
    });
    WriteRows(dir + "/sdopdo.xml", "sdopdo", [](std::string& t, int i) {
        static const int pdos[] = {1, 2, 129};
        Append(t, "<row index=\"0x%04X\" subindex=\"%d\" nrpdo=\"%d\" poscomp=\"%d\"/>\n",
               0x6000 + i % 0x1000, i % 8, pdos[i % 3], (i % 9) * 16 + i % 9);
    });
    WriteRows(dir + "/emcydef.xml", "emcydef", [](std::string& t, int i) {
        Append(t,
               "<row id_dev=\"%d\" mask_eq_ec=\"%d\" mask_eq_er=\"%d\" mask_eq_m1=\"0\" "
               "mask_eq_m2=\"0\" mask_eq_m3=\"0\" enmask_eq_ec=\"65535\" enmask_eq_er=\"255\" "
               "enmask_eq_m1=\"0\" enmask_eq_m2=\"0\" enmask_eq_m3=\"0\" bypass_set=\"%d\"/>\n",
               i, 0x1000 + i % 0x1000, i % 256, (i % 2) * 32 + (i % 9) * 2 + 1);
    });
    WriteRows(dir + "/emcyword.xml", "emcyword", [](std::string& t, int i) {
        Append(t, "<row index_addrm=\"0x%04X\" subindex=\"%d\" extdata=\"%d\" devid=\"%d\"",
               0x2000 + i % 0x1000, i % 8, i % 2, i % 127 + 1);
        for (int b = 0; b < 16; ++b)
            Append(t, " bit%d_b0=\"%d\" bit%d_b1=\"%d\" bit%d_poscomp=\"%d\"", b, i % 3, b,
                   (i + b) % 5, b, (b % 9) * 16 + i % 9);
        t += "/>\n";
    });
}

// --- one case -----------------------------------------------------------

struct Case {
    const char* name;
    const char* document; // the project document the file is copied to; none for Open/Import
    std::function<void(const std::string& file)> run;
};

// The show and the OK on their own, told after the case's figures.
std::string phases;

double SecondsOf(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <class W> void ShowThenOk(W* w, void (W::*press)() = &W::BitBtn1Click) {
    char text[64];
    const double show = SecondsOf([&] {
        w->show();
        QApplication::processEvents();
    });
    const double ok = SecondsOf([&] { gw::Guarded(w, [w, press] { (w->*press)(); }); });
    std::snprintf(text, sizeof text, "(show %.2f s, OK %.2f s) ", show, ok);
    phases = text;
    w->hide();
}

template <class W> void Import(W* w) {
    w->show();
    QApplication::processEvents();
    ResetPeak(); // the empty editor shown is no part of the import
    gw::Guarded(w, [w] { w->BitBtn4Click(); });
    w->hide();
}

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"xml-window", nullptr,
         [](const std::string&) {
             gw::TFXML w;
             gw::Guarded(&w, [&] { w.btnopenClick(); });
         }},
        {"pargen", "pargen.xml", [](const std::string&) { ShowThenOk(new gw::TFpargen); }},
        {"receive-frames", "sdo.xml",
         [](const std::string&) { ShowThenOk(new gw::TFSetVar, &gw::TFSetVar::bitbtn1Click); }},
        {"send-frames", "pdo.xml",
         [](const std::string&) { ShowThenOk(new gw::TFSetPdo, &gw::TFSetPdo::LbButton4Click); }},
        {"sdoaccess", "sdoaccess.xml", [](const std::string&) { ShowThenOk(new gw::TFsdo); }},
        {"rpdodef", "rpdodef.xml", [](const std::string&) { ShowThenOk(new gw::TFpdo); }},
        {"sdopdo", "sdopdo.xml", [](const std::string&) { ShowThenOk(new gw::TFInfopdo); }},
        {"emcydef", "emcydef.xml", [](const std::string&) { ShowThenOk(new gw::TFemcy); }},
        {"emcyword", "emcyword.xml", [](const std::string&) { ShowThenOk(new gw::TFWemcy); }},
        {"import-sdo", nullptr, [](const std::string&) { Import(new gw::TFsdo); }},
        {"import-emcydef", nullptr, [](const std::string&) { Import(new gw::TFemcy); }},
    };
    return cases;
}

int RunCase(int argc, char** argv, const std::string& name, const std::string& file) {
    const Case* c = nullptr;
    for (const Case& k : Cases())
        if (name == k.name)
            c = &k;
    if (!c) {
        std::fprintf(stderr, "no case %s\n", name.c_str());
        return 2;
    }
    QApplication app(argc, argv);
    char pattern[] = "/tmp/gwbig.XXXXXX";
    if (!::mkdtemp(pattern))
        return 2;
    const std::string project = pattern;
    gw::Project.ProjectDir = project;
    gw::SetProjectPaths(gw::Project);
    if (c->document)
        fs::copy_file(file, project + "/" + c->document);
    if (name == "sdopdo") // PDOs for the entries to belong to
        std::ofstream(project + "/rpdodef.xml")
            << "<rpdodef><row cobid='0x181' en_bypass='1'/><row cobid='0x201' en_bypass='3'/>"
               "<row cobid='0x182' en_bypass='0'/></rpdodef>";
    BenchPrompts prompts(QString::fromStdString(file));
    const long before = StatusKiB("VmRSS");
    ResetPeak();
    const auto start = std::chrono::steady_clock::now();
    c->run(file);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = StatusKiB("VmHWM");
    const double input = static_cast<double>(fs::file_size(file));
    const double grown = static_cast<double>(peak - before) * 1024.0;
    std::printf("%-16s %-22s %8.1f MB %8.1f MB %6.2f %7.2f s  %s%s\n", name.c_str(),
                fs::path(file).filename().c_str(), input / 1e6, grown / 1e6, grown / input, seconds,
                phases.c_str(), prompts.told.c_str());
    std::printf("#figures %.0f %.0f\n", input, grown); // for RunAll

    std::fflush(stdout);
    std::error_code ec;
    fs::remove_all(project, ec);
    std::_Exit(0); // the windows' teardown is no part of the figures
}

std::string Self() {
    return fs::read_symlink("/proc/self/exe").string();
}

void RunAll(const std::string& dir) {
    if (!fs::exists(dir + "/emcyword.xml") || !fs::exists(dir + "/pargen.xml")) {
        std::printf("making the documents in %s\n", dir.c_str());
        MakeDocuments(dir);
    }
    if (!fs::exists(dir + "/sdo100.ods")) {
        std::printf("making the workbooks in %s\n", dir.c_str());
        const std::string make = "/usr/bin/python3 " GW_SOURCE_DIR
                                 "/tests/data/bridge/make_workbooks.py --big '" +
                                 dir + "'";
        if (std::system(make.c_str()) != 0)
            std::exit(1);
    }
    // An import is also run on a sheet of 100 rows: what is left when its cost
    // is taken away is what the import needs for the rows.
    const struct {
        const char* name;
        const char* file;
        const char* small = nullptr;
    } runs[] = {
        {"xml-window", "window.xml"},
        {"xml-window", "window-text.xml"},
        {"pargen", "pargen.xml"},
        {"receive-frames", "sdo.xml"},
        {"send-frames", "pdo.xml"},
        {"sdoaccess", "sdoaccess.xml"},
        {"rpdodef", "rpdodef.xml"},
        {"sdopdo", "sdopdo.xml"},
        {"emcydef", "emcydef.xml"},
        {"emcyword", "emcyword.xml"},
        {"import-sdo", "sdo100000.xlsx", "sdo100.xlsx"},
        {"import-sdo", "sdo100000-inline.xlsx", "sdo100-inline.xlsx"},
        {"import-sdo", "sdo100000.ods", "sdo100.ods"},
        {"import-sdo", "sdo65535.xls", "sdo100.xls"},
        {"import-emcydef", "emcydef100000.xlsx", "emcydef100.xlsx"},
    };
    std::printf("%-16s %-22s %11s %11s %6s %9s\n", "case", "input", "size", "peak rise", "ratio",
                "time");
    std::fflush(stdout);
    // Runs one case in a process of its own; its input size and peak rise.
    const auto run = [&](const char* name, const char* file) -> std::pair<double, double> {
        const std::string command = "'" + Self() + "' " + name + " '" + dir + "/" + file + "'";
        std::pair<double, double> figures{0, 0};
        FILE* out = ::popen(command.c_str(), "r");
        char line[4096];
        while (out && std::fgets(line, sizeof line, out))
            if (std::sscanf(line, "#figures %lf %lf", &figures.first, &figures.second) != 2)
                std::fputs(line, stdout);
        if (!out || ::pclose(out) != 0)
            std::printf("%-16s %-22s failed\n", name, file);
        std::fflush(stdout);
        return figures;
    };
    for (const auto& r : runs) {
        const auto [input, grown] = run(r.name, r.file);
        if (!r.small)
            continue;
        const auto [smallInput, smallGrown] = run(r.name, r.small);
        std::printf("%-16s %-22s less the %.1f MB of the same import of 100 rows: %.2f\n", "",
                    r.file, smallGrown / 1e6, (grown - smallGrown) / (input - smallInput));
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    if (argc == 3)
        return RunCase(argc, argv, argv[1], argv[2]);
    if (argc == 2) {
        fs::create_directories(argv[1]);
        RunAll(argv[1]);
        return 0;
    }
    char pattern[] = "/tmp/gwbiginputs.XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    RunAll(pattern);
    fs::remove_all(pattern);
    return 0;
}
