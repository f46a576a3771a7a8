#include <Platform/PopoverPlacement.h>
#include <gtest/gtest.h>

using namespace velto::platform;

namespace {

const QRectF kScreen(0, 0, 1512, 944);
constexpr double kGap = PopoverPlacement::kGap;

} // namespace

TEST(PopoverPlacement, CentresBelowTheAnchor) {
    const QPointF origin =
        PopoverPlacement::origin({200, 150}, QRectF(700, 0, 42, 24), kScreen, RectEdge::MinY);
    EXPECT_EQ(origin, QPointF(721 - 100, 24 + kGap));
}

TEST(PopoverPlacement, KeepsAPopoverAtTheRightEdgeOnScreen) {
    // Centred under an item near the right edge, the popover would reach 1592.
    const QPointF origin =
        PopoverPlacement::origin({200, 150}, QRectF(1470, 0, 42, 24), kScreen, RectEdge::MinY);
    EXPECT_EQ(origin, QPointF(1512 - 200, 24 + kGap));
    const QPointF left =
        PopoverPlacement::origin({200, 150}, QRectF(0, 0, 42, 24), kScreen, RectEdge::MinY);
    EXPECT_EQ(left.x(), 0);
}

TEST(PopoverPlacement, FlipsAboveOnlyWhenBelowLacksRoomAndAboveHasIt) {
    const QRectF nearBottom(700, 900, 42, 24);
    EXPECT_EQ(PopoverPlacement::origin({200, 150}, nearBottom, kScreen, RectEdge::MinY).y(),
              900 - kGap - 150);

    // Too tall for either side: the top edge stays on screen.
    const QPointF tall =
        PopoverPlacement::origin({200, 2000}, QRectF(700, 0, 42, 24), kScreen, RectEdge::MinY);
    EXPECT_EQ(tall.y(), 0);
    // Wider than the screen: the left edge stays on screen.
    EXPECT_EQ(
        PopoverPlacement::origin({2000, 100}, QRectF(700, 0, 42, 24), kScreen, RectEdge::MinY).x(),
        0);
}

TEST(PopoverPlacement, HonoursTheOtherEdges) {
    const QRectF anchor(700, 400, 40, 20);
    EXPECT_EQ(PopoverPlacement::origin({100, 50}, anchor, kScreen, RectEdge::MaxY),
              QPointF(670, 400 - kGap - 50));
    EXPECT_EQ(PopoverPlacement::origin({100, 50}, anchor, kScreen, RectEdge::MinX),
              QPointF(700 - kGap - 100, 385));
    EXPECT_EQ(PopoverPlacement::origin({100, 50}, anchor, kScreen, RectEdge::MaxX),
              QPointF(740 + kGap, 385));
    // No room on the right of an anchor at the screen's right edge: to the left instead.
    EXPECT_EQ(
        PopoverPlacement::origin({100, 50}, QRectF(1480, 400, 32, 20), kScreen, RectEdge::MaxX).x(),
        1480 - kGap - 100);
}
