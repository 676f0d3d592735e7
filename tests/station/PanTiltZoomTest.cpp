// Steering the camera: the speed tiers, the keys under rotation and reversal and the signed
// positions as tables; then scripted transcripts of keys, picture buttons, Home, Save PTZ
// Position and the presets, each the whole ordered record with its waits.
#include <gtest/gtest.h>

#include <QRadioButton>
#include <QTest>
#include <functional>

#include "station/ControlIds.h"
#include "station/PanTiltZoom.h"
#include "tests/station/HeadRecord.h"

namespace {

using station_test::Lines;
using station_test::ScriptedStation;
using ui::MouseMessage;

template <class Row>
std::string RowName(const testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

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
    PanTiltZoom, SpeedTierTable,
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
    RowName<TierRow>);

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
    PanTiltZoom, KeyDirectionTable,
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
    RowName<KeyRow>);

TEST(SignedPositions, ReadingsAbove20000AreNegative) {
    const struct {
        uint16_t reading;
        int32_t position;
    } rows[] = {{0, 0}, {20000, 20000}, {20001, -45535}, {65436, -100}, {65535, -1}};
    for (const auto& row : rows)
        EXPECT_EQ(SignedPosition(row.reading), row.position) << row.reading;
}

// --- transcripts -----------------------------------------------------------------------------

// One thing the operator does, as the window system hands it to the dialog.
using Step = std::function<void(CTRIPOD01Dlg&)>;

Step Down(int key, int times = 1) {
    return [key, times](CTRIPOD01Dlg& dlg) {
        for (int i = 0; i < times; ++i)
            EXPECT_TRUE(dlg.PreTranslateMessage({ui::KeyMessage::kKeyDown, key}) ||
                        key == ui::kVkShift || key == ui::kVkControl);
    };
}
Step Up(int key) {
    return [key](CTRIPOD01Dlg& dlg) { dlg.PreTranslateMessage({ui::KeyMessage::kKeyUp, key}); };
}
Step Pointer(int id, MouseMessage message) {
    return [id, message](CTRIPOD01Dlg& dlg) { dlg.OnSetCursor(id, message); };
}
Step Press(int id) {
    return Pointer(id, MouseMessage::kLeftButtonDown);
}
Step ReleaseOver(int id) {
    return Pointer(id, MouseMessage::kMouseMove);
}
Step Click(int id) {
    return [id](CTRIPOD01Dlg& dlg) { QTest::mouseClick(dlg.GetDlgItem(id), Qt::LeftButton); };
}

struct Scenario {
    const char* name;
    uint16_t model;  // 2 class 1, 26 class 3, 8 class 4, 14 class 5
    std::function<void(CTRIPOD01Dlg&)> settings;
    std::vector<Step> steps;
    Lines record;
    Lines messages = {};
};

void Defaults(CTRIPOD01Dlg&) {}

class Transcript : public ScriptedStation, public testing::WithParamInterface<Scenario> {};

TEST_P(Transcript, WholeRecord) {
    const Scenario& scenario = GetParam();
    CTRIPOD01Dlg& dlg = StartOn(scenario.model);
    scenario.settings(dlg);
    for (const Step& step : scenario.steps)
        step(dlg);
    EXPECT_EQ(Record(), scenario.record);
    EXPECT_EQ(services_.Messages(), scenario.messages);
}

using namespace ui;  // key codes

