#pragma once
// The stored PDO editor: SDO entries attached to the PDOs of each side of the
// bridge, each saying which PDO bytes go into the high and low byte of the
// SDO's value; kept in sdopdo.xml.
#include "bridge/stored_pdo.h"
#include "ui/bridge_window.h"

#include <array>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace gw {

class TFInfopdo : public BridgeWindow {
    Q_OBJECT
public:
    explicit TFInfopdo(QWidget* parent = nullptr);

    void FormShow() override;
    void BitBtn1Click() override; // OK: writes sdopdo.xml
    void Button1Click() override; // Export
    void BitBtn4Click() override; // Import
    // Each pair of buttons shares one handler that acts on the pressed button's side.
    void NewSdoClick(QAbstractButton* button);
    void ModifySdoClick(QAbstractButton* button);
    void DeleteSdoClick(QAbstractButton* button);
    void CopySdoClick(QAbstractButton* button);
    void PasteSdoClick(QAbstractButton* button);
    // A PDO or an entry of a side was clicked (or reached with the keys).
    void PdoClick(QListWidget* list);
    void SdoClick(QListWidget* list);

    const StoredPdos& Model() const { return model_; }

    // The controls of a side, "A" for tab "CanA", "B" for tab "CanB".
    QTabWidget* PageControl1{};
    QListWidget *LBSdoA{}, *LBSdoB{}; // entries of the selected PDO
    QListWidget *LBPdoA{}, *LBPdoB{}; // the side's PDOs
    QLineEdit *EIndexA{}, *EIndexB{};
    QLineEdit *ESubindexA{}, *ESubindexB{};
    QGroupBox *RGHighA{}, *RGHighB{}; // "Selected PDO Byte", into the high SDO byte
    QGroupBox *RGLowA{}, *RGLowB{};   // into the low SDO byte
    QPushButton *DeleteSdoA{}, *DeleteSdoB{}, *NewSdoA{}, *NewSdoB{}, *ModifySdoA{}, *ModifySdoB{},
        *CopySdoA{}, *CopySdoB{}, *PasteSdoA{}, *PasteSdoB{};

    // The byte choice a group shows: 0 "none", 1 to 8 "B1" to "B8".
    int Choice(const QGroupBox* group) const;
    void SetChoice(QGroupBox* group, std::optional<int> choice);

private:
    // The controls are made on the first show, not at start-up.
    void Build();
    // Puts the PDO lists of the model on screen, nothing selected.
    void ShowPdoLists();
    struct Side {
        QListWidget* entries;
        QListWidget* pdos;
        QLineEdit* index;
        QLineEdit* subindex;
        QGroupBox* high;
        QGroupBox* low;
        QButtonGroup* highChoices;
        QButtonGroup* lowChoices;
        std::array<QPushButton*, 5> buttons; // delete, new, modify, copy, paste
    };
    void BuildSide(PdoSide side);
    Side& SideOf(PdoSide side) { return sides_[static_cast<int>(side)]; }
    PdoSide SideOfButton(QAbstractButton* button) const;
    PdoSide SideOfList(QListWidget* list) const;

    // Empties the side's entry list and fields, and sets both choices to "none".
    void ClearEntryView(PdoSide side);
    // Selects a line without running the click handler.
    static void SelectLine(QListWidget* list, int row);
    std::string PoscompOfChoices(PdoSide side) const;
    bool EntryAccepted(PdoSide side, int pdo, int entry);
    // The positions of the side's selected PDO and entry; false when either is missing.
    bool SelectedEntry(PdoSide side, int& pdo, int& entry);

    std::array<Side, 2> sides_{};
    StoredPdos model_;
    bool built_ = false;
    bool loadFailed_ = false;
    // Copy buffers per side: index, subindex, poscomp; kept while the program runs.
    std::array<TClSdo, 2> copied_;
};

extern TFInfopdo* FInfopdo;

} // namespace gw
