#pragma once
// A window shown modally from another: placed within the screen's available
// area when shown (centred when it fits), and its FormShow (what it loads each
// time it opens) run inside the error boundary.
#include <QDialog>

class QAbstractButton;

namespace gw {

class ModalWindow : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    int ShowModal();
    virtual void FormShow() {}

protected:
    void showEvent(QShowEvent* e) override;

    // Ctrl+Enter (and Ctrl+Return) presses `ok` from anywhere in the window.
    // A cell still being typed in is committed first, as a click on the button
    // would do.
    void SetOkButton(QAbstractButton* ok);
};

} // namespace gw
