#include "bridge/UInfoPdo.h"

#include "app/project_globals.h"
#include "bridge/bridge_documents.h"
#include "bridge/bridge_xml.h"
#include "common/file_io.h"
#include "ui/bridge_controls.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

namespace gw {

TFInfopdo* FInfopdo = nullptr;

namespace {

inline const QColor kLightCyan(224, 255, 255);

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QLabel* Label(QWidget* parent, const char* text, int x, int y, int w = 140) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, 17);
    return l;
}

// A "Selected PDO Byte" group: "none" and "B1" to "B8" in three columns.
QGroupBox* ChoiceGroup(QWidget* parent, const char* name, int y, QButtonGroup*& choices) {
    auto* group = new QGroupBox("Selected PDO Byte", parent);
    group->setObjectName(name);
    group->setGeometry(370, y, 190, 84);
    choices = new QButtonGroup(group);
    for (int i = 0; i < sdopdo::kByteChoices; ++i) {
        auto* r = new QRadioButton(i == 0 ? QString("none") : QString("B%1").arg(i), group);
        r->setGeometry(10 + (i % 3) * 60, 20 + (i / 3) * 20, 58, 18);
        choices->addButton(r, i);
    }
    return group;
}

} // namespace

TFInfopdo::TFInfopdo(QWidget* parent)
    : BridgeWindow("FInfopdo", "Define Store PDO", QSize(586, 420), parent) {
    SetFixedClientSize(this, 586, 420);
}

void TFInfopdo::Build() {
    if (built_)
        return;
    built_ = true;
    PageControl1 = ContentTabs(Content());
    BuildSide(PdoSide::A);
    BuildSide(PdoSide::B);

    using Handler = void (TFInfopdo::*)(QAbstractButton*);
    const Handler handlers[] = {&TFInfopdo::DeleteSdoClick, &TFInfopdo::NewSdoClick,
                                &TFInfopdo::ModifySdoClick, &TFInfopdo::CopySdoClick,
                                &TFInfopdo::PasteSdoClick};
    for (const Side& side : sides_) {
        for (std::size_t i = 0; i < side.buttons.size(); ++i) {
            OnClickOf(side.buttons[i], this, handlers[i]);
        }
        QListWidget* pdos = side.pdos;
        connect(pdos, &QListWidget::currentRowChanged, this,
                [this, pdos] { Guarded(this, [&] { PdoClick(pdos); }); });
        QListWidget* entries = side.entries;
        connect(entries, &QListWidget::currentRowChanged, this,
                [this, entries] { Guarded(this, [&] { SdoClick(entries); }); });
    }
}

