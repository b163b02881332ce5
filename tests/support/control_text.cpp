#include "support/control_text.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace gwtest {

QString ControlText(const QWidget* widget) {
    if (auto* l = qobject_cast<const QLabel*>(widget))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(widget))
        return b->text();
    if (auto* c = qobject_cast<const QComboBox*>(widget))
        return c->currentText();
    if (auto* e = qobject_cast<const QLineEdit*>(widget))
        return e->text();
    return {};
}

} // namespace gwtest
