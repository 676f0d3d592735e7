// Steering by hand on the recording driver alone: the speed tiers, the keys under rotation and
// reversal and the signed positions as tables; then scripted runs of the hold-to-move machine
// (keys, picture buttons, Shift and Control), each the whole ordered head record with its waits
// and what the operator is shown; Home and the position read.
#include <gtest/gtest.h>

#include <functional>

#include "control/Steering.h"
#include "tests/control/HeadFixture.h"
#include "tests/support/RowName.h"

namespace {

using control_test::Lines;

// --- tables ----------------------------------------------------------------------------------

struct TierRow {
    const char* name;
    int speed;
    int cameraType;
    Motion motion;
    int code;  // -1: nothing is sent
};

class SpeedTierTable : public testing::TestWithParam<TierRow> {};

TEST_P(SpeedTierTable, CodeOfAMotionStartedWithoutModifier) {
    const TierRow& row = GetParam();
    const bool zoom = row.motion == Motion::kZoomIn || row.motion == Motion::kZoomOut;
    const SpeedTier tier = zoom ? ZoomTier(row.speed) : PanTiltTier(row.speed, row.cameraType);
    const auto code = MotionCode(row.motion, tier);
    EXPECT_EQ(code ? int{*code} : -1, row.code);
}

INSTANTIATE_TEST_SUITE_P(
    Steering, SpeedTierTable,
    testing::Values(TierRow{"SlowClass1", 0, 1, Motion::kTiltUp, 69},
                    TierRow{"SlowClass5", 0, 5, Motion::kPanRight, 74},
                    TierRow{"MedClass3SendsNothing", 1, 3, Motion::kTiltUp, -1},
                    TierRow{"MedClass4", 1, 4, Motion::kTiltUp, 61},
                    TierRow{"FastClass1IsMedium", 2, 1, Motion::kPanLeft, 63},
                    TierRow{"FastClass3SendsNothing", 2, 3, Motion::kPanRight, -1},
                    TierRow{"FastClass5", 2, 5, Motion::kPanRight, 76},
                    TierRow{"StoredSpeed7IsMed", 7, 4, Motion::kTiltDown, 62},
                    TierRow{"ZoomMedOnClass3", 1, 3, Motion::kZoomOut, 2},
                    TierRow{"ZoomFast", 2, 1, Motion::kZoomOut, 24},
                    TierRow{"ZoomStoredSpeed7IsMed", 7, 5, Motion::kZoomIn, 1}),
    RowName{});

struct KeyRow {
    const char* name;
    ArrowKey key;
    int rotation;
    bool tiltReverse;
    bool panReverse;
    Motion motion;
};

class KeyDirectionTable : public testing::TestWithParam<KeyRow> {};

TEST_P(KeyDirectionTable, KeyTurnsWithThePictureThenFollowsItsOwnReverse) {
    const KeyRow& row = GetParam();
    EXPECT_EQ(KeyMotion(row.key, row.rotation, row.tiltReverse, row.panReverse), row.motion);
}

INSTANTIATE_TEST_SUITE_P(
    Steering, KeyDirectionTable,
    testing::Values(
        KeyRow{"Upright_Up", ArrowKey::kUp, 0, false, false, Motion::kTiltUp},
        KeyRow{"Upright_DownTiltReversed", ArrowKey::kDown, 0, true, false, Motion::kTiltUp},
        KeyRow{"Upright_RightPanReversed", ArrowKey::kRight, 0, false, true, Motion::kPanLeft},
        KeyRow{"Turned90_Up", ArrowKey::kUp, 1, false, false, Motion::kPanLeft},
        // The key's own reverse flag, whatever axis the rotation gave.
        KeyRow{"Turned90_UpTiltReversedPansRight", ArrowKey::kUp, 1, true, false,
               Motion::kPanRight},
        KeyRow{"Turned90_LeftPanReversedTiltsUp", ArrowKey::kLeft, 1, false, true, Motion::kTiltUp},
        KeyRow{"Turned270_Up", ArrowKey::kUp, 2, false, false, Motion::kPanRight},
        KeyRow{"Turned270_Down", ArrowKey::kDown, 2, false, false, Motion::kPanLeft},
        KeyRow{"Turned270_RightBothReversed", ArrowKey::kRight, 2, true, true, Motion::kTiltUp},
        KeyRow{"UnknownRotation", ArrowKey::kUp, 3, false, false, Motion::kNone}),
    RowName{});

TEST(SignedPositions, ReadingsAbove20000AreNegative) {
    const struct {
        uint16_t reading;
        int32_t position;
    } rows[] = {{0, 0}, {20000, 20000}, {20001, -45535}, {65436, -100}, {65535, -1}};
    for (const auto& row : rows)
        EXPECT_EQ(SignedPosition(row.reading), row.position) << row.reading;
}

// The keys look at Shift first, the picture buttons at Control first.
TEST(HeldTier, ShiftSlowControlFastAndTheFirstLookedAtDecidesWhenBothAreHeld) {
    using F = FirstModifier;
    using T = SpeedTier;
    struct Row {
        bool shift, control;
        F first;
        T tier;
    };
    for (const Row& r : {Row{false, false, F::kShift, T::kMedium},
                         {true, false, F::kControl, T::kSlow},
                         {false, true, F::kShift, T::kFast},
                         {true, true, F::kShift, T::kSlow},
                         {true, true, F::kControl, T::kFast}}) {
        EXPECT_EQ(HeldTier(T::kMedium, r.shift, r.control, r.first), r.tier)
            << r.shift << r.control << static_cast<int>(r.first);
    }
}

// --- the machine -----------------------------------------------------------------------------

// The station's side of a run: its motion state, its settings and what it was asked to show.
struct Station {
    MotionState state;
    SteeringContext context;
    std::vector<SteeringAction> shown;

