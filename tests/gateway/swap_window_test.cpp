#include "gateway/USwap.h"

#include "gateway_window_fixture.h"

#include <QLabel>
#include <QToolButton>

namespace {

using gw::FSwap;

class SwapWindow : public gwtest::GatewayWindowTest {
protected:
    void Open(std::uint8_t mask) {
        FSwap->SwapMask = mask;
        FSwap->FormShow();
    }
    std::vector<QString> Labels() const {
        std::vector<QString> out;
        for (QLabel* l : FSwap->StateLabels())
            out.push_back(l->text());
        return out;
    }
    std::vector<bool> Red() const {
        std::vector<bool> out;
        for (QLabel* l : FSwap->StateLabels())
            out.push_back(l->palette().color(QPalette::WindowText) == QColor(255, 0, 0));
        return out;
    }
    std::vector<bool> Down() const {
        std::vector<bool> out;
        for (QToolButton* b : FSwap->Buttons())
            out.push_back(b->isChecked());
        return out;
    }
};

TEST_F(SwapWindow, LabelsColoursAndButtonsFollowTheMask) {
    const QString N = "NO SWAP", S = "START", W = "SWAP", E = "END";
    struct Case {
        std::uint8_t mask;
        std::vector<QString> labels;
        std::vector<bool> down;
    };
    const Case cases[] = {
        {0x80, {S, E, N, N, N, N, N, N}, {1, 0, 0, 0, 0, 0, 0, 0}},
        {0xE0, {S, W, W, E, N, N, N, N}, {1, 1, 1, 0, 0, 0, 0, 0}},
        {0xA0, {S, E, S, E, N, N, N, N}, {1, 0, 1, 0, 0, 0, 0, 0}},
        {0xFE, {S, W, W, W, W, W, W, E}, {1, 1, 1, 1, 1, 1, 1, 0}},
        {0x01, {N, N, N, N, N, N, N, N}, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        Open(c.mask);
        EXPECT_EQ(FSwap->Label18->text(), QString::asprintf("0x%02X", c.mask));
        EXPECT_EQ(Labels(), c.labels);
        std::vector<bool> red;
        for (const QString& l : c.labels)
            red.push_back(l != N);
        EXPECT_EQ(Red(), red);
        EXPECT_EQ(Down(), c.down);
    }
    for (QLabel* l : FSwap->StateLabels()) {
        if (l->text() == N) {
            EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0, 0, 0));
        }
    }
}

TEST_F(SwapWindow, ClicksToggleTheirBitAndButtonEightChangesNothing) {
    Open(0x00);
    FSwap->SpeedButton1->click();
    FSwap->SpeedButton3->click();
    EXPECT_EQ(FSwap->SwapMask, 0xA0);
    EXPECT_EQ(FSwap->Label18->text(), "0xA0");
    FSwap->SpeedButton1->click();
    EXPECT_EQ(FSwap->SwapMask, 0x20);

    for (std::uint8_t mask : {0x00, 0x01, 0xFE}) {
        Open(mask);
        const auto labels = Labels();
        FSwap->SpeedButton8->click();
        EXPECT_EQ(FSwap->SwapMask, mask);
        EXPECT_EQ(Labels(), labels);
        EXPECT_EQ(FSwap->Label18->text(), QString::asprintf("0x%02X", mask));
        EXPECT_FALSE(FSwap->SpeedButton8->isChecked());
    }
}

TEST_F(SwapWindow, LayoutAndCaptions) {
    EXPECT_EQ(FSwap->windowTitle(), "Byte Swap");
    EXPECT_EQ(FSwap->size(), QSize(604, 218));
    EXPECT_EQ(FSwap->Label17->text(), "SWAP VALUE : ");
    EXPECT_TRUE(FSwap->Label17->font().bold());
    EXPECT_TRUE(FSwap->Label18->font().bold());
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(FSwap->ByteLabels[static_cast<std::size_t>(k)]->text(),
                  QString("BYTE%1").arg(k + 1));
        EXPECT_EQ(FSwap->Buttons()[static_cast<std::size_t>(k)]->text(), "CHANGE");
    }
}

} // namespace
