#include "gateway/USetPdo.h"

#include "app/project_globals.h"
#include "gateway/USwap.h"
#include "gateway/frame_table.h"
#include "ui/guard.h"
#include "ui/look.h"

#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gw {

TFSetPdo* FSetPdo = nullptr;

namespace {
constexpr FrameListKind kKind = FrameListKind::Send;
}

TFSetPdo::TFSetPdo(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    setObjectName("FSetPdo");
    setWindowTitle("Send Frames");
    setModal(true);
    ApplyHouseLook(this);
    resize(728, 513);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    sga = new QTableWidget(this);
    sga->setObjectName("sga");
    SetupFrameTable(sga, kKind,
                    {{64, {}},
                     {121, kCobIdColour},
                     {84, kCobIdColour},
                     {91, kSwapColour},
                     {256, kMnemonicColour}},
                    20);
    // The grid shows the window's background where there are no cells.
    QPalette p = sga->palette();
    p.setColor(QPalette::Base, kBackground);
    sga->setPalette(p);
    sga->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(sga);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(41);
    Panel1->setAutoFillBackground(true);
    layout->addWidget(Panel1);

    LbButton4 = new QPushButton("OK", Panel1);
    LbButton4->setObjectName("LbButton4");
    LbButton4->setGeometry(8, 8, 89, 25);
    LbButton3 = new QPushButton("Cancel", Panel1);
    LbButton3->setObjectName("LbButton3");
    LbButton3->setGeometry(105, 8, 89, 25);
    LbButton1 = new QPushButton("Create SWAP", Panel1);
    LbButton1->setObjectName("LbButton1");
    LbButton1->setGeometry(202, 8, 105, 25);

    OnClick(LbButton4, this, &TFSetPdo::LbButton4Click);
    OnClick(LbButton3, this, &TFSetPdo::LbButton3Click);
    OnClick(LbButton1, this, &TFSetPdo::LbButton1Click);
}

int TFSetPdo::ShowModal() {
    CentreOnScreen(this);
    return exec();
}

void TFSetPdo::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Guarded(this, [this] { FormShow(); });
}

void TFSetPdo::FormShow() {
    ShowFrameDocument(kKind, Project.PargenPath, Project.PdoPath, sga, this, width_);
}

void TFSetPdo::LbButton4Click() {
    if (!ValidateFrameRows(kKind, sga, width_, this))
        return;
    SaveFrameDocument(kKind, TableToGrid(kKind, sga), Project.PdoPath);
    done(QDialog::Accepted);
}

void TFSetPdo::LbButton3Click() {
    done(QDialog::Rejected);
}

void TFSetPdo::LbButton1Click() {
    EditSwapCell(sga);
}

} // namespace gw
