#include "bridge/USdo.h"

#include "app/UBrinvaleFirmWare.h"
#include "app/project_globals.h"
#include "ui/entry_grid.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QEvent>
#include <QLabel>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gw {

TFsdo* Fsdo = nullptr;

namespace {

constexpr int kHeaderHeight = 20;
// Columns 4 to 8 describe the object on the other bus.
const std::vector<int> kOtherBusColumns{4, 5, 6, 7, 8};

QLabel* HeaderLabel(QWidget* strip, const char* name, const char* text, bool tinted) {
    auto* l = new QLabel(text, strip);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setFont(HouseFont(8, true));
    if (tinted) {
        l->setAutoFillBackground(true);
        QPalette p = l->palette();
        p.setColor(QPalette::Window, kLightCyan);
        l->setPalette(p);
    }
    return l;
}

} // namespace

TFsdo::TFsdo(QWidget* parent) : BridgeWindow("Fsdo", "Set SDO Access", {760, 560}, parent) {
    auto* layout = new QVBoxLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(Content());
    PageControl1->setObjectName("PageControl1");
    layout->addWidget(PageControl1);

    auto* stripA = new QWidget;
    stripA->setFixedHeight(kHeaderHeight);
    Label1 = HeaderLabel(stripA, "Label1", "Define virtual index SDO in CAN A", false);
    Label2 = HeaderLabel(stripA, "Label2", "Input index address SDO in CAN B", true);
    sga = AddGridTab(PageControl1, "SDO from CAN A request to CAN B", "sga", stripA);

    auto* stripB = new QWidget;
    stripB->setFixedHeight(kHeaderHeight);
    Label3 = HeaderLabel(stripB, "Label3", "Define virtual index SDO in CAN B", false);
    Label4 = HeaderLabel(stripB, "Label4", "Input index address SDO in CAN A", true);
    sgb = AddGridTab(PageControl1, "SDO from CAN B request to CAN A", "sgb", stripB);

    sga->installEventFilter(this);
    sgb->installEventFilter(this);
}

// The 1500-row grids are set up when first shown, not at start.
void TFsdo::BuildGrids() {
    if (built_)
        return;
    const SdoAccessTables empty;
    SetupEntryGrid(sga, empty.a, kOtherBusColumns);
    SetupEntryGrid(sgb, empty.b, kOtherBusColumns);
    built_ = true;
    FitColumns(sga, Label1, Label2);
    FitColumns(sgb, Label3, Label4);
}

// Every column a tenth of the grid; the left label over the first four.
void TFsdo::FitColumns(QTableWidget* grid, QLabel* left, QLabel* right) {
    const int w = grid->width() / (sdoaccess::kColumns + 1);
    for (int c = 0; c < grid->columnCount(); ++c)
        grid->setColumnWidth(c, w);
    left->setGeometry(0, 0, 4 * w, kHeaderHeight);
    right->setGeometry(4 * w + 1, 0, grid->width() - 4 * w, kHeaderHeight);
}

bool TFsdo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == sga)
            FitColumns(sga, Label1, Label2);
        else if (watched == sgb)
            FitColumns(sgb, Label3, Label4);
    }
    return BridgeWindow::eventFilter(watched, event);
}

SdoAccessTables TFsdo::Tables() const {
    SdoAccessTables t;
    if (built_) {
        GridToEntries(sga, t.a);
        GridToEntries(sgb, t.b);
    }
    return t;
}

void TFsdo::ShowTables(const SdoAccessTables& tables) {
    BuildGrids();
    EntriesToGrid(tables.a, sga);
    EntriesToGrid(tables.b, sgb);
}

void TFsdo::FormShow() {
    SdoAccessTables tables;
    BridgeLoad loaded;
    if (!LoadForShow(ReadingDocumentText(kSdoAccessFile), [&](const ProgressHooks* progress) {
            loaded = LoadSdoAccess(Project.SdoAccessPath, tables, progress);
        }))
        return;
    // What was read before a failure stays in view.
    ShowTables(tables);
    // No document is no news: nothing sets it up but this editor.
    TellLoad(loaded, Project.SdoAccessPath, kSdoAccessFile, false);
}

void TFsdo::BitBtn1Click() {
    // Without a project there is no folder to write into.
    if (Project.ProjectDir.empty()) {
        CurrentPrompts().Message(this, kMsgProjectNotValid);
        return;
    }
    const SdoAccessTables tables = Tables();
    if (const auto unfit = FirstUnfitSdoAccessCell(tables)) {
        ShowRefusedCell(this, *unfit, PageControl1, sga, sgb);
        return;
    }
    if (!documentGuard_.MayReplace(this))
        return;
    SaveSdoAccess(Project.SdoAccessPath, tables);
    done(QDialog::Accepted);
}

void TFsdo::Button1Click() {
    RunCsvExport(sdoaccess::kSheetName, SdoAccessCsvLines(Tables()));
}

void TFsdo::BitBtn4Click() {
    SdoAccessTables tables;
    RunSheetImport(
        this, SdoAccessImporter(tables), [&](const ProgressHooks*) { ShowTables(tables); },
        ProgressAfterMs);
}

} // namespace gw
