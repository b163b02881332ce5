#pragma once
// The EMCY translation editor: the EMCY definitions passed from CAN A to CAN B
// and back, kept in emcydef.xml.
#include "bridge/emcy_def.h"
#include "ui/bridge_window.h"

#include <array>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace gw {

class TFemcy : public BridgeWindow {
    Q_OBJECT
public:
    explicit TFemcy(QWidget* parent = nullptr);

    void FormShow() override;
    void BitBtn1Click() override; // OK: writes emcydef.xml
    void Button1Click() override; // Export
    void BitBtn4Click() override; // Import
    // One handler per action for both tabs; the button tells the tab.
    void NewClick(QAbstractButton* button);
    void ModifyClick(QAbstractButton* button);
    void DeleteClick(QAbstractButton* button);
    // A line of either list box became selected.
    void LBCanClick(QListWidget* list);

    const EmcyLists& Lists() const { return lists_; }

    QTabWidget* PageControl1{};
    QListWidget* LBCanA{};
    QListWidget* LBCanB{};
    QLineEdit *Eid_devA{}, *Emask_eq_ecA{}, *Emask_eq_erA{}, *Emask_eq_m1A{}, *Emask_eq_m2A{},
        *Emask_eq_m3A{}, *Eenmask_eq_ecA{}, *Eenmask_eq_erA{}, *Eenmask_eq_m1A{}, *Eenmask_eq_m2A{},
        *Eenmask_eq_m3A{};
    QLineEdit *Eid_devB{}, *Emask_eq_ecB{}, *Emask_eq_erB{}, *Emask_eq_m1B{}, *Emask_eq_m2B{},
        *Emask_eq_m3B{}, *Eenmask_eq_ecB{}, *Eenmask_eq_erB{}, *Eenmask_eq_m1B{}, *Eenmask_eq_m2B{},
        *Eenmask_eq_m3B{};
    QCheckBox* enablea{};
    QCheckBox* enableb{};
    QGroupBox* RGa{}; // "Allias use"
    QGroupBox* RGb{};
    QRadioButton *r1a{}, *r2a{}, *r3a{}, *r9a{}, *r4a{}, *r5a{}, *r6a{}, *r7a{}, *r8a{};
    QRadioButton *r1b{}, *r2b{}, *r3b{}, *r9b{}, *r4b{}, *r5b{}, *r6b{}, *r7b{}, *r8b{};
    QPushButton *DeleteA{}, *NewA{}, *ModifyA{};
    QPushButton *DeleteB{}, *NewB{}, *ModifyB{};
    QPushButton* LbButton1{}; // OK (the bar's bitbtn1)

private:
    // The controls are made on the first show, not at start-up.
    void Build();
    // The controls of one tab, in field and alias order.
    struct Tab {
        QListWidget* list;
        std::array<QLineEdit*, emcydef::kTextCount> fields;
        QCheckBox* enable;
        std::array<QRadioButton*, emcydef::kAliasCount> alias;
    };
    void BuildTab(EmcyList which);
    Tab& TabOf(EmcyList which) { return tabs_[static_cast<int>(which)]; }
    EmcyList ListOfButton(QAbstractButton* button) const;

    void ClearAll();
    // Fills the tab's controls from a definition.
    void ShowDefinition(EmcyList which, const TClEmcy& def);
    // The definition the tab's controls describe (empty texts made "0").
    TClEmcy DefinitionOfControls(EmcyList which) const;
    // Refills the list boxes from the lists and selects each first line.
    // The lines of both lists; `progress` (optional) is told the lines shown.
    void ShowLists(const ProgressHooks* progress = nullptr);
    // Marks a line selected without running the select handler.
    void SelectLine(EmcyList which, int row);
    bool IdAccepted(EmcyList which, bool force);

    std::array<Tab, 2> tabs_{};
    EmcyLists lists_;
    bool built_ = false;
    bool loadFailed_ = false;
};

extern TFemcy* Femcy;

} // namespace gw
