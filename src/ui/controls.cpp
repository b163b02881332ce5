#include "ui/controls.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QString>

namespace gw {

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(name);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* text, int x, int y, int w,
                        int h) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(name);
    b->setGeometry(x, y, w, h);
    return b;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* c = new QCheckBox(QString::fromUtf8(text), parent);
    c->setObjectName(name);
    c->move(x, y);
    c->adjustSize();
    c->setChecked(true);
    return c;
}

} // namespace gw
