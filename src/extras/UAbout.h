#pragma once
// The about box: product, version, document code and the maker's addresses.
#include "ui/modal_window.h"

class QLabel;
class QPushButton;

namespace gw {

class ClickableLabel;

class TFAbout : public ModalWindow {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);

    ClickableLabel* Image2;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label6;
    QLabel* Label9;
    QLabel* Label3;
    QLabel* Label10;
    QLabel* Label8;
    QLabel* Label12;
    ClickableLabel* Label4;
    ClickableLabel* Label5;
    QPushButton* LbButton1;
};

extern TFAbout* FAbout;

} // namespace gw