    void Show(SteeringAction action) {
        if (action != SteeringAction::kNone)
            shown.push_back(action);
    }
    Steering Machine() { return Steering(state, context); }
};

using Step = std::function<void(Station&)>;
using K = SteeringKey;
using B = SteeringButton;
using A = SteeringAction;

Step Down(K key, int times = 1) {
    return [key, times](Station& s) {
        for (int i = 0; i < times; ++i)
            s.Show(s.Machine().KeyDown(key));
    };
}
Step Up(K key) {
    return [key](Station& s) { s.Show(s.Machine().KeyUp(key)); };
}
Step Pointer(B button, PointerEvent event, bool handled = true) {
    return [button, event, handled](Station& s) {
        const auto result = s.Machine().Pointer(button, event);
        EXPECT_EQ(result.handled, handled);
        s.Show(result.action);
    };
}
Step Press(B button) {
    return Pointer(button, PointerEvent::kLeftDown);
}
Step ReleaseOver(B button) {
    return Pointer(button, PointerEvent::kMove, button != B::kNone && button != B::kHome);
}

// The four steps of a held key or its press and three repeats, each "command `code` @ `ms` ms".
Lines Nudges(int code, int ms = 0) {
    return Lines(4, "command " + std::to_string(code) + " @ " + std::to_string(ms) + " ms");
}
Lines operator+(Lines first, const Lines& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

struct Scenario {
    const char* name;
    SteeringContext context;
    int nudgeCount;  // small steps already made
    std::vector<Step> steps;
    Lines record;
    std::vector<A> shown;
};
Scenario Row(const char* name, SteeringContext context, std::vector<Step> steps, Lines record,
             std::vector<A> shown = {}, int nudgeCount = 0) {
    return {name, context, nudgeCount, std::move(steps), std::move(record), std::move(shown)};
}

class Run : public control_test::HeadFixture, public testing::WithParamInterface<Scenario> {};

TEST_P(Run, WholeRecordAndWhatIsShown) {
    const Scenario& scenario = GetParam();
    Station station;
    station.context = scenario.context;
    station.state.m_NudgeCount = scenario.nudgeCount;
    for (const Step& step : scenario.steps)
        step(station);
    EXPECT_EQ(Record(), scenario.record);
    EXPECT_EQ(station.shown, scenario.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Steering, Run,
    testing::Values(
        // The press and three repeats step; the fifth key-down moves; more repeats change
        // nothing; the release of Up takes the focus to the tilt-up button.
        Row("HeldUpClass4Med", {.cameraType = 4}, {Down(K::kUp, 7), Up(K::kUp)},
            Nudges(161) + Lines{"command 61 @ 250 ms", "command 65 @ 335 ms"}, {A::kFocusTiltUp}),
        // The zoom-only camera takes steps but no pan or tilt at Med; Shift still sends slow.
        Row("Class3", {.cameraType = 3},
            {Down(K::kLeft, 6), Up(K::kLeft), Press(B::kTiltUp), ReleaseOver(B::kTiltUp),
             Down(K::kShift), Down(K::kDown, 5), Up(K::kShift), Up(K::kDown)},
            Nudges(164) + Lines{"command 65 @ 85 ms", "command 65 @ 160 ms"} + Nudges(162, 160) +
                Lines{"command 70 @ 160 ms", "command 62 @ 160 ms", "command 65 @ 245 ms"}),
        Row("Class1NoStepsSlowAtMedNoWaitBeforeUp", {.cameraType = 1},
            {Down(K::kUp, 2), Up(K::kUp), Down(K::kRight), Up(K::kRight)},
            {"command 69 @ 0 ms", "command 65 @ 85 ms", "command 74 @ 85 ms",
             "command 65 @ 170 ms"},
            {A::kFocusTiltUp}),
        Row("KeypadZoomWithShiftAndControl", {.cameraType = 5},
            {Down(K::kShift), Down(K::kZoomIn), Up(K::kShift), Down(K::kControl), Down(K::kZoomIn),
             Up(K::kControl), Up(K::kZoomIn), Down(K::kZoomOut), Up(K::kZoomOut), Down(K::kControl),
             Down(K::kZoomOut), Up(K::kZoomOut), Up(K::kControl)},
            {"command 21 @ 0 ms", "command 1 @ 0 ms", "command 23 @ 0 ms", "command 1 @ 0 ms",
             "command 3 @ 85 ms", "command 2 @ 85 ms", "command 3 @ 170 ms", "command 24 @ 170 ms",
             "command 3 @ 255 ms"}),
        Row("ZoomLockedKeypadAndBothButtons", {.cameraType = 5, .zoomLocked = true},
            {Down(K::kZoomIn), Press(B::kZoomIn), Press(B::kZoomOut)}, {},
            {A::kZoomLocked, A::kZoomLocked, A::kZoomLocked}),
        Row("ZoomButtonsByModifierAndSpeed", {.ptzSpeed = 0, .cameraType = 5},
            {Press(B::kZoomIn), ReleaseOver(B::kZoomIn), Down(K::kControl), Down(K::kShift),
             Press(B::kZoomOut), ReleaseOver(B::kZoomOut)},
            {"command 21 @ 0 ms", "command 3 @ 75 ms", "command 24 @ 75 ms", "command 3 @ 150 ms"}),
        // A motion keeps its axis and sense when Shift or Control retune it, and when they are
        // let go, under rotation and reversal.
        Row("RetuneKeepsTheTurnedDirection", {.rotationAngle = 1, .cameraType = 5},
            {Down(K::kUp, 5), Down(K::kShift), Up(K::kShift), Up(K::kUp)},
            Nudges(164) + Lines{"command 63 @ 250 ms", "command 73 @ 250 ms", "command 63 @ 250 ms",
                                "command 65 @ 335 ms"},
            {A::kFocusTiltUp}),
        Row("RetuneKeepsTheReversedButtonDirection", {.tiltReverse = true, .cameraType = 5},
            {Press(B::kTiltUp), Down(K::kControl), Up(K::kControl), ReleaseOver(B::kTiltUp)},
            {"command 62 @ 0 ms", "command 72 @ 0 ms", "command 62 @ 0 ms", "command 65 @ 75 ms"}),
        // Releasing Control looks at right before left.
        Row("ControlReleaseLooksRightBeforeLeft", {.cameraType = 5},
            {Down(K::kLeft), Down(K::kRight), Down(K::kControl), Up(K::kControl)},
            {"command 63 @ 0 ms", "command 64 @ 0 ms", "command 75 @ 0 ms", "command 64 @ 0 ms"},
            {}, 4),
        // A button let go away from itself stops the camera and forgets its motion, so a later
        // Shift starts nothing.
        Row("ButtonLetGoElsewhereThenShift", {.cameraType = 5},
            {Press(B::kPanRight), ReleaseOver(B::kNone), Down(K::kShift)},
            {"command 64 @ 0 ms", "command 3 @ 0 ms", "command 65 @ 100 ms"}),
        Row("RightClickOnHomeWhileMovingOnlyStops", {.cameraType = 5},
            {Press(B::kTiltDown), Pointer(B::kHome, PointerEvent::kRightDown, false),
             Pointer(B::kHome, PointerEvent::kRightDown)},
            {"command 62 @ 0 ms", "command 3 @ 0 ms", "command 65 @ 100 ms"}, {A::kSavePosition}),
        // The keyboard gone to another window: everything held stops and is forgotten; the
        // next press starts afresh with its steps.
        Row("StopAllForgetsTheHeldKeys", {.cameraType = 5},
            {Down(K::kLeft), Down(K::kZoomOut), Down(K::kShift),
             [](Station& s) { s.Machine().StopAll(); }, Down(K::kRight)},
            {"command 63 @ 0 ms", "command 2 @ 0 ms", "command 73 @ 0 ms", "command 3 @ 0 ms",
             "command 65 @ 100 ms", "command 163 @ 100 ms"},
            {}, 4)),
    RowName{});

// A held arrow's four steps go the way the motion after them goes: turned with the picture and
// reversed by the key's own setting.
struct HeldArrowRow {
    const char* name;
    K key;
    int rotation;
    bool tiltReverse;
    bool panReverse;
    int nudge;
    int slow;
};

class HeldArrow : public control_test::HeadFixture,
                  public testing::WithParamInterface<HeldArrowRow> {};

TEST_P(HeldArrow, StepsThenMovesOneWay) {
    const HeldArrowRow& row = GetParam();
    Station station;
    station.context = {row.rotation, row.tiltReverse, row.panReverse, 0, 4, false};
    Down(row.key, 5)(station);
    EXPECT_EQ(Record(),
              Nudges(row.nudge) + Lines{"command " + std::to_string(row.slow) + " @ 0 ms"});
}

INSTANTIATE_TEST_SUITE_P(
    Steering, HeldArrow,
    testing::Values(HeldArrowRow{"UprightUpTiltReversed", K::kUp, 0, true, false, 162, 70},
                    HeldArrowRow{"Turned90Up", K::kUp, 1, false, false, 164, 73},
                    HeldArrowRow{"Turned90UpTiltReversed", K::kUp, 1, true, false, 163, 74},
                    HeldArrowRow{"Turned90RightPanReversed", K::kRight, 1, false, true, 162, 70},
                    HeldArrowRow{"Turned270Left", K::kLeft, 2, false, false, 161, 69},
                    HeldArrowRow{"Turned270DownBothReversed", K::kDown, 2, true, true, 163, 74}),
    RowName{});

// --- Home ------------------------------------------------------------------------------------

using Home = control_test::HeadFixture;

TEST_F(Home, DrivesPanTiltThenZoom) {
    camera_seq::DrivePanTiltZoom(-100, 250, 4000);
    EXPECT_EQ(Record(), (Lines{"A = 65436 @ 0 ms", "B = 250 @ 0 ms", "command 160 @ 0 ms",
                               "A = 4000 @ 200 ms", "command 157 @ 200 ms"}));
}

TEST_F(Home, PositionReadIsSignedAndAFailedReadIsNothing) {
    Answer(156, 20000);
    Answer(156, 65436, true);
    Answer(155, 1234);
    const camera_seq::PanTiltZoomReading reading = camera_seq::ReadPanTiltZoom();
    EXPECT_EQ(reading.pan, 20000);
    EXPECT_EQ(reading.tilt, -100);
    EXPECT_EQ(reading.zoom, 1234);
    EXPECT_EQ(Record(), (Lines{"command 156 @ 0 ms", "read A @ 250 ms", "read B @ 250 ms",
                               "command 155 @ 250 ms", "read A @ 500 ms"}));

    driver_.FailEveryRequest(true);
    const camera_seq::PanTiltZoomReading none = camera_seq::ReadPanTiltZoom();
    EXPECT_FALSE(none.pan || none.tilt || none.zoom);
}

}  // namespace