INSTANTIATE_TEST_SUITE_P(
    PanTiltZoom, Transcript,
    testing::Values(
        Scenario{"HeldUpClass4Med",
                 8,
                 Defaults,
                 // the press and three repeats step; the fifth key-down moves; more repeats
                 // change nothing
                 {Down(kVkUp, 7), Up(kVkUp)},
                 {"command 161 @ 0 ms", "command 161 @ 0 ms", "command 161 @ 0 ms",
                  "command 161 @ 0 ms", "command 61 @ 250 ms", "command 65 @ 335 ms"}},
        // The zoom-only camera takes steps but no pan or tilt at Med; Shift still sends slow.
        Scenario{
            "Class3",
            26,
            Defaults,
            {Down(kVkLeft, 6), Up(kVkLeft), Press(ids::kTiltUp), ReleaseOver(ids::kTiltUp),
             Down(kVkShift), Down(kVkDown, 5), Up(kVkShift), Up(kVkDown)},
            {"command 164 @ 0 ms", "command 164 @ 0 ms", "command 164 @ 0 ms", "command 164 @ 0 ms",
             "command 65 @ 85 ms", "command 65 @ 160 ms", "command 162 @ 160 ms",
             "command 162 @ 160 ms", "command 162 @ 160 ms", "command 162 @ 160 ms",
             "command 70 @ 160 ms", "command 62 @ 160 ms", "command 65 @ 245 ms"}},
        Scenario{"Class1NoStepsSlowAtMedNoWaitBeforeUp",
                 2,
                 Defaults,
                 {Down(kVkUp, 2), Up(kVkUp), Down(kVkRight), Up(kVkRight)},
                 {"command 69 @ 0 ms", "command 65 @ 85 ms", "command 74 @ 85 ms",
                  "command 65 @ 170 ms"}},
        Scenario{"KeypadZoomWithShiftAndControl",
                 14,
                 Defaults,
                 {Down(kVkShift), Down(kVkAdd), Up(kVkShift), Down(kVkControl), Down(kVkAdd),
                  Up(kVkControl), Up(kVkAdd), Down(kVkSubtract), Up(kVkSubtract), Down(kVkControl),
                  Down(kVkSubtract), Up(kVkSubtract), Up(kVkControl)},
                 {"command 21 @ 0 ms", "command 1 @ 0 ms", "command 23 @ 0 ms", "command 1 @ 0 ms",
                  "command 3 @ 85 ms", "command 2 @ 85 ms", "command 3 @ 170 ms",
                  "command 24 @ 170 ms", "command 3 @ 255 ms"}},
        Scenario{"ZoomLockedKeypadAndBothButtons",
                 14,
                 [](CTRIPOD01Dlg& dlg) { dlg.m_LockZoom = 1; },
                 {Down(kVkAdd), Press(ids::kZoomIn), Press(ids::kZoomOut)},
                 {},
                 {"Zoom Locked: Zoom is locked, See administrator",
                  "Zoom Locked: Zoom is locked, See administrator",
                  "Zoom Locked: Zoom is locked. See administrator."}},
        Scenario{
            "ZoomButtonsByModifierAndSpeed",
            14,
            [](CTRIPOD01Dlg& dlg) { dlg.m_PTZSpeed = 0; },
            {Press(ids::kZoomIn), ReleaseOver(ids::kZoomIn), Down(kVkControl), Down(kVkShift),
             Press(ids::kZoomOut), ReleaseOver(ids::kZoomOut)},
            {"command 21 @ 0 ms", "command 3 @ 75 ms", "command 24 @ 75 ms", "command 3 @ 150 ms"}},
        // A motion keeps its axis and sense when Shift or Control retune it, and when they are
        // let go, under rotation and reversal.
        Scenario{"RetuneKeepsTheTurnedDirection",
                 14,
                 [](CTRIPOD01Dlg& dlg) { dlg.m_RotationAngle = 1; },
                 {Down(kVkUp, 5), Down(kVkShift), Up(kVkShift), Up(kVkUp)},
                 {"command 164 @ 0 ms", "command 164 @ 0 ms", "command 164 @ 0 ms",
                  "command 164 @ 0 ms", "command 63 @ 250 ms", "command 73 @ 250 ms",
                  "command 63 @ 250 ms", "command 65 @ 335 ms"}},
        Scenario{
            "RetuneKeepsTheReversedButtonDirection",
            14,
            [](CTRIPOD01Dlg& dlg) { dlg.m_TiltReverse = 1; },
            {Press(ids::kTiltUp), Down(kVkControl), Up(kVkControl), ReleaseOver(ids::kTiltUp)},
            {"command 62 @ 0 ms", "command 72 @ 0 ms", "command 62 @ 0 ms", "command 65 @ 75 ms"}},
        // Releasing Control looks at right before left.
        Scenario{
            "ControlReleaseLooksRightBeforeLeft",
            14,
            [](CTRIPOD01Dlg& dlg) { dlg.m_NudgeCount = 4; },
            {Down(kVkLeft), Down(kVkRight), Down(kVkControl), Up(kVkControl)},
            {"command 63 @ 0 ms", "command 64 @ 0 ms", "command 75 @ 0 ms", "command 64 @ 0 ms"}},
        // A button let go away from itself stops the camera and forgets its motion, so a later
        // Shift starts nothing.
        Scenario{"ButtonLetGoElsewhereThenShift",
                 14,
                 Defaults,
                 {Press(ids::kPanRight), ReleaseOver(0), Down(kVkShift)},
                 {"command 64 @ 0 ms", "command 3 @ 0 ms", "command 65 @ 100 ms"}},
        Scenario{"RightClickOnHomeWhileMovingOnlyStops",
                 14,
                 Defaults,
                 {Press(ids::kTiltDown), Pointer(ids::kHome, MouseMessage::kRightButtonDown)},
                 {"command 62 @ 0 ms", "command 3 @ 0 ms", "command 65 @ 100 ms"}},
        Scenario{"HomeDrivesPanTiltThenZoom",
                 14,
                 [](CTRIPOD01Dlg& dlg) {
                     dlg.m_PanSetting = -100;
                     dlg.m_TiltSetting = 250;
                     dlg.m_ZoomSetting = 4000;
                 },
                 {Click(ids::kHome)},
                 {"A = 65436 @ 0 ms", "B = 250 @ 0 ms", "command 160 @ 0 ms", "A = 4000 @ 200 ms",
                  "command 157 @ 200 ms"}},
        Scenario{"PresetsDriveTheZoom",
                 14,
                 [](CTRIPOD01Dlg& dlg) {
                     dlg.m_ZoomPreset1 = 1000;
                     dlg.m_ZoomPreset2 = 2000;
                     dlg.m_ZoomPreset3 = 3000;
                 },
                 {Click(ids::kPreset3), Click(ids::kPreset1), Click(ids::kPreset2),
                  Click(ids::kManualZoom)},
                 {"A = 3000 @ 0 ms", "command 157 @ 0 ms", "A = 1000 @ 0 ms", "command 157 @ 0 ms",
                  "A = 2000 @ 0 ms", "command 157 @ 0 ms"}}),
    RowName<Scenario>);

