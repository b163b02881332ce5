#pragma once
// A window shown modally from another: centred on the screen when shown, and its
// FormShow (what it loads each time it opens) run inside the error boundary.
#include <QDialog>

namespace gw {

class ModalWindow : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    int ShowModal();
    virtual void FormShow() {}

protected:
    void showEvent(QShowEvent* e) override;
};

} // namespace gw
