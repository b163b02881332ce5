#pragma once
// The PDO translation editor: the PDOs the bridge passes from CAN A to CAN B
// and back, ten per direction, kept in rpdodef.xml ordered by COB-ID.
#include "bridge/pdo_translation.h"
#include "ui/bridge_window.h"

class QTabWidget;
class QTableWidget;

namespace gw {

class TFpdo : public BridgeWindow {
    Q_OBJECT
public:
    explicit TFpdo(QWidget* parent = nullptr);

    void FormShow() override;
    void BitBtn1Click() override; // OK: writes rpdodef.xml
    void Button1Click() override; // Export
    void BitBtn4Click() override; // Import

    PdoTranslationTables Tables() const;
    void ShowTables(const PdoTranslationTables& tables);

    QTabWidget* PageControl1;
    QTableWidget* sga;
    QTableWidget* sgb;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildGrids();
    static void FitColumns(QTableWidget* grid);

    bool built_ = false;
};

extern TFpdo* Fpdo;

} // namespace gw
