#include "ui/modal_window.h"

#include "ui/guard.h"
#include "ui/look.h"

namespace gw {

int ModalWindow::ShowModal() {
    CentreOnScreen(this);
    return exec();
}

void ModalWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Guarded(this, [this] { FormShow(); });
}

} // namespace gw
