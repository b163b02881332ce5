#pragma once
// The SDO access editor: the virtual SDO objects of each bus and the real
// objects on the other bus they stand for, in two tables of 1500 entries.
#include "bridge/sdo_access.h"
#include "ui/bridge_window.h"

class QLabel;
class QTabWidget;
class QTableWidget;

namespace gw {

class TFsdo : public BridgeWindow {
    Q_OBJECT
public:
    explicit TFsdo(QWidget* parent = nullptr);

    void FormShow() override;
    void BitBtn1Click() override; // OK: writes sdoaccess.xml
    void Button1Click() override; // Export
    void BitBtn4Click() override; // Import

    // What the grids show.
    SdoAccessTables Tables() const;
    void ShowTables(const SdoAccessTables& tables);

    QTabWidget* PageControl1;
    QTableWidget* sga;
    QTableWidget* sgb;
    QLabel* Label1; // table A, left
    QLabel* Label2; // table A, right
    QLabel* Label3; // table B, left
    QLabel* Label4; // table B, right

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGrids();
    void FitColumns(QTableWidget* grid, QLabel* left, QLabel* right);

    bool built_ = false;
};

extern TFsdo* Fsdo;

} // namespace gw
