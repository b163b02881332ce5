#pragma once
// The receive frames editor: the frames the gateway receives on the CAN bus
// (sdo.xml), with their swap codes and Delete flags.
#include "gateway/frame_list.h"

#include <QDialog>

class QPushButton;
class QTableWidget;
class QWidget;

namespace gw {

class TFSetVar : public QDialog {
    Q_OBJECT
public:
    explicit TFSetVar(QWidget* parent = nullptr);

    int ShowModal();

    void FormShow();
    void bitbtn1Click();   // OK
    void bitbtn2Click();   // Cancel
    void LbButton1Click(); // Create SWAP

    QTableWidget* sga;
    QWidget* Panel1;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;
    QPushButton* LbButton1;

    CobIdWidth Width() const { return width_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    CobIdWidth width_ = CobIdWidth::Bits11;
};

extern TFSetVar* FSetVar;

} // namespace gw
