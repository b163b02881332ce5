#include "bridge/Uemcy.h"

#include "app/project_globals.h"
#include "bridge/bridge_xml.h"
#include "common/file_io.h"
#include "ui/bridge_controls.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

namespace gw {

TFemcy* Femcy = nullptr;

namespace {

// The field labels with their range hints, in field order.
constexpr const char* kFieldLabels[] = {
    "ID_EMCY (1..127)",
    "Mask_error_code (0..65535)",
    "MAsk_error_Reg (0..255)",
    "Mask_Manu1 (0..65535)",
    "Mask_Manu2 (0..65535)",
    "Mask_Manu3 (0..255)",
    "Enabled_mask_error_code (0..65535)",
    "Enabled_mask_error_Reg (0..255)",
    "Enabled_Mask_Manu1 (0..65535)",
    "Enabled_Mask_Manu2 (0..65535)",
    "Enabled_Mask_Manu3 (0..255)",
};

// Alias captions by value; value 0 names the tab's own bus.
constexpr const char* kAliasCaptions[] = {
    nullptr,           "Error code byte  HIGH", "Error code byte LOW",
    "Error Reg",       "Manu1 byte HIGH",       "Manu1 byte LOW",
    "Manu2 byte HIGH", "Manu2 byte LOW",        "Manu3"};
// Radio button names by value: r1 r2 r3 r9 r4 ... r8.
constexpr const char* kAliasNames[] = {"r1", "r2", "r3", "r9", "r4", "r5", "r6", "r7", "r8"};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

TFemcy::TFemcy(QWidget* parent)
    : BridgeWindow("Femcy", "Set Traslate EMCY", QSize(553, 556), parent) {
    SetFixedClientSize(this, 553, 556);
    // This editor's OK button is named LbButton1.
    LbButton1 = bitbtn1;
    LbButton1->setObjectName("LbButton1");
}

void TFemcy::Build() {
    if (built_)
        return;
    built_ = true;
    PageControl1 = ContentTabs(Content());
    BuildTab(EmcyList::CanA);
    BuildTab(EmcyList::CanB);

    for (QPushButton* b : {NewA, NewB})
        OnClickOf(b, this, &TFemcy::NewClick);
    for (QPushButton* b : {ModifyA, ModifyB})
        OnClickOf(b, this, &TFemcy::ModifyClick);
    for (QPushButton* b : {DeleteA, DeleteB})
        OnClickOf(b, this, &TFemcy::DeleteClick);
    for (QListWidget* l : {LBCanA, LBCanB})
        connect(l, &QListWidget::currentRowChanged, this,
                [this, l] { Guarded(this, [&] { LBCanClick(l); }); });
}

void TFemcy::BuildTab(EmcyList which) {
    const bool a = which == EmcyList::CanA;
    const QString suffix = a ? "A" : "B";
    auto* page = new QWidget;
    page->setObjectName(a ? "TabSheetA" : "TabSheetB");
    PageControl1->addTab(page, a ? "From CAN A" : "From CAN B");
    Tab& tab = TabOf(which);

    tab.list = new QListWidget(page);
    tab.list->setObjectName("LBCan" + suffix);
    tab.list->setGeometry(8, 8, 110, 300);

    for (int i = 0; i < emcydef::kTextCount; ++i) {
        const int y = 8 + i * 24;
        auto* label = new QLabel(kFieldLabels[i], page);
        label->setGeometry(132, y + 2, 230, 17);
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QString("E") + emcydef::kTextAttributes[i] + suffix);
        edit->setGeometry(370, y, 110, 21);
        tab.fields[static_cast<std::size_t>(i)] = edit;
    }
    tab.enable = new QCheckBox(a ? "Enabled_Traslate to CANB" : "Enabled_Traslate to CANA", page);
    tab.enable->setObjectName(a ? "enablea" : "enableb");
    tab.enable->setGeometry(132, 276, 250, 19);

    auto* group = new QGroupBox("Allias use", page);
    group->setObjectName(a ? "RGa" : "RGb");
    group->setGeometry(132, 304, 396, 166);
    const char* statics[] = {a ? "ID CANA EMCY " : "ID CANB EMCY ", "Traslate in",
                             a ? "CANB EMCY at:" : "CANA EMCY at:"};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(statics[i], group);
        l->setGeometry(12, 46 + i * 20, 120, 17);
    }
    for (int v = 0; v < emcydef::kAliasCount; ++v) {
        const char* caption =
            v == 0 ? (a ? "No traslate ID CANA" : "No traslate ID CANB") : kAliasCaptions[v];
        auto* r = new QRadioButton(caption, group);
        r->setObjectName(QString(kAliasNames[v]) + (a ? "a" : "b"));
        r->setGeometry(150, 18 + v * 16, 230, 16);
        tab.alias[static_cast<std::size_t>(v)] = r;
    }

