// Face centering: the zoom steps and lens factors, the amounts, and the moves a double-click
// and a drag ask for under each rotation, as named rows.
#include "station/FaceCentering.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <ostream>
#include <tuple>

namespace face {

// A failing row shows the move as the head would get it: "beep, B = -97, A = 48".
void PrintTo(const RelativeMove& move, std::ostream* os) {
    *os << (move.beep ? "beep, " : "");
    for (const ArgumentWrite& w : move.writes) {
        *os << (w.argument == HeadArgument::A ? "A = " : "B = ") << w.value << ", ";
    }
    *os << "159";
}

}  // namespace face

namespace {

using face::ArgumentWrite;
using face::CenteringFrame;
using face::RelativeMove;
constexpr HeadArgument A = HeadArgument::A;
constexpr HeadArgument B = HeadArgument::B;

// --- zoom steps and factors ------------------------------------------------------------------

struct FactorRow {
    const char* name;
    int32_t cameraType;
    uint32_t zoom;
    uint32_t step;
    float factor;
};

class FactorTable : public testing::TestWithParam<FactorRow> {};

TEST_P(FactorTable, StepAndSinglePrecisionFactor) {
    const FactorRow& row = GetParam();
    EXPECT_EQ(face::ZoomStep(row.zoom), row.step);
    EXPECT_EQ(face::AutoCorrectionFactor(row.cameraType, row.zoom), row.factor);
}

INSTANTIATE_TEST_SUITE_P(FaceCentering, FactorTable,
                         testing::Values(FactorRow{"Class5Wide", 5, 0, 0, 0.9756f},
                                         FactorRow{"Class4Wide", 4, 0, 0, 1.4285f},
                                         FactorRow{"Remainder100RoundsDown", 5, 100, 0, 0.9756f},
                                         FactorRow{"Remainder101RoundsUp", 5, 101, 1, 0.9478f},
                                         FactorRow{"Zoom300IsStep1", 5, 300, 1, 0.9478f},
                                         FactorRow{"Zoom301IsStep2", 5, 301, 2, 0.9375f},
                                         FactorRow{"Class4Step11", 4, 2300, 11, 1.1589f},
                                         FactorRow{"Class4Step12MendedFirst", 4, 2301, 12, 1.1363f},
                                         FactorRow{"Class4Step12MendedLast", 4, 2500, 12, 1.1363f},
                                         FactorRow{"Class4Step13", 4, 2501, 13, 1.1182f},
                                         FactorRow{"Class5LastMeasuredStep", 5, 15000, 75, 0.0968f},
                                         FactorRow{"Class5Step76IsZero", 5, 15200, 76, 0.0f},
                                         FactorRow{"LastStep", 4, 17900, 89, 0.0f},
                                         FactorRow{"PastTheTableClamps", 4, 17901, 89, 0.0f},
                                         FactorRow{"LargestPositionClamps", 5, UINT32_MAX, 89,
                                                   0.0f},
                                         FactorRow{"Class3HasNoFactor", 3, 0, 0, 0.0f}),
                         RowName{});

// --- amounts ---------------------------------------------------------------------------------

struct AmountRow {
    const char* name;
    int64_t distance;
    float factor;
    int32_t amount;
};

class AmountTable : public testing::TestWithParam<AmountRow> {};

TEST_P(AmountTable, TruncatedTowardZeroAndHeldTo16Bits) {
    EXPECT_EQ(face::AmountOfDistance(GetParam().distance, GetParam().factor), GetParam().amount);
}

INSTANTIATE_TEST_SUITE_P(
    FaceCentering, AmountTable,
    testing::Values(AmountRow{"Worked100", 100, 0.9756f, 97},
                    AmountRow{"NegativeTruncatesTowardZero", -40, 1.4285f, -57},
                    // 0.909f is 0.90899998..., so 1000 pixels ask for 908, not 909.
                    AmountRow{"SinglePrecisionFactor", 1000, 0.909f, 908},
                    AmountRow{"ZeroFactor", 5000, 0.0f, 0},
                    AmountRow{"LargestAmount", 22937, 1.4285f, 32765},
                    AmountRow{"SaturatesHigh", 1000000, 1.4285f, 32767},
                    AmountRow{"SaturatesLow", -1000000, 1.4285f, -32768},
                    AmountRow{"Int64Extremes", INT64_MIN, 1.4285f, -32768}),
    RowName{});

// --- moves -----------------------------------------------------------------------------------

// A double-click at (x, y), or a drag from (pressX, pressY) to it.
struct MoveRow {
    const char* name;
    bool drag;
    CenteringFrame frame;
    int32_t cameraType;
    uint32_t zoom;
    int32_t pressX, pressY, x, y;
    std::optional<RelativeMove> move;
};

void PrintTo(const MoveRow& row, std::ostream* os) {
    *os << row.name;
}

class MoveTable : public testing::TestWithParam<MoveRow> {};

TEST_P(MoveTable, ArgumentsInOrder) {
    const MoveRow& row = GetParam();
    const float factor = face::AutoCorrectionFactor(row.cameraType, row.zoom);
    const auto move = row.drag
                          ? face::DragMove(row.frame, factor, row.pressX, row.pressY, row.x, row.y)
                          : face::CenteringMove(row.frame, factor, row.x, row.y);
    EXPECT_EQ(move, row.move);
}

constexpr CenteringFrame kWide{624, 468, 0, 0, 0};
constexpr CenteringFrame kTurned90{480, 600, 0, 0, 1};
constexpr CenteringFrame kTurned270{480, 600, 0, 0, 2};

CenteringFrame Frame(int32_t w, int32_t h, int32_t xOffset, int32_t yOffset, int32_t rotation) {
    return {w, h, xOffset, yOffset, rotation};
}
RelativeMove Move(HeadArgument first, int32_t a, HeadArgument second, int32_t b,
                  bool beep = false) {
    return RelativeMove{beep, {{{first, a}, {second, b}}}};
}
MoveRow Dbl(const char* name, CenteringFrame frame, int32_t type, uint32_t zoom, int32_t x,
            int32_t y, std::optional<RelativeMove> move) {
    return {name, false, frame, type, zoom, 0, 0, x, y, move};
}

INSTANTIATE_TEST_SUITE_P(
    FaceCentering, MoveTable,
    testing::Values(
        Dbl("WorkedDoubleClick", kWide, 5, 0, 412, 134, Move(A, 97, B, 97)),
        Dbl("WorkedDoubleClickZoom300", kWide, 5, 300, 412, 134, Move(A, 94, B, 94)),
        Dbl("WorkedDoubleClickZoom301", kWide, 5, 301, 412, 134, Move(A, 93, B, 93)),
        Dbl("ZeroFactorStillMoves", kWide, 5, 15200, 412, 134, Move(A, 0, B, 0)),
        Dbl("TargetShiftedByOffsets", Frame(624, 468, 10, 20, 0), 5, 0, 412, 134,
            Move(A, 87, B, 78)),
        Dbl("OddCropHalvesTruncate", Frame(625, 469, 0, 0, 0), 5, 0, 312, 234, Move(A, 0, B, 0)),
        Dbl("DoubleClickRotation90", kTurned90, 5, 0, 340, 250, Move(B, 97, A, -48)),
        Dbl("DoubleClickRotation0", Frame(480, 600, 0, 0, 0), 5, 0, 340, 250, Move(A, 97, B, 48)),
        Dbl("DoubleClickRotation270Beeps", kTurned270, 5, 0, 340, 250, Move(B, -97, A, 48, true)),
        Dbl("DoubleClickUnknownRotation", Frame(480, 600, 0, 0, 3), 5, 0, 340, 250, std::nullopt),
        Dbl("TurnedPictureIsShownOneToOne", Frame(240, 300, 0, 0, 1), 5, 0, 200, 250,
            Move(B, 78, A, 97)),
        Dbl("TurnedCropBeyondTheFrameIsStretched", Frame(960, 1280, 0, 0, 1), 5, 0, 340, 250,
            Move(B, 195, A, -136)),
        Dbl("UprightIsNeverScaled", Frame(240, 300, 0, 0, 0), 5, 0, 340, 250, Move(A, 214, B, -97)),
        Dbl("HugeDistanceSaturatesNotWraps", Frame(480, 600, INT32_MIN, INT32_MAX, 0), 4, 0, 0, 0,
            Move(A, 32767, B, -32768)),
        Dbl("NegatedSaturatedAmountStaysInRange", Frame(480, 600, 0, INT32_MAX, 1), 4, 0, 240, 300,
            Move(B, 0, A, 32767)),
        MoveRow{"WorkedDrag", true, kWide, 4, 0, 300, 200, 340, 200, Move(A, -57, B, 0)},
        MoveRow{"DragRotation0", true, kWide, 5, 0, 300, 200, 340, 250, Move(A, -39, B, 48)},
        MoveRow{"DragRotation90", true, kTurned90, 5, 0, 300, 200, 340, 250, Move(B, -39, A, -48)},
        MoveRow{"DragRotation270NoBeep", true, kTurned270, 5, 0, 300, 200, 340, 250,
                Move(B, 39, A, 48)},
        MoveRow{"DragUnknownRotation", true, Frame(480, 600, 0, 0, -1), 5, 0, 300, 200, 340, 250,
                std::nullopt}),
    RowName{});

TEST(FaceCentering, AReleaseUnder2PixelsAwayEachWayIsAClick) {
    EXPECT_TRUE(face::IsClick(300, 200, 301, 201));
    EXPECT_TRUE(face::IsClick(300, 200, 299, 199));
    EXPECT_FALSE(face::IsClick(300, 200, 302, 200));
    EXPECT_FALSE(face::IsClick(300, 200, 300, 198));
    EXPECT_FALSE(face::IsClick(INT32_MIN, 0, INT32_MAX, 0));  // no overflow
}

TEST(FaceCentering, OffsetsForAPointMakeItTheTarget) {
    for (const CenteringFrame& frame : {kWide, CenteringFrame{960, 1280, 0, 0, 1}}) {
        const auto picture =
            face::WindowToPicture(frame.rotation, frame.cropWidth, frame.cropHeight, 412, 134);
        CenteringFrame set = frame;
        std::tie(set.xCenterOffset, set.yCenterOffset) = face::OffsetsForTarget(frame, picture);
        EXPECT_EQ(face::TargetPoint(set), picture);
        const auto move = face::CenteringMove(set, 1.0f, 412, 134);
        ASSERT_TRUE(move);
        EXPECT_EQ(move->writes[0].value, 0);
        EXPECT_EQ(move->writes[1].value, 0);
    }
    EXPECT_EQ(face::OffsetsForTarget(kWide, {412, 134}), (std::pair<int32_t, int32_t>{100, 100}));
}

}  // namespace
