#include "SettingsPlacement.h"

#include <gtest/gtest.h>

using namespace velto;

namespace {

const QSizeF window{360, 280};
const QRectF screen{0, 0, 1512, 944};

// A 24-point gear item in a bar along the top of the screen, centred at @p midX.
QRectF gearAt(double midX) {
    return {midX - 12, 958, 24, 24};
}

} // namespace

TEST(SettingsPlacementTest, CentresBelowTheAnchorWithinTheVisibleFrame) {
    const QPointF centred = SettingsPlacement::origin(window, gearAt(700), screen);
    EXPECT_DOUBLE_EQ(centred.x(), 520);
    EXPECT_DOUBLE_EQ(centred.y() + window.height(), 958 - 4) << "top edge 4 points below the gear";

    const QPointF nearRight = SettingsPlacement::origin(window, gearAt(1412), screen);
    EXPECT_DOUBLE_EQ(nearRight.x(), 1152);
    EXPECT_DOUBLE_EQ(nearRight.y() + window.height(), 954);
    EXPECT_DOUBLE_EQ(SettingsPlacement::origin(window, gearAt(60), screen).x(), 0);

    // A second screen to the right: its own edges count, not the origin's.
    const QRectF second{1512, 0, 1920, 1080};
    EXPECT_DOUBLE_EQ(SettingsPlacement::origin(window, gearAt(1530), second).x(), 1512);
    EXPECT_DOUBLE_EQ(SettingsPlacement::origin(window, gearAt(3420), second).x(), 3072);
}

TEST(SettingsPlacementTest, TheRightEdgeWinsAndTheHeightIsNotClamped) {
    const QRectF narrow{100, 0, 300, 600};
    const QPointF wide = SettingsPlacement::origin(window, gearAt(250), narrow);
    EXPECT_DOUBLE_EQ(wide.x() + window.width(), 400) << "wider than the frame: right edges meet";

    const QRectF lowAnchor{688, 100, 24, 24};
    EXPECT_DOUBLE_EQ(SettingsPlacement::origin(window, lowAnchor, screen).y(), 100 - 4 - 280);
}
