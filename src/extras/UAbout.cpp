#include "extras/UAbout.h"

#include "common/maker.h"
#include "common/version.h"
#include "ui/clickable_label.h"
#include "ui/look.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>

namespace gw {

TFAbout* FAbout = nullptr;

namespace {

// The product logo, drawn at its full 340 x 340 size and shown stretched.
QPixmap Logo() {
    QPixmap pm(340, 340);
    pm.fill(kBackground);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 84, 147));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(10, 10, 320, 320), 48, 48);
    QPainterPath v;
    v.moveTo(70, 80);
    v.lineTo(130, 80);
    v.lineTo(170, 220);
    v.lineTo(210, 80);
    v.lineTo(270, 80);
    v.lineTo(195, 270);
    v.lineTo(145, 270);
    v.closeSubpath();
    p.setBrush(QColor(248, 247, 237));
    p.drawPath(v);
    p.setBrush(QColor(230, 126, 34));
    p.drawEllipse(QPointF(170, 300), 14, 14);
    return pm;
}

QLabel* Text(QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->move(x, y);
    l->adjustSize();
    return l;
}

ClickableLabel* Link(QWidget* parent, const char* name, const char* text, int x, int y) {
    auto* l = new ClickableLabel(text, parent);
    l->setObjectName(name);
    QFont f = l->font();
    f.setUnderline(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    l->setPalette(p);
    l->move(x, y);
    l->adjustSize();
    return l;
}

} // namespace

TFAbout::TFAbout(QWidget* parent) : ModalWindow(parent, Qt::Tool) {
    setObjectName("FAbout");
    setWindowTitle("About...");
    ApplyHouseLook(this);
    SetFixedClientSize(this, 406, 152);

    Image2 = new ClickableLabel(QString(), this);
    Image2->setObjectName("Image2");
    Image2->setGeometry(32, 24, 81, 81);
    Image2->setScaledContents(true);
    Image2->setPixmap(Logo());

    Label1 = Text(this, "Label1", "Software Brinvale ", 128, 24);
    Label1->setFont(HouseFont(10, true));
    Label1->adjustSize();
    Label2 = Text(this, "Label2", "Gateway CAN to ProfiBUS Slave", 128, 39);
    Label6 = Text(this, "Label6", "Software Code : ", 128, 62);
    Label9 = Text(this, "Label9", "SW40931", 240, 62);
    Label3 = Text(this, "Label3", "Version :", 128, 77);
    Label10 = Text(this, "Label10", kVersion, 240, 77);
    Label8 = Text(this, "Label8", "Document Code :", 128, 93);
    Label12 = Text(this, "Label12", "MN40931", 240, 93);
    Label4 = Link(this, "Label4", maker::kWebAddress, 300, 139);
    Label5 = Link(this, "Label5", maker::kEmail, 272, 59);
    Label5->hide();

    LbButton1 = new QPushButton("OK", this);
    LbButton1->setObjectName("LbButton1");
    LbButton1->setGeometry(32, 115, 81, 22);
    connect(LbButton1, &QPushButton::clicked, this, &QDialog::accept);

    auto home = [] { OpenExternal(QString::fromUtf8(maker::kHomePage)); };
    connect(Image2, &ClickableLabel::clicked, this, home);
    connect(Label4, &ClickableLabel::clicked, this, home);
    connect(Label5, &ClickableLabel::clicked, this,
            [] { OpenExternal(QStringLiteral("mailto:") + QString::fromUtf8(maker::kEmail)); });
}

} // namespace gw
