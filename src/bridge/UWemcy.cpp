#include "bridge/UWemcy.h"

#include "app/project_globals.h"
#include "bridge/bridge_xml.h"
#include "common/file_io.h"
#include "common/parse_int.h"
#include "ui/bridge_controls.h"
#include "ui/guard.h"
#include "ui/look.h"
#include "ui/prompts.h"

#include <QBitmap>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTreeWidget>

static void InitBridgeImages() {
    Q_INIT_RESOURCE(bridge_images);
}

namespace gw {

TFWemcy* FWemcy = nullptr;

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QLineEdit* e) {
    return e->text().toStdString();
}

// The six images of the strip "LARGEIMAGES", olive made transparent.
std::array<QPixmap, 6> TreeImages() {
    InitBridgeImages();
    const QPixmap strip(":/bridge/LARGEIMAGES");
    std::array<QPixmap, 6> images;
    for (int i = 0; i < 6; ++i) {
        QPixmap p = strip.copy(i * 16, 0, 16, 16);
        p.setMask(p.createMaskFromColor(QColor(128, 128, 0)));
        images[static_cast<std::size_t>(i)] = p;
    }
    return images;
}

QLineEdit* LabelledEdit(QWidget* parent, const char* name, const char* label, int y) {
    auto* l = new QLabel(label, parent);
    l->setGeometry(10, y + 2, 130, 17);
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(142, y, 96, 21);
    return e;
}

// The word and the bit (-1 for the word node) of a node.
struct NodePlace {
    int word = -1;
    int bit = -1;
};
NodePlace PlaceOf(const QTreeWidgetItem* item) {
    if (!item)
        return {};
    if (const QTreeWidgetItem* parent = item->parent())
        return {parent->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(parent)),
                parent->indexOfChild(const_cast<QTreeWidgetItem*>(item))};
    return {item->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)), -1};
}

} // namespace

TFWemcy::TFWemcy(QWidget* parent)
    : BridgeWindow("FWemcy", "Define EMCY Word", QSize(455, 464), parent) {
    SetFixedClientSize(this, 455, 464);
}

void TFWemcy::Build() {
    if (built_)
        return;
    built_ = true;
    const std::array<QPixmap, 6> images = TreeImages();
    wordIcon_.addPixmap(images[0], QIcon::Normal);
    wordIcon_.addPixmap(images[1], QIcon::Selected);
    bitIcon_.addPixmap(images[2], QIcon::Normal);
    bitIcon_.addPixmap(images[3], QIcon::Selected);

    PageControl1 = ContentTabs(Content());
    BuildTab(WordTab::CanA);
    BuildTab(WordTab::CanB);

    for (QPushButton* b : {newA, newB})
        OnClickOf(b, this, &TFWemcy::newClick);
    for (QPushButton* b : {modifyA, modifyB})
        OnClickOf(b, this, &TFWemcy::modifyClick);
    for (QPushButton* b : {deleteA, deleteB})
        OnClickOf(b, this, &TFWemcy::deleteClick);
    for (QTreeWidget* t : {TWCanA, TWCanB})
        connect(t, &QTreeWidget::currentItemChanged, this,
                [this, t] { Guarded(this, [&] { TWCanChange(t); }); });
    for (QTreeWidget* t : {TWCanA, TWCanB})
        connect(t, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
            if (!item->parent() && item->childCount() == 0)
                AddBitNodes(item);
        });
}

