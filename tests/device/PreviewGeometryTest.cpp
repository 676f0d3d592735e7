// The preview's geometry: the crop clipped to the frame, the crop of a turned picture taken
// crosswise, and corners that are not a quarter turn.
#include "device/PreviewGeometry.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>

namespace {

struct ClipCase {
    const char* name;
    FrameRect rect;
    FrameRect clipped;
};

class ClipToFrameTest : public testing::TestWithParam<ClipCase> {};

TEST_P(ClipToFrameTest, KeepsTheRectangleInsideTheFrame) {
    EXPECT_EQ(ClipToFrame(GetParam().rect, 640, 480), GetParam().clipped);
}

INSTANTIATE_TEST_SUITE_P(
    Crops, ClipToFrameTest,
    testing::Values(ClipCase{"Inside", {100, 50, 320, 240}, {100, 50, 320, 240}},
                    ClipCase{"WholeFrame", {0, 0, 640, 480}, {0, 0, 640, 480}},
                    ClipCase{"LargerThanFrameCentred", {-30, -10, 700, 500}, {0, 0, 640, 480}},
                    ClipCase{"RunsOffRightAndBottom", {600, 400, 100, 100}, {600, 400, 40, 80}},
                    ClipCase{"EntirelyRightOfFrame", {640, 0, 10, 10}, {}},
                    ClipCase{"EntirelyAboveFrame", {0, -20, 10, 20}, {}},
                    ClipCase{"ZeroWidth", {10, 10, 0, 10}, {}},
                    ClipCase{"NegativeHeight", {10, 10, 10, -5}, {}},
                    ClipCase{"ExtremeValuesDoNotWrap", {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {}},
                    ClipCase{"HugeSizeFromFarLeft", {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {}},
                    ClipCase{"HugeSizeFromOrigin", {0, 0, INT_MAX, INT_MAX}, {0, 0, 640, 480}}),
    RowName{});

TEST(PreviewSourceRect, TurnedPicturesTakeTheCropCrosswise) {
    EXPECT_EQ(PreviewSourceRect(0, 400, 300, 120, 90), (FrameRect{120, 90, 400, 300}));
    EXPECT_EQ(PreviewSourceRect(1, 480, 600, 0, 20), (FrameRect{20, 0, 600, 480}));
    EXPECT_EQ(PreviewSourceRect(2, 480, 600, 0, 20), (FrameRect{20, 0, 600, 480}));
}

TEST(QuarterTurnMap, RefusesCornersThatAreNotAQuarterTurn) {
    QuarterTurnMap map;
    const std::array<PlanePoint, 3> upright{{{0, 0}, {640, 0}, {0, 480}}};
    EXPECT_FALSE(BuildQuarterTurnMap(upright, {0, 0, 640, 480}, map));
    const std::array<PlanePoint, 3> turned{{{480, 0}, {480, 600}, {0, 0}}};
    EXPECT_FALSE(BuildQuarterTurnMap(turned, {}, map));
    EXPECT_TRUE(map.frameRowOfColumn.empty());
}

}  // namespace