void TFInfopdo::BuildSide(PdoSide which) {
    const bool a = which == PdoSide::A;
    auto* page = new QWidget;
    page->setObjectName(a ? "TabSheetA" : "TabSheetB");
    PageControl1->addTab(page, a ? "CanA" : "CanB");
    Side& side = SideOf(which);

    Label(page, a ? "SDO CANB" : "SDO CANA", 8, 8);
    side.entries = new QListWidget(page);
    side.entries->setObjectName(a ? "LBSdoA" : "LBSdoB");
    side.entries->setGeometry(8, 28, 110, 250);
    QPalette cyan = side.entries->palette();
    cyan.setColor(QPalette::Base, kLightCyan);
    side.entries->setPalette(cyan);

    Label(page, "Correlated", 128, 0);
    Label(page, a ? "Index PDO in CANA" : "Index PDO in CANB", 128, 14);
    side.pdos = new QListWidget(page);
    side.pdos->setObjectName(a ? "LBPdoA" : "LBPdoB");
    side.pdos->setGeometry(128, 34, 110, 244);

    Label(page, a ? "Index SDO CANB" : "Index SDO CANA", 250, 12, 120);
    side.index = new QLineEdit(page);
    side.index->setObjectName(a ? "EIndexA" : "EIndexB");
    side.index->setGeometry(370, 10, 100, 21);
    Label(page, a ? "Subindex SDO CANB" : "Subindex SDO CANA", 250, 40, 120);
    side.subindex = new QLineEdit(page);
    side.subindex->setObjectName(a ? "ESubindexA" : "ESubindexB");
    side.subindex->setGeometry(370, 38, 100, 21);

    side.high = ChoiceGroup(page, a ? "RGHighA" : "RGHighB", 72, side.highChoices);
    Label(page, "Traslate in", 250, 96, 110);
    Label(page, "High SDO Byte", 250, 114, 110);
    side.low = ChoiceGroup(page, a ? "RGLowA" : "RGLowB", 164, side.lowChoices);
    Label(page, a ? "Trsalete in" : "Traslate in", 250, 188, 110);
    Label(page, "Low SDO Byte", 250, 206, 110);

    const char* captions[] = {"Delete SDO", "New SDO", "Modify SDO", "Copy SDO", "Paste SDO"};
    const char* names[] = {"DeleteSdo", "NewSdo", "ModifySdo", "CopySdo", "PasteSdo"};
    for (int i = 0; i < 5; ++i)
        side.buttons[static_cast<std::size_t>(i)] =
            PlaceButton(page, (std::string(names[i]) + (a ? "A" : "B")).c_str(), captions[i],
                        8 + i * 110, 292, 100);

    (a ? LBSdoA : LBSdoB) = side.entries;
    (a ? LBPdoA : LBPdoB) = side.pdos;
    (a ? EIndexA : EIndexB) = side.index;
    (a ? ESubindexA : ESubindexB) = side.subindex;
    (a ? RGHighA : RGHighB) = side.high;
    (a ? RGLowA : RGLowB) = side.low;
    (a ? DeleteSdoA : DeleteSdoB) = side.buttons[0];
    (a ? NewSdoA : NewSdoB) = side.buttons[1];
    (a ? ModifySdoA : ModifySdoB) = side.buttons[2];
    (a ? CopySdoA : CopySdoB) = side.buttons[3];
    (a ? PasteSdoA : PasteSdoB) = side.buttons[4];
}

int TFInfopdo::Choice(const QGroupBox* group) const {
    for (const Side& side : sides_) {
        if (group == side.high || group == side.low) {
            // No item checked (a value beyond B8 was shown) counts as "none".
            const int id = (group == side.high ? side.highChoices : side.lowChoices)->checkedId();
            return id < 0 ? 0 : id;
        }
    }
    return 0;
}

void TFInfopdo::SetChoice(QGroupBox* group, std::optional<int> choice) {
    for (Side& side : sides_) {
        if (group != side.high && group != side.low)
            continue;
        QButtonGroup* choices = group == side.high ? side.highChoices : side.lowChoices;
        if (choice) {
            choices->button(*choice)->setChecked(true);
        } else {
            choices->setExclusive(false);
            for (QAbstractButton* b : choices->buttons())
                b->setChecked(false);
            choices->setExclusive(true);
        }
    }
}

PdoSide TFInfopdo::SideOfButton(QAbstractButton* button) const {
    for (QAbstractButton* b : sides_[1].buttons)
        if (b == button)
            return PdoSide::B;
    return PdoSide::A;
}

PdoSide TFInfopdo::SideOfList(QListWidget* list) const {
    return list == sides_[1].entries || list == sides_[1].pdos ? PdoSide::B : PdoSide::A;
}

void TFInfopdo::SelectLine(QListWidget* list, int row) {
    const QSignalBlocker quiet(list);
    list->setCurrentRow(row);
    if (row < 0)
        list->clearSelection();
}

void TFInfopdo::ClearEntryView(PdoSide which) {
    Side& side = SideOf(which);
    {
        const QSignalBlocker quiet(side.entries);
        side.entries->clear();
    }
    side.index->clear();
    side.subindex->clear();
    SetChoice(side.high, 0);
    SetChoice(side.low, 0);
}

