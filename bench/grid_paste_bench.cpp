// Ctrl+V of a whole 1500-row table (the SDO access tables: 1500 rows of 8
// cells) through GridKeys, against the least a paste can do: split the text
// with QString::split and set each item's text. Runs both alternately and
// prints the medians and their ratio. Run with QT_QPA_PLATFORM=offscreen.
#include "ui/grid_keys.h"

#include <QApplication>
#include <QClipboard>
#include <QTableWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 1500;
constexpr int kColumns = 9; // the row number and 8 cells

QString Block(const char* tag) {
    QStringList lines;
    for (int r = 0; r < kRows; ++r) {
        QStringList cells;
        for (int c = 1; c < kColumns; ++c)
            cells << QString("%1%2.%3").arg(tag).arg(r).arg(c);
        lines << cells.join('\t');
    }
    return lines.join("\r\n") + "\r\n";
}

QTableWidget* MakeTable() {
    auto* t = new QTableWidget(kRows, kColumns);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(c == 0 ? QString::number(r) : QString());
            if (c == 0)
                item->setFlags(Qt::ItemIsEnabled);
            t->setItem(r, c, item);
        }
    t->resize(800, 600);
    t->show();
    return t;
}

void NaivePaste(QTableWidget* t, const QString& text) {
    const QStringList lines = text.split("\r\n", Qt::SkipEmptyParts);
    for (int r = 0; r < lines.size() && r < t->rowCount(); ++r) {
        const QStringList cells = lines[r].split('\t');
        for (int c = 0; c < cells.size() && c + 1 < t->columnCount(); ++c)
            t->item(r, c + 1)->setText(cells[c]);
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString blocks[] = {Block("a"), Block("b")};
    QTableWidget* ours = MakeTable();
    QTableWidget* naive = MakeTable();
    gw::GridKeys* keys = gw::GridKeys::Attach(ours, "the table holds 1500 entries");
    ours->setCurrentCell(0, 1);

    using Clock = std::chrono::steady_clock;
    std::vector<double> oursMs, naiveMs;
    for (int run = 0; run < 21; ++run) {
        const QString& text = blocks[run % 2];
        QGuiApplication::clipboard()->setText(text);
        auto t0 = Clock::now();
        keys->Paste();
        QApplication::processEvents(); // the repaint the user waits for
        auto t1 = Clock::now();
        NaivePaste(naive, text);
        QApplication::processEvents();
        auto t2 = Clock::now();
        oursMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        naiveMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    const double a = Median(oursMs), b = Median(naiveMs);
    std::printf("paste %d x 8 cells: GridKeys %.1f ms, split and setText %.1f ms, ratio %.2f\n",
                kRows, a, b, a / b);
    delete ours;
    delete naive;
    return 0;
}
