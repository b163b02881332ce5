// Two measurements of the stored PDO, EMCY and EMCY word editors, each run
// alternately with its yardstick in one process; prints the ratio of medians.
//
// 1. Start-up: the program creates every window at start. Creating the three
//    editors (their controls and images are made on first show) against
//    creating three dialogs with the same captions, sizes and a bottom bar of
//    four buttons, the least such a window holds. Their first show, which
//    makes the controls, is timed on its own.
// 2. OK of a large stored PDO document (127 PDOs x 40 entries on each side):
//    our document text, ordered by index and subindex, against a bare pugixml
//    document of the same rows in list order.
#include "bridge/UInfoPdo.h"
#include "bridge/UWemcy.h"
#include "bridge/Uemcy.h"
#include "bridge/stored_pdo.h"

#include "app/project_globals.h"
#include "bench_prompts.h"
#include "ui/prompts.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <sstream>
#include <vector>

namespace {

double Seconds(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs `ours` and `yardstick` alternately and prints both medians and their ratio.
void Compare(const char* what, int runs, const std::function<void()>& ours,
             const std::function<void()>& yardstick) {
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(Seconds(ours));
        b.push_back(Seconds(yardstick));
    }
    const double ma = Median(a), mb = Median(b);
    std::printf("%-34s ours %9.3f ms  yardstick %9.3f ms  ratio %.2f\n", what, ma * 1e3, mb * 1e3,
                ma / mb);
}

gw::StoredPdos LargeModel() {
    gw::StoredPdos m;
    for (gw::PdoSide side : {gw::PdoSide::A, gw::PdoSide::B}) {
        for (int p = 0; p < 127; ++p) {
            gw::AddPdo(m, side, std::to_string(0x180 + p));
            for (int e = 0; e < 40; ++e) // descending, so the order has work to do
                m[side].pdos.back().entries.push_back(
                    {std::to_string(0x6000 - p * 40 - e), std::to_string(e % 8), "33"});
        }
    }
    return m;
}

std::string BareDocument(const gw::StoredPdos& m) {
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("sdopdo");
    for (const gw::StoredPdoSide& side : m.sides) {
        for (const gw::TClPdo& pdo : side.pdos) {
            for (const gw::TClSdo& e : pdo.entries) {
                pugi::xml_node row = root.append_child("row");
                row.append_attribute("index").set_value(e.index.c_str());
                row.append_attribute("subindex").set_value(e.subindex.c_str());
                row.append_attribute("nrpdo").set_value(std::to_string(pdo.number).c_str());
                row.append_attribute("poscomp").set_value(e.poscomp.c_str());
            }
        }
    }
    std::ostringstream out;
    doc.save(out, "", pugi::format_raw | pugi::format_no_declaration);
    return out.str();
}

// Answers every prompt of a show at once, so the shows run unattended.
class Quiet : public gwbench::FileDialogAnswers {
    void Message(QWidget*, const QString&) override {}
    void Error(QWidget*, const QString&) override {}
    bool Question(QWidget*, const QString&, const QString&) override { return false; }
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Fonts and styles are loaded once, by whichever window comes first.
    delete new gw::TFemcy;

    Compare(
        "create the three editors", 41,
        [] {
            delete new gw::TFemcy;
            delete new gw::TFWemcy;
            delete new gw::TFInfopdo;
        },
        [] {
            for (auto [caption, w, h] : {std::tuple{"Set Traslate EMCY", 553, 556},
                                         std::tuple{"Define EMCY Word", 455, 464},
                                         std::tuple{"Define Store PDO", 586, 420}}) {
                auto* d = new QDialog;
                d->setWindowTitle(caption);
                d->setFixedSize(w, h);
                auto* bar = new QHBoxLayout(d);
                for (const char* b : {"OK", "Cancel", "Export", "Import"})
                    bar->addWidget(new QPushButton(b, d));
                delete d;
            }
        });

    // The first show of each editor on an empty project: the controls are made then.
    Quiet quiet;
    gw::InstallPrompts(&quiet);
    gw::Project.ProjectDir = "/nonexistent-project";
    gw::SetProjectPaths(gw::Project);
    std::vector<double> shows;
    for (int i = 0; i < 21; ++i) {
        gw::TFemcy emcy;
        gw::TFWemcy words;
        gw::TFInfopdo stored;
        shows.push_back(Seconds([&] {
            emcy.FormShow();
            words.FormShow();
            stored.FormShow();
        }));
    }
    std::printf("%-34s %9.3f ms\n", "first show of the three editors", Median(shows) * 1e3);
    gw::InstallPrompts(nullptr);

    const gw::StoredPdos model = LargeModel();
    std::size_t sink = 0;
    Compare(
        "OK text of 10160 stored entries", 21,
        [&] { sink += gw::StoredPdoDocumentText(model).size(); },
        [&] { sink += BareDocument(model).size(); });
    return sink == 0 ? 1 : 0;
}