void TFInfopdo::FormShow() {
    Build();
    for (PdoSide which : {PdoSide::A, PdoSide::B})
        ClearEntryView(which);
    StoredPdoLoad load;
    if (!LoadForShow(ReadingDocumentText(kSdoPdoFile), [&](const ProgressHooks* progress) {
            load = LoadStoredPdos({JoinPath(Project.ProjectDir, kSdoAccessFile),
                                   Project.RpdoDefPath, Project.SdoPdoPath},
                                  model_, progress);
        }))
        return;
    ShowPdoLists();
    ShowLoadNotice(this, load.sdoAccess, sdopdo::kMsgSdoNotFound, sdopdo::kMsgSdoReadError);
    const bool pdosFailed =
        ShowLoadNotice(this, load.pdos, sdopdo::kMsgPdoNotFound, sdopdo::kMsgPdoReadError);
    loadFailed_ =
        ShowLoadNotice(this, load.entries, sdopdo::kMsgSdoPdoNotFound, sdopdo::kMsgSdoPdoReadError);
    // Stored entries of PDOs that could not be read were dropped: OK would lose them.
    if (pdosFailed && !load.dropped.empty())
        loadFailed_ = true;
}

void TFInfopdo::ShowPdoLists() {
    for (PdoSide which : {PdoSide::A, PdoSide::B}) {
        QListWidget* list = SideOf(which).pdos;
        const QSignalBlocker quiet(list);
        list->clear();
        for (const TClPdo& pdo : model_[which].pdos)
            list->addItem(Q(pdo.cobid));
        SelectLine(list, -1);
    }
}

void TFInfopdo::PdoClick(QListWidget* list) {
    const PdoSide which = SideOfList(list);
    const int pdo = list->currentRow();
    if (pdo < 0 || pdo >= static_cast<int>(model_[which].pdos.size()))
        return;
    ClearEntryView(which);
    const QSignalBlocker quiet(SideOf(which).entries);
    const std::size_t count = model_[which].pdos[static_cast<std::size_t>(pdo)].entries.size();
    for (std::size_t k = 0; k < count; ++k)
        SideOf(which).entries->addItem(QString("Sdo%1").arg(k));
    SelectLine(SideOf(which).entries, -1);
}

void TFInfopdo::SdoClick(QListWidget* list) {
    const PdoSide which = SideOfList(list);
    Side& side = SideOf(which);
    const int pdo = side.pdos->currentRow();
    const int entry = list->currentRow();
    if (pdo < 0 || entry < 0)
        return;
    const std::vector<TClSdo>& entries = model_[which].pdos[static_cast<std::size_t>(pdo)].entries;
    if (entry >= static_cast<int>(entries.size()))
        return;
    const TClSdo& e = entries[static_cast<std::size_t>(entry)];
    side.index->setText(Q(e.index));
    side.subindex->setText(Q(e.subindex));
    const ByteChoices choices = UnpackByteChoices(e.poscomp);
    SetChoice(side.high, choices.high);
    SetChoice(side.low, choices.low);
}

std::string TFInfopdo::PoscompOfChoices(PdoSide which) const {
    const Side& side = sides_[static_cast<int>(which)];
    return PackByteChoices(Choice(side.high), Choice(side.low));
}

bool TFInfopdo::EntryAccepted(PdoSide which, int pdo, int entry) {
    const Side& side = SideOf(which);
    const SdoCheck result =
        CheckSdoEntry(side.index->text().toStdString(), side.subindex->text().toStdString(), pdo,
                      entry, model_[which].pdos, model_[which].sdoAccess);
    if (result == SdoCheck::Accept)
        return true;
    CurrentPrompts().Error(this, SdoCheckMessage(result));
    return false;
}