void TFWemcy::BuildTab(WordTab which) {
    const bool a = which == WordTab::CanA;
    auto* page = new QWidget;
    page->setObjectName(a ? "TabSheetA" : "TabSheetB");
    PageControl1->addTab(page, a ? "CanA" : "CanB");
    Tab& tab = TabOf(which);

    tab.tree = new QTreeWidget(page);
    tab.tree->setObjectName(a ? "TWCanA" : "TWCanB");
    tab.tree->setGeometry(8, 8, 150, 368);
    tab.tree->setHeaderHidden(true);
    tab.tree->setColumnCount(1);
    tab.tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tab.tree->setIconSize(QSize(16, 16));

    tab.word = new QGroupBox("Word n\u00B0  Emcy Define", page);
    tab.word->setObjectName(a ? "GBword_emcy_bitmapA" : "GBword_emcy_bitmapB");
    tab.word->setGeometry(166, 8, 262, 262);
    tab.index = LabelledEdit(tab.word, a ? "Eindex_addrmA" : "Eindex_addrmB",
                             a ? "Index SDO BUS B" : "Index SDO BUS A", 24);
    tab.subindex = LabelledEdit(tab.word, a ? "EsubindexA" : "EsubindexB",
                                a ? "Subindex SDO BUS B" : "Subindex SDO BUS A", 50);
    tab.devid = LabelledEdit(tab.word, a ? "EdevidA" : "EdevidB",
                             a ? "ID EMCY BUS A" : "ID EMCY BUS B", 76);

    tab.mask = new QGroupBox("Mask BIT n\u00B0  Define", tab.word);
    tab.mask->setObjectName(a ? "GbebmA" : "GbebmB");
    tab.mask->setGeometry(8, 110, 246, 140);
    tab.b0 = LabelledEdit(tab.mask, a ? "Eb0A" : "Eb0B", "Mask Byte 1", 24);
    tab.b1 = LabelledEdit(tab.mask, a ? "Eb1A" : "Eb1B", a ? "Mask byte 2" : "Mask Byte 2", 52);
    tab.high = LabelledEdit(tab.mask, a ? "EposcompA" : "EposcompB", "Emcy byte 1", 80);
    tab.low = LabelledEdit(tab.mask, a ? "EposcompA2" : "EposcompB2", "Emcy Byte 2", 108);

    QPushButton* del = PlaceButton(page, a ? "deleteA" : "deleteB", "Delete", 166, 284, 80);
    QPushButton* add = PlaceButton(page, a ? "newA" : "newB", "New", 257, 284, 80);
    QPushButton* mod = PlaceButton(page, a ? "modifyA" : "modifyB", "Modify", 348, 284, 80);

    (a ? TWCanA : TWCanB) = tab.tree;
    (a ? GBword_emcy_bitmapA : GBword_emcy_bitmapB) = tab.word;
    (a ? GbebmA : GbebmB) = tab.mask;
    (a ? Eindex_addrmA : Eindex_addrmB) = tab.index;
    (a ? EsubindexA : EsubindexB) = tab.subindex;
    (a ? EdevidA : EdevidB) = tab.devid;
    (a ? Eb0A : Eb0B) = tab.b0;
    (a ? Eb1A : Eb1B) = tab.b1;
    (a ? EposcompA : EposcompB) = tab.high;
    (a ? EposcompA2 : EposcompB2) = tab.low;
    (a ? deleteA : deleteB) = del;
    (a ? newA : newB) = add;
    (a ? modifyA : modifyB) = mod;
}

WordTab TFWemcy::TabOfButton(QAbstractButton* button) const {
    return (button == newB || button == modifyB || button == deleteB) ? WordTab::CanB
                                                                      : WordTab::CanA;
}

void TFWemcy::AddWordNodes(QTreeWidget* tree, int number, bool bitsWhenOpened) {
    auto* word = new QTreeWidgetItem(tree, {QString("W%1").arg(number)});
    word->setIcon(0, wordIcon_);
    if (bitsWhenOpened)
        word->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    else
        AddBitNodes(word);
}

