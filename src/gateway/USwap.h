#pragma once
// The byte swap dialog: eight toggle buttons set which neighbouring data bytes
// of a frame are swapped as a group; labels show each byte's role.
#include "ui/modal_window.h"

#include <array>
#include <cstdint>

class QLabel;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace gw {

class TFSwap : public ModalWindow {
    Q_OBJECT
public:
    explicit TFSwap(QWidget* parent = nullptr);

    void FormShow() override;
    // Every one of the eight buttons lands here.
    void SpeedButton1Click(QToolButton* sender);
    // Labels, value text and buttons from the mask.
    void Refresh();

    // Set by the caller before showing, read back after OK.
    std::uint8_t SwapMask = 0;

    QLabel* Label17; // "SWAP VALUE : "
    QLabel* Label18; // the value text
    std::array<QLabel*, 8> ByteLabels{};
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label13;
    QLabel* Label14;
    QLabel* Label15;
    QLabel* Label16;
    QToolButton* SpeedButton1;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;
    QToolButton* SpeedButton4;
    QToolButton* SpeedButton5;
    QToolButton* SpeedButton6;
    QToolButton* SpeedButton7;
    QToolButton* SpeedButton8;
    QPushButton* bitbtn1;
    QPushButton* bitbtn2;

    // Label9..Label16 and SpeedButton1..SpeedButton8 in byte order.
    std::array<QLabel*, 8> StateLabels() const;
    std::array<QToolButton*, 8> Buttons() const;
};

extern TFSwap* FSwap;

// "Create SWAP" of the frame editors, on the row that holds the focus: opens
// the dialog with the row's Swap cell and writes the mask back after OK. Does
// nothing for a row whose Cob-ID or Dimension is empty or not a number.
void EditSwapCell(QTableWidget* grid);

} // namespace gw