void TFInfopdo::NewSdoClick(QAbstractButton* button) {
    const PdoSide which = SideOfButton(button);
    Side& side = SideOf(which);
    const int pdo = side.pdos->currentRow();
    if (pdo < 0)
        return;
    if (!EntryAccepted(which, -1, -1))
        return;
    std::vector<TClSdo>& entries = model_[which].pdos[static_cast<std::size_t>(pdo)].entries;
    const int line = side.entries->count();
    {
        const QSignalBlocker quiet(side.entries);
        side.entries->addItem(QString("Sdo%1").arg(line));
    }
    SelectLine(side.entries, line);
    entries.push_back({side.index->text().toStdString(), side.subindex->text().toStdString(),
                       PoscompOfChoices(which)});
}

bool TFInfopdo::SelectedEntry(PdoSide which, int& pdo, int& entry) {
    pdo = SideOf(which).pdos->currentRow();
    entry = SideOf(which).entries->currentRow();
    return pdo >= 0 && entry >= 0;
}

void TFInfopdo::ModifySdoClick(QAbstractButton* button) {
    const PdoSide which = SideOfButton(button);
    Side& side = SideOf(which);
    int pdo = -1;
    int entry = -1;
    if (!SelectedEntry(which, pdo, entry) || !EntryAccepted(which, pdo, entry))
        return;
    model_[which].pdos[static_cast<std::size_t>(pdo)].entries[static_cast<std::size_t>(entry)] = {
        side.index->text().toStdString(), side.subindex->text().toStdString(),
        PoscompOfChoices(which)};
}

void TFInfopdo::DeleteSdoClick(QAbstractButton* button) {
    const PdoSide which = SideOfButton(button);
    Side& side = SideOf(which);
    int pdo = -1;
    int entry = -1;
    if (!SelectedEntry(which, pdo, entry))
        return;
    std::vector<TClSdo>& entries = model_[which].pdos[static_cast<std::size_t>(pdo)].entries;
    entries.erase(entries.begin() + entry);
    // The other lines keep their labels until the PDO is clicked again.
    const QSignalBlocker quiet(side.entries);
    delete side.entries->takeItem(entry);
    SelectLine(side.entries, -1);
}

void TFInfopdo::CopySdoClick(QAbstractButton* button) {
    const PdoSide which = SideOfButton(button);
    const Side& side = SideOf(which);
    copied_[static_cast<std::size_t>(which)] = {side.index->text().toStdString(),
                                                side.subindex->text().toStdString(),
                                                PoscompOfChoices(which)};
}

void TFInfopdo::PasteSdoClick(QAbstractButton* button) {
    const PdoSide which = SideOfButton(button);
    Side& side = SideOf(which);
    const TClSdo& copied = copied_[static_cast<std::size_t>(which)];
    side.index->setText(Q(copied.index));
    side.subindex->setText(Q(copied.subindex));
    // Before any Copy the buffer is empty and cannot be read as a number.
    const ByteChoices choices = UnpackByteChoices(copied.poscomp);
    SetChoice(side.low, choices.low);
    SetChoice(side.high, choices.high);
}

void TFInfopdo::BitBtn1Click() {
    // A text that is not an integer, or a PDO beyond 127 with entries, ends
    // here with its message; nothing is written and the window stays open.
    SaveAndAccept(
        Project.SdoPdoPath, [this](AtomicFileWriter& out) { WriteStoredPdoDocument(model_, out); },
        loadFailed_);
}

void TFInfopdo::Button1Click() {
    RunCsvExport(sdopdo::kSheetName, StoredPdoCsvLines(model_));
}

void TFInfopdo::BitBtn4Click() {
    Build();
    // The PDO lists stay; the entry lists and fields are cleared. Into a copy,
    // so that a cancelled import leaves the window's model.
    StoredPdos imported = model_;
    RunSheetImport(
        this, StoredPdoImporter(imported),
        [&](const ProgressHooks*) {
            model_ = std::move(imported);
            for (PdoSide which : {PdoSide::A, PdoSide::B})
                ClearEntryView(which);
        },
        ProgressAfterMs);
}

} // namespace gw
