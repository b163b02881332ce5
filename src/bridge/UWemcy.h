#pragma once
// The EMCY word editor: per direction of the bridge, EMCY words whose 16 bits
// are each defined by two mask bytes and a pair of EMCY byte fields, kept in
// emcyword.xml.
#include "bridge/emcy_word.h"
#include "ui/bridge_window.h"

#include <QIcon>

#include <array>

class QAbstractButton;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace gw {

class TFWemcy : public BridgeWindow {
    Q_OBJECT
public:
    explicit TFWemcy(QWidget* parent = nullptr);

    void FormShow() override;
    void BitBtn1Click() override; // OK: writes emcyword.xml
    void Button1Click() override; // Export
    void BitBtn4Click() override; // Import
    // One handler per action for both tabs; the button tells the tab.
    void newClick(QAbstractButton* button);
    void modifyClick(QAbstractButton* button);
    void deleteClick(QAbstractButton* button);
    // The selection of either tree changed.
    void TWCanChange(QTreeWidget* tree);

    const EmcyWords& Words() const { return words_; }

    QTabWidget* PageControl1{};
    QTreeWidget* TWCanA{};
    QTreeWidget* TWCanB{};
    QGroupBox* GBword_emcy_bitmapA{};
    QGroupBox* GBword_emcy_bitmapB{};
    QGroupBox* GbebmA{};
    QGroupBox* GbebmB{};
    QLineEdit *Eindex_addrmA{}, *EsubindexA{}, *EdevidA{}, *Eb0A{}, *Eb1A{}, *EposcompA{},
        *EposcompA2{};
    QLineEdit *Eindex_addrmB{}, *EsubindexB{}, *EdevidB{}, *Eb0B{}, *Eb1B{}, *EposcompB{},
        *EposcompB2{};
    QPushButton *deleteA{}, *newA{}, *modifyA{};
    QPushButton *deleteB{}, *newB{}, *modifyB{};

    // The images of a word node and a bit node (normal and selected).
    const QIcon& WordIcon() const { return wordIcon_; }
    const QIcon& BitIcon() const { return bitIcon_; }

private:
    // The controls and images are made on the first show, not at start-up.
    void Build();
    // The controls of one tab.
    struct Tab {
        QTreeWidget* tree;
        QGroupBox* word;
        QGroupBox* mask;
        QLineEdit *index, *subindex, *devid, *b0, *b1, *high, *low;
    };
    void BuildTab(WordTab which);
    Tab& TabOf(WordTab which) { return tabs_[static_cast<int>(which)]; }
    WordTab TabOfButton(QAbstractButton* button) const;

    void ClearAll();
    // Appends a word's node with its 16 bit nodes; with `bitsWhenOpened`,
    // they are made when the word is first opened (a big document has many
    // words, and a bit node costs as much memory as the word's values).
    void AddWordNodes(QTreeWidget* tree, int number, bool bitsWhenOpened = false);
    void AddBitNodes(QTreeWidgetItem* word);
    // The tree nodes of every word; `progress` (optional) is told the words shown.
    void ShowWords(const ProgressHooks* progress = nullptr);

    std::array<Tab, 2> tabs_;
    EmcyWords words_;
    bool built_ = false;
    bool loadFailed_ = false;
    QIcon wordIcon_;
    QIcon bitIcon_;
};

extern TFWemcy* FWemcy;

} // namespace gw