    QPushButton* del = PlaceButton(page, a ? "DeleteA" : "DeleteB", "Delete EMCY", 8, 318, 110);
    QPushButton* add = PlaceButton(page, a ? "NewA" : "NewB", "New EMCY", 8, 350, 110);
    QPushButton* mod = PlaceButton(page, a ? "ModifyA" : "ModifyB",
                                   a ? "Modify ENCY" : "Modify EMCY", 8, 382, 110);

    QLineEdit** named[] = {a ? &Eid_devA : &Eid_devB,
                           a ? &Emask_eq_ecA : &Emask_eq_ecB,
                           a ? &Emask_eq_erA : &Emask_eq_erB,
                           a ? &Emask_eq_m1A : &Emask_eq_m1B,
                           a ? &Emask_eq_m2A : &Emask_eq_m2B,
                           a ? &Emask_eq_m3A : &Emask_eq_m3B,
                           a ? &Eenmask_eq_ecA : &Eenmask_eq_ecB,
                           a ? &Eenmask_eq_erA : &Eenmask_eq_erB,
                           a ? &Eenmask_eq_m1A : &Eenmask_eq_m1B,
                           a ? &Eenmask_eq_m2A : &Eenmask_eq_m2B,
                           a ? &Eenmask_eq_m3A : &Eenmask_eq_m3B};
    for (std::size_t i = 0; i < tab.fields.size(); ++i)
        *named[i] = tab.fields[i];
    QRadioButton** radios[] = {a ? &r1a : &r1b, a ? &r2a : &r2b, a ? &r3a : &r3b,
                               a ? &r9a : &r9b, a ? &r4a : &r4b, a ? &r5a : &r5b,
                               a ? &r6a : &r6b, a ? &r7a : &r7b, a ? &r8a : &r8b};
    for (std::size_t i = 0; i < tab.alias.size(); ++i)
        *radios[i] = tab.alias[i];
    (a ? LBCanA : LBCanB) = tab.list;
    (a ? enablea : enableb) = tab.enable;
    (a ? RGa : RGb) = group;
    (a ? DeleteA : DeleteB) = del;
    (a ? NewA : NewB) = add;
    (a ? ModifyA : ModifyB) = mod;
}

EmcyList TFemcy::ListOfButton(QAbstractButton* button) const {
    return (button == NewB || button == ModifyB || button == DeleteB) ? EmcyList::CanB
                                                                      : EmcyList::CanA;
}

void TFemcy::ClearAll() {
    lists_.Clear();
    for (Tab& tab : tabs_) {
        const QSignalBlocker quiet(tab.list);
        tab.list->clear();
        for (QLineEdit* e : tab.fields)
            e->clear();
        tab.enable->setChecked(false);
        tab.alias[0]->setChecked(true);
    }
}

void TFemcy::SelectLine(EmcyList which, int row) {
    const QSignalBlocker quiet(TabOf(which).list);
    TabOf(which).list->setCurrentRow(row);
}

void TFemcy::ShowDefinition(EmcyList which, const TClEmcy& def) {
    Tab& tab = TabOf(which);
    for (std::size_t i = 0; i < tab.fields.size(); ++i)
        tab.fields[i]->setText(Q(def.texts[i]));
    tab.enable->setChecked(def.enable);
    if (def.alias >= 0 && def.alias < emcydef::kAliasCount)
        tab.alias[static_cast<std::size_t>(def.alias)]->setChecked(true);
}

TClEmcy TFemcy::DefinitionOfControls(EmcyList which) const {
    const Tab& tab = tabs_[static_cast<int>(which)];
    TClEmcy def;
    for (std::size_t i = 0; i < tab.fields.size(); ++i)
        def.texts[i] = tab.fields[i]->text().toStdString();
    def.enable = tab.enable->isChecked();
    for (std::size_t v = 0; v < tab.alias.size(); ++v)
        if (tab.alias[v]->isChecked())
            def.alias = static_cast<int>(v);
    return WithZeroForEmpty(def);
}