// A held arrow's four steps go the way the motion after them goes: turned with the picture and
// reversed by the key's own setting.
struct HeldArrowRow {
    const char* name;
    int key;
    int rotation;
    bool tiltReverse;
    bool panReverse;
    int nudge;
    int slow;
};

class HeldArrow : public ScriptedStation, public testing::WithParamInterface<HeldArrowRow> {};

TEST_P(HeldArrow, StepsThenMovesOneWay) {
    const HeldArrowRow& row = GetParam();
    CTRIPOD01Dlg& dlg = StartOn(8);
    dlg.m_PTZSpeed = 0;
    dlg.m_RotationAngle = row.rotation;
    dlg.m_TiltReverse = row.tiltReverse;
    dlg.m_PanReverse = row.panReverse;
    Down(row.key, 5)(dlg);
    const std::string step = "command " + std::to_string(row.nudge) + " @ 0 ms";
    EXPECT_EQ(Record(),
              (Lines{step, step, step, step, "command " + std::to_string(row.slow) + " @ 0 ms"}));
}

INSTANTIATE_TEST_SUITE_P(
    PanTiltZoom, HeldArrow,
    testing::Values(HeldArrowRow{"UprightUpTiltReversed", kVkUp, 0, true, false, 162, 70},
                    HeldArrowRow{"Turned90Up", kVkUp, 1, false, false, 164, 73},
                    HeldArrowRow{"Turned90UpTiltReversed", kVkUp, 1, true, false, 163, 74},
                    HeldArrowRow{"Turned90RightPanReversed", kVkRight, 1, false, true, 162, 70},
                    HeldArrowRow{"Turned270Left", kVkLeft, 2, false, false, 161, 69},
                    HeldArrowRow{"Turned270DownBothReversed", kVkDown, 2, true, true, 163, 74}),
    RowName<HeldArrowRow>);

TEST_F(ScriptedStation, SavePTZPositionAsksThenTakesTheSignedPosition) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    AnswerPanTilt(20000, 65436);
    script_.zoomPosition = 1234;
    EXPECT_TRUE(dlg.OnSetCursor(ids::kHome, MouseMessage::kRightButtonDown));
    EXPECT_EQ(services_.Messages(), Lines{"Save PTZ Position: Save PTZ Position"});
    EXPECT_EQ(Record(), (Lines{"command 156 @ 0 ms", "read A @ 250 ms", "read B @ 250 ms",
                               "command 155 @ 250 ms", "read A @ 500 ms"}));
    EXPECT_EQ(dlg.m_PanSetting, 20000);
    EXPECT_EQ(dlg.m_TiltSetting, -100);
    EXPECT_EQ(dlg.m_ZoomSetting, 1234);

    // An unplugged camera answers nothing: Home stays where it was.
    driver_.FailEveryRequest(true);
    dlg.SavePTZPosition();
    EXPECT_EQ(dlg.m_PanSetting, 20000);
    EXPECT_EQ(dlg.m_TiltSetting, -100);
    EXPECT_EQ(dlg.m_ZoomSetting, 1234);
}

}  // namespace

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
