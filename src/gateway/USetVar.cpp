#include "gateway/USetVar.h"

#include "app/project_globals.h"
#include "gateway/USwap.h"
#include "gateway/frame_table.h"
#include "ui/guard.h"
#include "ui/look.h"

#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace gw {

TFSetVar* FSetVar = nullptr;

namespace {
constexpr FrameListKind kKind = FrameListKind::Receive;
}

TFSetVar::TFSetVar(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName("FSetVar");
    setWindowTitle("Receive Frames");
    setModal(true);
    ApplyHouseLook(this);
    resize(780, 538);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    sga = new QTableWidget(this);
    sga->setObjectName("sga");
    SetupFrameTable(sga, kKind,
                    {{64, {}},
                     {127, kCobIdColour},
                     {77, kCobIdColour},
                     {74, kSwapColour},
                     {45, kDeleteColour},
                     {240, kMnemonicColour}},
                    21);
    layout->addWidget(sga);

    Panel1 = new QWidget(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(41);
    Panel1->setAutoFillBackground(true);
    layout->addWidget(Panel1);

    bitbtn1 = new QPushButton("OK", Panel1);
    bitbtn1->setObjectName("bitbtn1");
    bitbtn1->setGeometry(8, 8, 89, 25);
    bitbtn2 = new QPushButton("Cancel", Panel1);
    bitbtn2->setObjectName("bitbtn2");
    bitbtn2->setGeometry(105, 8, 89, 25);
    LbButton1 = new QPushButton("Create SWAP", Panel1);
    LbButton1->setObjectName("LbButton1");
    LbButton1->setGeometry(202, 8, 105, 25);

    OnClick(bitbtn1, this, &TFSetVar::bitbtn1Click);
    OnClick(bitbtn2, this, &TFSetVar::bitbtn2Click);
    OnClick(LbButton1, this, &TFSetVar::LbButton1Click);
}

int TFSetVar::ShowModal() {
    CentreOnScreen(this);
    return exec();
}

void TFSetVar::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    Guarded(this, [this] { FormShow(); });
}

void TFSetVar::FormShow() {
    ShowFrameDocument(kKind, Project.PargenPath, Project.SdoPath, sga, this, width_);
}

void TFSetVar::bitbtn1Click() {
    if (!ValidateFrameRows(kKind, sga, width_, this))
        return;
    SaveFrameDocument(kKind, TableToGrid(kKind, sga), Project.SdoPath);
    done(QDialog::Accepted);
}

void TFSetVar::bitbtn2Click() {
    done(QDialog::Rejected);
}

void TFSetVar::LbButton1Click() {
    EditSwapCell(sga);
}

} // namespace gw
