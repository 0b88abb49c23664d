// The colour rule: which colours a window takes in the standard scheme, a white-on-black scheme and
// high-contrast mode, and where the readable contrast begins.
#include "ui/ColourRule.h"

#include <gtest/gtest.h>

namespace {

using ui::ColoursFor;
using ui::NeedsSystemColours;
using ui::SystemColours;

// Windows 7's standard scheme, and a white-on-black scheme as a high-contrast user sets it.
constexpr SystemColours kStandard{0xFFFFFF, 0x000000, 0xF0F0F0, 0x000000, 0x6D6D6D};
constexpr SystemColours kWhiteOnBlack{0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x3FF23F};

TEST(ColourRule, StandardSchemeKeepsTheLayoutsColours) {
    for (bool face : {false, true}) {
        ASSERT_FALSE(NeedsSystemColours(kStandard, false, face));
        const ui::WindowColours c = ColoursFor(kStandard, face, false);
        EXPECT_EQ(c.backdrop, face ? 0xF0F0F0u : ui::kLayoutWhite);
        EXPECT_EQ(c.text, 0x000000u);
        EXPECT_EQ(c.buttonFace, ui::kLayoutWhite);
        EXPECT_EQ(c.buttonText, 0x000000u);
        EXPECT_EQ(c.buttonGrayText, 0x6D6D6Du);
        EXPECT_FALSE(c.system);
    }
    // The classic schemes' grey (128, 128, 128) is under 4.5:1 on white, but only a disabled caption
    // takes it: the layouts stay.
    SystemColours classic = kStandard;
    classic.grayText = 0x808080;
    EXPECT_FALSE(NeedsSystemColours(classic, false, false));
}

TEST(ColourRule, WhiteOnBlackSchemeTakesTheSystemsPairsInEveryWindow) {
    for (bool face : {false, true}) {
        // The main window's white text on white; the dialogs' white captions on white buttons.
        ASSERT_TRUE(NeedsSystemColours(kWhiteOnBlack, false, face)) << face;
        const ui::WindowColours c = ColoursFor(kWhiteOnBlack, face, true);
        EXPECT_EQ(c.backdrop, 0x000000u);
        EXPECT_EQ(c.text, 0xFFFFFFu);
        EXPECT_EQ(c.buttonFace, 0x000000u);
        EXPECT_EQ(c.buttonText, 0xFFFFFFu);
        EXPECT_EQ(c.buttonGrayText, 0x3FF23Fu);
        EXPECT_TRUE(c.system);
        EXPECT_GE(ui::ContrastRatio(c.text, c.backdrop), ui::kReadableContrast);
    }
}

TEST(ColourRule, HighContrastModeTakesTheSystemsColoursEvenWhereTheLayoutsWouldDo) {
    for (bool face : {false, true}) {
        ASSERT_TRUE(NeedsSystemColours(kStandard, true, face));
        const ui::WindowColours c = ColoursFor(kStandard, face, true);
        EXPECT_EQ(c.backdrop, face ? 0xF0F0F0u : 0xFFFFFFu);
        EXPECT_EQ(c.buttonFace, 0xF0F0F0u);
        EXPECT_TRUE(c.system);
    }
}

TEST(ColourRule, ReadableFromFourAndAHalfToOneAgainstTheFixedWhite) {
    EXPECT_DOUBLE_EQ(ui::ContrastRatio(0x000000, 0xFFFFFF), 21.0);
    EXPECT_DOUBLE_EQ(ui::ContrastRatio(0x123456, 0x123456), 1.0);
    // Red sits in the lowest byte: pure red and pure blue differ from white by different amounts.
    EXPECT_NEAR(ui::ContrastRatio(0x0000FF, 0xFFFFFF), 4.0, 0.01);
    EXPECT_NEAR(ui::ContrastRatio(0xFF0000, 0xFFFFFF), 8.59, 0.01);
    SystemColours grey = kStandard;
    grey.windowText = 0x767676;  // 4.54:1 on white, 3.99:1 on the face behind the dialogs' labels
    EXPECT_FALSE(NeedsSystemColours(grey, false, false));
    EXPECT_TRUE(NeedsSystemColours(grey, false, true));
    grey.windowText = 0x777777;  // 4.48:1
    EXPECT_TRUE(NeedsSystemColours(grey, false, false));
    // The buttons' captions stand on white in every window.
    grey.windowText = 0x000000;
    EXPECT_FALSE(NeedsSystemColours(grey, false, true));
    grey.buttonText = 0x777777;
    EXPECT_TRUE(NeedsSystemColours(grey, false, true));
}

}  // namespace
