// The combined item's packing and the automatic switch's rules, without a GUI.

#include "MenuBarFit/MenuBarFit.h"

#include "MenuBarFit/DisplaySettle.h"
#include "MenuBarFit/HiddenDebounce.h"

#include <gtest/gtest.h>

using namespace velto;

TEST(MenuBarFitTest, LayoutPacksViewsBetweenEdgePaddingWithGapsBetween) {
    EXPECT_EQ(MenuBarFit::layout({38, 50, 14}), (MenuBarFit::Layout{{2, 43, 96}, 112}));
    EXPECT_EQ(MenuBarFit::layout({}), (MenuBarFit::Layout{{}, 0}));
    EXPECT_EQ(MenuBarFit::layout({14}), (MenuBarFit::Layout{{2}, 18}));
    // Three readings and a 12-point gear glyph; the gear alone is its width plus 4.
    EXPECT_EQ(MenuBarFit::layout({38, 50, 14, 12}), (MenuBarFit::Layout{{2, 43, 96, 113}, 127}));
    EXPECT_EQ(MenuBarFit::layout({12}).total, 16);
}

TEST(MenuBarFitTest, AFrameIsHiddenMoreThanHalfAPointPastTheUsableArea) {
    const QRectF screen(0, 0, 1512, 982);
    const QRectF rightOfNotch(860, 950, 652, 32);
    EXPECT_EQ(MenuBarFit::usableArea(screen, rightOfNotch), rightOfNotch);
    EXPECT_EQ(MenuBarFit::usableArea(screen, std::nullopt), screen);

    const auto item = [](double x) { return std::optional<QRectF>(QRectF(x, 958, 40, 24)); };
    EXPECT_TRUE(MenuBarFit::isHidden(item(860 - 0.6), true, rightOfNotch));
    EXPECT_FALSE(MenuBarFit::isHidden(item(860 - 0.5), true, rightOfNotch));
    EXPECT_FALSE(MenuBarFit::isHidden(item(1512 - 40 + 0.5), true, rightOfNotch));
    EXPECT_TRUE(MenuBarFit::isHidden(item(1512 - 40 + 0.6), true, rightOfNotch));
    EXPECT_TRUE(MenuBarFit::isHidden(item(-30), true, screen)) << "left of the screen";

    EXPECT_TRUE(MenuBarFit::isHidden(std::nullopt, true, screen));
    EXPECT_TRUE(MenuBarFit::isHidden(item(1000), false, rightOfNotch))
        << "a window off every screen";
}

TEST(MenuBarFitTest, AutoCollapseNeedsAtLeastOneDisplayAndOnlyBuiltInOnes) {
    EXPECT_FALSE(MenuBarFit::autoCollapseAllowed({}));
    EXPECT_TRUE(MenuBarFit::autoCollapseAllowed({true}));
    EXPECT_TRUE(MenuBarFit::autoCollapseAllowed({true, true}));
    EXPECT_FALSE(MenuBarFit::autoCollapseAllowed({true, false}));
}

TEST(MenuBarFitTest, HiddenDebounceNeedsThreeHiddenChecksInARow) {
    HiddenDebounce debounce;
    EXPECT_FALSE(debounce.record(true));
    EXPECT_FALSE(debounce.record(true));
    EXPECT_TRUE(debounce.record(true));
    EXPECT_TRUE(debounce.record(true)) << "past the threshold it stays reached";

    HiddenDebounce interrupted;
    for (const bool hidden : {true, false, true, true})
        EXPECT_FALSE(interrupted.record(hidden));
    EXPECT_EQ(interrupted.streak, 2);
    interrupted.reset();
    EXPECT_EQ(interrupted.streak, 0);

    HiddenDebounce copy = debounce;
    copy.reset();
    EXPECT_EQ(debounce.streak, 4) << "a value: the copy is reset, not the original";
}

TEST(MenuBarFitTest, DisplaySettleWaitsTheQuietPeriodAfterTheLastChange) {
    DisplaySettle settle(4.0);
    EXPECT_TRUE(settle.isSettled(0.0)) << "no change noted yet";
    settle.noteChange(10.0);
    EXPECT_FALSE(settle.isSettled(13.9));
    EXPECT_TRUE(settle.isSettled(14.0));
    settle.noteChange(12.0);
    EXPECT_FALSE(settle.isSettled(15.9));
    EXPECT_TRUE(settle.isSettled(16.0));
}