void TFWemcy::AddBitNodes(QTreeWidgetItem* word) {
    // Every word's bit nodes share their captions.
    static const QStringList bitCaptions = [] {
        QStringList captions;
        for (int j = 0; j < emcyword::kBits; ++j)
            captions << QString("Bit%1").arg(j);
        return captions;
    }();
    for (int j = 0; j < emcyword::kBits; ++j) {
        auto* bit = new QTreeWidgetItem(word, QStringList(bitCaptions[j]));
        bit->setIcon(0, bitIcon_);
    }
    word->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TFWemcy::ClearAll() {
    words_.Clear();
    for (Tab& tab : tabs_) {
        {
            const QSignalBlocker quiet(tab.tree);
            tab.tree->clear();
        }
        for (QLineEdit* e : {tab.index, tab.subindex, tab.devid, tab.b0, tab.b1, tab.high, tab.low})
            e->clear();
    }
}

void TFWemcy::ShowWords(const ProgressHooks* progress) {
    // A big document's tree takes a while: it counts as part of its load.
    ProgressTicker ticker(progress, words_[WordTab::CanA].size() + words_[WordTab::CanB].size());
    std::uint64_t shown = 0;
    for (WordTab which : {WordTab::CanA, WordTab::CanB}) {
        QTreeWidget* tree = TabOf(which).tree;
        const QSignalBlocker quiet(tree);
        tree->clear();
        for (const WordItem& item : words_[which]) {
            ticker.At(shown++);
            AddWordNodes(tree, item.number, true);
        }
        tree->setCurrentItem(nullptr);
    }
}

void TFWemcy::FormShow() {
    Build();
    ClearAll();
    BridgeLoad load;
    if (!LoadForShow(ReadingDocumentText(kEmcyWordFile), [&](const ProgressHooks* progress) {
            load = LoadEmcyWords(Project.EmcyWordPath, words_, progress);
            ShowWords(progress);
        }))
        return;
    loadFailed_ = ShowLoadNotice(this, load, kMsgXmlNotFound, kMsgErrorReadingXml);
}

void TFWemcy::TWCanChange(QTreeWidget* tree) {
    const WordTab which = tree == TWCanB ? WordTab::CanB : WordTab::CanA;
    const NodePlace at = PlaceOf(tree->currentItem());
    if (at.word < 0 || at.word >= static_cast<int>(words_[which].size()))
        return;
    for (Tab& tab : tabs_) {
        tab.word->setTitle(QString("Word n\u00B0%1 Emcy Define ").arg(at.word));
        // A word node keeps the group's plain caption; a bit node names its bit.
        tab.mask->setTitle(at.bit < 0 ? QString("Mask BIT n\u00B0  Define")
                                      : QString("Mask BIT n\u00B0%1 Define").arg(at.bit));
    }
    Tab& tab = TabOf(which);
    const TClWEmcy& w = words_[which][static_cast<std::size_t>(at.word)].word;
    tab.index->setText(Q(w.index_addrm));
    tab.subindex->setText(Q(w.subindex));
    tab.devid->setText(Q(w.devid));
    if (at.bit < 0) {
        for (QLineEdit* e : {tab.b0, tab.b1, tab.high, tab.low})
            e->clear();
        return;
    }
    const ClEbm& bit = w.bits[static_cast<std::size_t>(at.bit)];
    tab.b0->setText(Q(bit.b0));
    tab.b1->setText(Q(bit.b1));
    const EmcyBytes bytes = UnpackPoscomp(bit.poscomp); // a bad text keeps the fields
    tab.high->setText(QString::number(bytes.high));
    tab.low->setText(QString::number(bytes.low));
}

void TFWemcy::newClick(QAbstractButton* button) {
    const WordTab which = TabOfButton(button);
    Tab& tab = TabOf(which);
    if (!EmcyWordAccepted(S(tab.index), S(tab.subindex), S(tab.devid), words_[which], -1)) {
        CurrentPrompts().Error(this, emcyword::kMsgIndexNotValid);
        return;
    }
    TClWEmcy w;
    w.index_addrm = S(tab.index);
    w.subindex = S(tab.subindex);
    w.devid = S(tab.devid);
    const int number = NextWordNumber(words_[which]);
    words_[which].push_back({number, std::move(w)});
    const QSignalBlocker quiet(tab.tree);
    AddWordNodes(tab.tree, number);
}

void TFWemcy::modifyClick(QAbstractButton* button) {
    const WordTab which = TabOfButton(button);
    Tab& tab = TabOf(which);
    const NodePlace at = PlaceOf(tab.tree->currentItem());
    if (at.word < 0)
        return;
    TClWEmcy& w = words_[which][static_cast<std::size_t>(at.word)].word;
    if (at.bit < 0) {
        if (!EmcyWordAccepted(S(tab.index), S(tab.subindex), S(tab.devid), words_[which],
                              at.word)) {
            CurrentPrompts().Error(this, emcyword::kMsgIndexNotValid);
            return;
        }
        w.index_addrm = S(tab.index);
        w.subindex = S(tab.subindex);
        w.devid = S(tab.devid);
        return;
    }
    ClEbm& bit = w.bits[static_cast<std::size_t>(at.bit)];
    bit.b0 = S(tab.b0);
    bit.b1 = S(tab.b1);
    // The masks are kept even when an EMCY byte field is not a number.
    bit.poscomp = PackPoscomp(ParseIntText(S(tab.high)), ParseIntText(S(tab.low)));
}

void TFWemcy::deleteClick(QAbstractButton* button) {
    const WordTab which = TabOfButton(button);
    Tab& tab = TabOf(which);
    const NodePlace at = PlaceOf(tab.tree->currentItem());
    if (at.word < 0 || at.bit >= 0)
        return;
    words_[which].erase(words_[which].begin() + at.word);
    // Nothing is selected afterwards; the fields keep what they show.
    const QSignalBlocker quiet(tab.tree);
    delete tab.tree->takeTopLevelItem(at.word);
    tab.tree->setCurrentItem(nullptr);
}

void TFWemcy::BitBtn1Click() {
    // A key that is not an integer ends here with the conversion message;
    // nothing is written and the window stays open.
    SaveAndAccept(
        Project.EmcyWordPath, [this](AtomicFileWriter& out) { WriteEmcyWordDocument(words_, out); },
        loadFailed_);
}

void TFWemcy::Button1Click() {
    RunCsvExport(emcyword::kSheetName, EmcyWordCsvLines(words_));
}

void TFWemcy::BitBtn4Click() {
    Build();
    // Into words of its own, so that a cancelled import leaves the window's.
    EmcyWords imported;
    RunSheetImport(
        this, EmcyWordImporter(imported),
        [&](const ProgressHooks* progress) {
            // The clearing step empties the fields too; nothing is selected afterwards.
            ClearAll();
            words_ = std::move(imported);
            ShowWords(progress);
        },
        ProgressAfterMs);
}

} // namespace gw
