#include <Platform/OwnBarLayout.h>
#include <Platform/StatusItem.h>
#include <gtest/gtest.h>
#include <limits>

using namespace velto::platform;

namespace {

constexpr double kThickness = 24.0;

OwnBarLayout::Entry fixed(double length, bool visible = true) {
    return {length, visible, 0.0};
}

} // namespace

TEST(OwnBarLayout, PlacesTheFirstItemRightmostAndLaterOnesToItsLeft) {
    const auto placement = OwnBarLayout::layout({fixed(42), fixed(24), fixed(30)}, kThickness, 4.0);

    EXPECT_DOUBLE_EQ(placement.width, 42 + 4 + 24 + 4 + 30);
    ASSERT_EQ(placement.frames.size(), 3u);
    EXPECT_EQ(placement.frames[0], QRectF(62, 0, 42, kThickness));
    EXPECT_EQ(placement.frames[1], QRectF(34, 0, 24, kThickness));
    EXPECT_EQ(placement.frames[2], QRectF(0, 0, 30, kThickness));
}

TEST(OwnBarLayout, HiddenItemsTakeNoSpaceAndNoGap) {
    const auto placement =
        OwnBarLayout::layout({fixed(42), fixed(24, false), fixed(30)}, kThickness, 4.0);

    EXPECT_DOUBLE_EQ(placement.width, 42 + 4 + 30);
    EXPECT_EQ(placement.frames[0], QRectF(34, 0, 42, kThickness));
    EXPECT_FALSE(placement.frames[1].has_value());
    EXPECT_EQ(placement.frames[2], QRectF(0, 0, 30, kThickness));

    const auto none = OwnBarLayout::layout({fixed(42, false)}, kThickness, 4.0);
    EXPECT_DOUBLE_EQ(none.width, 0.0);
    EXPECT_FALSE(none.frames[0].has_value());
}

TEST(OwnBarLayout, ResolvesSquareVariableAndNonsenseLengths) {
    EXPECT_DOUBLE_EQ(
        OwnBarLayout::resolvedLength({StatusItem::kSquareLength, true, 99}, kThickness),
        kThickness);
    EXPECT_DOUBLE_EQ(
        OwnBarLayout::resolvedLength({StatusItem::kVariableLength, true, 37.5}, kThickness), 37.5);
    // A variable item with nothing in it still shows a sliver that can be clicked.
    EXPECT_DOUBLE_EQ(
        OwnBarLayout::resolvedLength({StatusItem::kVariableLength, true, 0}, kThickness),
        OwnBarLayout::kEmptyItemWidth);
    // Lengths no caller should send fall back to the content, never to a negative width.
    EXPECT_DOUBLE_EQ(OwnBarLayout::resolvedLength({-7.0, true, 20}, kThickness), 20);
    EXPECT_DOUBLE_EQ(OwnBarLayout::resolvedLength(
                         {std::numeric_limits<double>::quiet_NaN(), true, 20}, kThickness),
                     20);
    EXPECT_DOUBLE_EQ(OwnBarLayout::resolvedLength(
                         {std::numeric_limits<double>::infinity(), true, 20}, kThickness),
                     20);
    EXPECT_DOUBLE_EQ(OwnBarLayout::resolvedLength({0.0, true, 20}, kThickness), 0.0);
}

TEST(OwnBarLayout, HitTestingFindsTheItemUnderThePointAndNothingInGaps) {
    const auto placement =
        OwnBarLayout::layout({fixed(42), fixed(24, false), fixed(30)}, kThickness, 4.0);
    // Item 2 covers [0, 30), the gap [30, 34), item 0 [34, 76).
    EXPECT_EQ(OwnBarLayout::itemAt(placement.frames, {0, 0}), 2u);
    EXPECT_EQ(OwnBarLayout::itemAt(placement.frames, {29.9, 23.9}), 2u);
    EXPECT_EQ(OwnBarLayout::itemAt(placement.frames, {30, 10}), std::nullopt);
    EXPECT_EQ(OwnBarLayout::itemAt(placement.frames, {34, 10}), 0u);
    EXPECT_EQ(OwnBarLayout::itemAt(placement.frames, {76, 10}), std::nullopt);
    EXPECT_EQ(OwnBarLayout::itemAt(placement.frames, {50, 24}), std::nullopt);
    EXPECT_EQ(OwnBarLayout::itemAt(placement.frames, {50, -1}), std::nullopt);
}
