#include "ui/modal_window.h"

#include "ui/guard.h"
#include "ui/look.h"

#include <QAbstractButton>
#include <QShortcut>

namespace gw {

int ModalWindow::ShowModal() {
    CentreOnScreen(this);
    return exec();
}

void ModalWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Guarded(this, [this] { FormShow(); });
}

void ModalWindow::SetOkButton(QAbstractButton* ok) {
    const QKeyCombination combinations[] = {
        Qt::ControlModifier | Qt::Key_Return, Qt::ControlModifier | Qt::Key_Enter,
        QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter)};
    for (const QKeyCombination keys : combinations) {
        auto* shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, ok, [ok] {
            if (!ok->isEnabled() || !ok->isVisible())
                return;
            // Taking the focus closes an open cell editor, which keeps its text.
            ok->setFocus(Qt::ShortcutFocusReason);
            ok->click();
        });
    }
}

} // namespace gw
