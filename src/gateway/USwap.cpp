#include "gateway/USwap.h"

#include "gateway/swap_mask.h"
#include "ui/frame_table.h"
#include "ui/guard.h"
#include "ui/look.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

namespace gw {

TFSwap* FSwap = nullptr;

namespace {

constexpr int kLeft = 16;
constexpr int kStep = 72;
constexpr int kCellWidth = 66;

const QColor kMarked(0xFF, 0x00, 0x00);
const QColor kPlain(0x00, 0x00, 0x00);

QLabel* FramedLabel(QWidget* parent, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    // A sunken panel, so the frame keeps its colour when the text turns red.
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignCenter);
    l->setGeometry(x, y, kCellWidth, 21);
    return l;
}

void SetTextColour(QLabel* label, const QColor& colour) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

} // namespace

TFSwap::TFSwap(QWidget* parent)
    : ModalWindow(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName("FSwap");
    setWindowTitle("Byte Swap");
    setModal(true);
    ApplyHouseLook(this);
    SetFixedClientSize(this, 604, 218);

    Label17 = new QLabel("SWAP VALUE : ", this);
    Label17->setObjectName("Label17");
    Label17->setFont(HouseFont(8, true));
    Label17->setGeometry(kLeft, 16, 110, 17);
    Label18 = new QLabel(this);
    Label18->setObjectName("Label18");
    Label18->setFont(HouseFont(8, true));
    Label18->setGeometry(kLeft + 112, 16, 60, 17);

    std::array<QLabel*, 8> states{};
    std::array<QToolButton*, 8> buttons{};
    for (int k = 0; k < 8; ++k) {
        const int x = kLeft + k * kStep;
        ByteLabels[k] = FramedLabel(this, QString("BYTE%1").arg(k + 1), x, 52);
        ByteLabels[k]->setObjectName(QString("Label%1").arg(k + 1));
        states[k] = FramedLabel(this, "NO SWAP", x, 82);
        states[k]->setObjectName(QString("Label%1").arg(k + 9));
        auto* b = new QToolButton(this);
        b->setObjectName(QString("SpeedButton%1").arg(k + 1));
        b->setText("CHANGE");
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setGeometry(x, 112, kCellWidth, 25);
        connect(b, &QToolButton::clicked, this,
                [this, b] { Guarded(this, [&] { SpeedButton1Click(b); }); });
        buttons[k] = b;
    }
    Label9 = states[0];
    Label10 = states[1];
    Label11 = states[2];
    Label12 = states[3];
    Label13 = states[4];
    Label14 = states[5];
    Label15 = states[6];
    Label16 = states[7];
    SpeedButton1 = buttons[0];
    SpeedButton2 = buttons[1];
    SpeedButton3 = buttons[2];
    SpeedButton4 = buttons[3];
    SpeedButton5 = buttons[4];
    SpeedButton6 = buttons[5];
    SpeedButton7 = buttons[6];
    SpeedButton8 = buttons[7];

    bitbtn1 = new QPushButton("OK", this);
    bitbtn1->setObjectName("bitbtn1");
    bitbtn1->setGeometry(424, 180, 80, 25);
    bitbtn1->setDefault(true);
    bitbtn2 = new QPushButton("Cancel", this);
    bitbtn2->setObjectName("bitbtn2");
    bitbtn2->setGeometry(512, 180, 80, 25);
    connect(bitbtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(bitbtn2, &QPushButton::clicked, this, &QDialog::reject);

    Refresh();
}

std::array<QLabel*, 8> TFSwap::StateLabels() const {
    return {Label9, Label10, Label11, Label12, Label13, Label14, Label15, Label16};
}

std::array<QToolButton*, 8> TFSwap::Buttons() const {
    return {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4,
            SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton8};
}

void TFSwap::FormShow() {
    Refresh();
}

void TFSwap::Refresh() {
    Label18->setText(QString::fromStdString(SwapValueText(SwapMask)));
    const auto states = SwapStates(SwapMask);
    const auto labels = StateLabels();
    const auto buttons = Buttons();
    for (int k = 0; k < 8; ++k) {
        labels[k]->setText(SwapStateLabel(states[k]));
        SetTextColour(labels[k], SwapStateIsMarked(states[k]) ? kMarked : kPlain);
        buttons[k]->setChecked(SwapButtonDown(SwapMask, k + 1));
    }
}

void TFSwap::SpeedButton1Click(QToolButton* sender) {
    const auto buttons = Buttons();
    for (int k = 0; k < 8; ++k)
        if (buttons[k] == sender)
            SwapMask = ApplySwapButton(SwapMask, k + 1, sender->isChecked());
    Refresh();
}

void EditSwapCell(QTableWidget* grid) {
    const int row = grid->currentRow() + 1;
    if (row < 1)
        return;
    const std::string cobId = FrameCellText(grid, 1, row).toStdString();
    const std::string dimension = FrameCellText(grid, 2, row).toStdString();
    if (cobId.empty() || dimension.empty())
        return;
    FSwap->SwapMask = SwapMaskFromCell(FrameCellText(grid, 3, row).toStdString());
    if (!SwapDialogAllowed(cobId, dimension))
        return;
    if (FSwap->ShowModal() == QDialog::Accepted)
        SetFrameCellText(grid, 3, row, QString::fromStdString(SwapValueText(FSwap->SwapMask)));
}

} // namespace gw
