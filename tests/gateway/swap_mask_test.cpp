#include "gateway/swap_mask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Labels(std::uint8_t mask) {
    std::vector<std::string> out;
    for (gw::SwapState s : gw::SwapStates(mask))
        out.push_back(gw::SwapStateLabel(s));
    return out;
}

TEST(SwapMask, LabelsGroupsOfNeighbouringBytes) {
    const std::string N = "NO SWAP", S = "START", W = "SWAP", E = "END";
    struct Case {
        std::uint8_t mask;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {0x00, {N, N, N, N, N, N, N, N}}, {0x80, {S, E, N, N, N, N, N, N}},
        {0xE0, {S, W, W, E, N, N, N, N}}, {0xA0, {S, E, S, E, N, N, N, N}},
        {0xFE, {S, W, W, W, W, W, W, E}}, {0x01, {N, N, N, N, N, N, N, N}},
        {0xFF, {S, W, W, W, W, W, W, E}}, {0x02, {N, N, N, N, N, N, S, E}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Labels(c.mask), c.labels) << gw::SwapValueText(c.mask);
    EXPECT_FALSE(gw::SwapStateIsMarked(gw::SwapState::NoSwap));
    for (auto s : {gw::SwapState::Start, gw::SwapState::Swap, gw::SwapState::End})
        EXPECT_TRUE(gw::SwapStateIsMarked(s));
}

TEST(SwapMask, ButtonsFollowBitsSevenToOneAndButtonEightDoesNothing) {
    EXPECT_EQ(gw::ApplySwapButton(0x00, 1, true), 0x80);
    EXPECT_EQ(gw::ApplySwapButton(0x00, 7, true), 0x02);
    EXPECT_EQ(gw::ApplySwapButton(0xE0, 2, false), 0xA0);
    EXPECT_EQ(gw::ApplySwapButton(0x01, 3, true), 0x21); // a set bit 0 stays set
    for (std::uint8_t mask : {0x00, 0x01, 0xFE, 0xFF}) {
        EXPECT_EQ(gw::ApplySwapButton(mask, 8, true), mask);
        EXPECT_EQ(gw::ApplySwapButton(mask, 8, false), mask);
        EXPECT_FALSE(gw::SwapButtonDown(mask, 8));
    }
    EXPECT_TRUE(gw::SwapButtonDown(0xA0, 1));
    EXPECT_FALSE(gw::SwapButtonDown(0xA0, 2));
    EXPECT_TRUE(gw::SwapButtonDown(0xA0, 3));
}

TEST(SwapMask, ValueTextAndCellReading) {
    EXPECT_EQ(gw::SwapValueText(0x00), "0x00");
    EXPECT_EQ(gw::SwapValueText(0xE0), "0xE0");
    EXPECT_EQ(gw::SwapValueText(0x0A), "0x0A");
    EXPECT_EQ(gw::SwapMaskFromCell(""), 0x00);
    EXPECT_EQ(gw::SwapMaskFromCell("zz"), 0x00);
    EXPECT_EQ(gw::SwapMaskFromCell("0x01"), 0x01);
    EXPECT_EQ(gw::SwapMaskFromCell("0x1FF"), 0xFF);
    EXPECT_EQ(gw::SwapMaskFromCell("160"), 0xA0);
}

TEST(SwapMask, DialogOpensOnlyForNumericCobIdAndDimension) {
    EXPECT_TRUE(gw::SwapDialogAllowed("$181", "8"));
    EXPECT_TRUE(gw::SwapDialogAllowed("$FFF", "12")); // ranges are OK's business
    EXPECT_FALSE(gw::SwapDialogAllowed("", "8"));
    EXPECT_FALSE(gw::SwapDialogAllowed("$181", ""));
    EXPECT_FALSE(gw::SwapDialogAllowed("abc", "8"));
    EXPECT_FALSE(gw::SwapDialogAllowed("$181", "abc"));
    EXPECT_FALSE(gw::SwapDialogAllowed("-1", "8"));
}

} // namespace
