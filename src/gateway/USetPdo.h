#pragma once
// The send frames editor: the frames the gateway sends on the CAN bus
// (pdo.xml), with their swap codes.
#include "gateway/frame_list.h"

#include <QDialog>

class QPushButton;
class QTableWidget;
class QWidget;

namespace gw {

class TFSetPdo : public QDialog {
    Q_OBJECT
public:
    explicit TFSetPdo(QWidget* parent = nullptr);

    int ShowModal();

    void FormShow();
    void LbButton4Click(); // OK
    void LbButton3Click(); // Cancel
    void LbButton1Click(); // Create SWAP

    QTableWidget* sga;
    QWidget* Panel1;
    QPushButton* LbButton4;
    QPushButton* LbButton3;
    QPushButton* LbButton1;

    CobIdWidth Width() const { return width_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    CobIdWidth width_ = CobIdWidth::Bits11;
};

extern TFSetPdo* FSetPdo;

} // namespace gw
