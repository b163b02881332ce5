#include "bridge/Updo.h"

#include "app/UBrinvaleFirmWare.h"
#include "app/project_globals.h"
#include "bridge/bridge_xml.h"
#include "ui/entry_grid.h"
#include "ui/prompts.h"

#include <QEvent>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace gw {

TFpdo* Fpdo = nullptr;

TFpdo::TFpdo(QWidget* parent) : BridgeWindow("Fpdo", "Define Traslate PDO", {600, 330}, parent) {
    auto* layout = new QVBoxLayout(Content());
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(Content());
    PageControl1->setObjectName("PageControl1");
    layout->addWidget(PageControl1);
    sga = AddGridTab(PageControl1, "PDO From CanA to CanB", "sga");
    sgb = AddGridTab(PageControl1, "PDO From CanB to CanA", "sgb");
    sga->installEventFilter(this);
    sgb->installEventFilter(this);
}

void TFpdo::BuildGrids() {
    if (built_)
        return;
    const PdoTranslationTables empty;
    SetupEntryGrid(sga, empty.a, {4, 5});
    SetupEntryGrid(sgb, empty.b, {4, 5});
    built_ = true;
    FitColumns(sga);
    FitColumns(sgb);
}

// Every column a sixth of the grid, rounded half to even, less 5.
void TFpdo::FitColumns(QTableWidget* grid) {
    const int w = static_cast<int>(std::nearbyint(grid->width() / 6.0)) - 5;
    for (int c = 0; c < grid->columnCount(); ++c)
        grid->setColumnWidth(c, w);
}

bool TFpdo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && (watched == sga || watched == sgb))
        FitColumns(static_cast<QTableWidget*>(watched));
    return BridgeWindow::eventFilter(watched, event);
}

PdoTranslationTables TFpdo::Tables() const {
    PdoTranslationTables t;
    if (built_) {
        GridToEntries(sga, t.a);
        GridToEntries(sgb, t.b);
    }
    return t;
}

void TFpdo::ShowTables(const PdoTranslationTables& tables) {
    BuildGrids();
    EntriesToGrid(tables.a, sga);
    EntriesToGrid(tables.b, sgb);
}

void TFpdo::FormShow() {
    PdoTranslationTables tables;
    BridgeLoad loaded;
    if (!LoadForShow(ReadingDocumentText(kRpdoDefFile), [&](const ProgressHooks* progress) {
            loaded = LoadPdoTranslation(Project.RpdoDefPath, tables, progress);
        }))
        return;
    ShowTables(tables);
    TellLoad(loaded, Project.RpdoDefPath, kRpdoDefFile, true);
}

void TFpdo::BitBtn1Click() {
    if (Project.ProjectDir.empty()) {
        CurrentPrompts().Message(this, kMsgProjectNotValid);
        return;
    }
    // A cobid that is not an integer ends here with the conversion message;
    // nothing is written and the window stays open.
    const PdoTranslationTables tables = Tables();
    const std::string text = PdoTranslationDocumentText(tables);
    if (const auto unfit = FirstUnfitPdoCell(tables)) {
        ShowRefusedCell(this, *unfit, PageControl1, sga, sgb);
        return;
    }
    if (!documentGuard_.MayReplace(this))
        return;
    SaveDocumentText(Project.RpdoDefPath, text);
    done(QDialog::Accepted);
}

void TFpdo::Button1Click() {
    RunCsvExport(rpdodef::kSheetName, PdoTranslationCsvLines(Tables()));
}

void TFpdo::BitBtn4Click() {
    PdoTranslationTables tables;
    RunSheetImport(
        this, PdoTranslationImporter(tables), [&](const ProgressHooks*) { ShowTables(tables); },
        ProgressAfterMs);
}

} // namespace gw