void TFemcy::ShowLists(const ProgressHooks* progress) {
    // A big document's lists take a while: they count as part of its load.
    ProgressTicker ticker(progress, lists_[EmcyList::CanA].size() + lists_[EmcyList::CanB].size());
    std::uint64_t shown = 0;
    for (EmcyList which : {EmcyList::CanA, EmcyList::CanB}) {
        Tab& tab = TabOf(which);
        {
            const QSignalBlocker quiet(tab.list);
            tab.list->clear();
            for (const EmcyItem& item : lists_[which]) {
                ticker.At(shown++);
                tab.list->addItem(Q(item.line));
            }
        }
        if (!lists_[which].empty()) {
            SelectLine(which, 0);
            ShowDefinition(which, lists_[which].front().def);
        }
    }
}

void TFemcy::FormShow() {
    Build();
    ClearAll();
    BridgeLoad load;
    if (!LoadForShow(ReadingDocumentText(kEmcyDefFile), [&](const ProgressHooks* progress) {
            load = LoadEmcyDefs(Project.EmcyDefPath, lists_, progress);
            ShowLists(progress);
        }))
        return;
    loadFailed_ = ShowLoadNotice(this, load, kMsgXmlNotFound, kMsgErrorReadingXml);
}

void TFemcy::LBCanClick(QListWidget* list) {
    const EmcyList which = list == LBCanB ? EmcyList::CanB : EmcyList::CanA;
    const int row = list->currentRow();
    if (row < 0 || row >= static_cast<int>(lists_[which].size()))
        return;
    ShowDefinition(which, lists_[which][static_cast<std::size_t>(row)].def);
}

bool TFemcy::IdAccepted(EmcyList which, bool force) {
    Tab& tab = TabOf(which);
    const QListWidgetItem* selected = tab.list->currentItem();
    const std::string id = tab.fields[0]->text().toStdString();
    if (EmcyIdAccepted(id, selected->text().toStdString(), force, lists_[which]))
        return true;
    CurrentPrompts().Error(this, emcydef::kMsgIndexNotValid);
    return false;
}

void TFemcy::NewClick(QAbstractButton* button) {
    const EmcyList which = ListOfButton(button);
    Tab& tab = TabOf(which);
    // With no line selected (an empty list, or after a deletion) the ID is not checked.
    if (tab.list->currentRow() >= 0 && !IdAccepted(which, true))
        return;
    const QString line = tab.fields[0]->text();
    lists_[which].push_back({line.toStdString(), DefinitionOfControls(which)});
    {
        const QSignalBlocker quiet(tab.list);
        tab.list->addItem(line);
    }
    SelectLine(which, tab.list->count() - 1);
}

void TFemcy::ModifyClick(QAbstractButton* button) {
    const EmcyList which = ListOfButton(button);
    Tab& tab = TabOf(which);
    const int row = tab.list->currentRow();
    if (row < 0)
        return;
    if (!IdAccepted(which, false))
        return;
    EmcyItem& item = lists_[which][static_cast<std::size_t>(row)];
    item.def = DefinitionOfControls(which);
    item.line = tab.fields[0]->text().toStdString();
    tab.list->item(row)->setText(Q(item.line));
}

void TFemcy::DeleteClick(QAbstractButton* button) {
    const EmcyList which = ListOfButton(button);
    Tab& tab = TabOf(which);
    const int row = tab.list->currentRow();
    if (row < 0)
        return;
    lists_[which].erase(lists_[which].begin() + row);
    const QSignalBlocker quiet(tab.list);
    delete tab.list->takeItem(row);
    tab.list->setCurrentRow(-1);
    tab.list->clearSelection();
}

void TFemcy::BitBtn1Click() {
    // An ID that is not an integer ends here with the conversion message;
    // nothing is written and the window stays open.
    SaveAndAccept(
        Project.EmcyDefPath, [this](AtomicFileWriter& out) { WriteEmcyDefDocument(lists_, out); },
        loadFailed_);
}

void TFemcy::Button1Click() {
    RunCsvExport(emcydef::kSheetName, EmcyDefCsvLines(lists_));
}

void TFemcy::BitBtn4Click() {
    Build();
    // Into lists of its own, so that a cancelled import leaves the window's.
    EmcyLists imported;
    RunSheetImport(
        this, EmcyDefImporter(imported),
        [&](const ProgressHooks* progress) {
            // The clearing step empties the fields too; then each first line is shown.
            ClearAll();
            lists_ = std::move(imported);
            ShowLists(progress);
        },
        ProgressAfterMs);
}

} // namespace gw
