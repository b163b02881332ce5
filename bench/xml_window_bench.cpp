// The XML window on the 10 MB document of xml_reader_bench: how long "Open "
// takes from the click to the painted tree, how much of it is the reader, and
// what "Full Expand" costs in time and memory. Runs on any Qt platform
// (offscreen by default).
#include "app/Unewp.h"
#include "app/project_globals.h"
#include "bench_prompts.h"
#include "extras/UXML.h"
#include "ui/prompts.h"
#include "xml_bench_document.h"

#include <QApplication>
#include <QPushButton>
#include <QTreeView>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace {

// Wall-clock and CPU time of this thread since a start.
struct Clock {
    struct Point {
        std::chrono::steady_clock::time_point wall;
        double cpu;
    };
    static Point now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return {std::chrono::steady_clock::now(),
                static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6};
    }
};

// "W ms (CPU C ms)": on a busy machine the wall-clock time includes waiting.
std::string Since(const Clock::Point& start) {
    const Clock::Point end = Clock::now();
    const double wall = std::chrono::duration<double, std::milli>(end.wall - start.wall).count();
    char text[64];
    std::snprintf(text, sizeof text, "%.0f ms (CPU %.0f ms)", wall, end.cpu - start.cpu);
    return text;
}

// Resident memory of this process in MB.
double ResidentMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Answers the file dialog with one file; nothing else is expected.
class OneFile : public gwbench::FileDialogAnswers {
public:
    explicit OneFile(QString path) : FileDialogAnswers(std::move(path)) {}
    void Message(QWidget*, const QString& t) override {
        std::printf("message: %s\n", qPrintable(t));
    }
    void Error(QWidget*, const QString& t) override { std::printf("error: %s\n", qPrintable(t)); }
    bool Question(QWidget*, const QString&, const QString&) override { return false; }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const gwbench::LargeXmlFile file;
    OneFile prompts(QString::fromStdString(file.Path()));
    gw::InstallPrompts(&prompts);

    gw::TFXML window;
    window.resize(732, 560);
    window.show();
    QApplication::processEvents();
    const double before = ResidentMb();

    auto start = Clock::now();
    gw::ReadXmlFile(file.Path());
    const std::string parse = Since(start);

    start = Clock::now();
    window.btnopen->click();
    window.TvXml->repaint();
    QApplication::processEvents();
    const std::string open = Since(start);
    std::printf("document %.1f MB; reader alone %s\n", file.Text().size() / 1e6, parse.c_str());
    std::printf("Open: click to painted tree %s, RSS %.0f MB\n", open.c_str(),
                ResidentMb() - before);

    start = Clock::now();
    window.TvXml->expand(window.Model()->index(0, 0));
    window.TvXml->expand(window.Model()->index(0, 0, window.Model()->index(0, 0)));
    window.TvXml->repaint();
    QApplication::processEvents();
    std::printf("Opening the root (100 000 rows): %s\n", Since(start).c_str());

    start = Clock::now();
    const std::size_t items = window.Model()->Tree().MakeAll();
    std::printf("making the %zu items: %s\n", items, Since(start).c_str());

    start = Clock::now();
    window.btnFullExpand->click();
    window.TvXml->repaint();
    QApplication::processEvents();
    std::printf("Full Expand (800 001 rows): %s, RSS %.0f MB above the empty window\n",
                Since(start).c_str(), ResidentMb() - before);

    start = Clock::now();
    window.TvXml->scrollToBottom();
    window.TvXml->repaint();
    QApplication::processEvents();
    std::printf("Scroll to the last row: %s\n", Since(start).c_str());
    gw::InstallPrompts(nullptr);
    return 0;
}
