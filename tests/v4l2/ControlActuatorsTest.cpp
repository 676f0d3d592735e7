// The head's actuators on V4L2 controls, over a fake device that is nothing but a control list:
// which control each command chooses, the values sent (tiers, clock, clamping, angles), the
// positions read back, and a camera that refuses values or goes away.
#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <cerrno>
#include <cmath>
#include <string>
#include <vector>

#include "tests/support/RowName.h"
#include "tests/v4l2/FakeV4l2.h"
#include "v4l2/ControlActuators.h"

namespace {

using head::AxisId;
using head::Tier;
using v4l2::ControlInfo;

ControlInfo Ctl(uint32_t id, int64_t min, int64_t max, int64_t step = 1, int64_t def = 0,
                uint32_t flags = 0) {
    return {id,   V4L2_CTRL_TYPE_INTEGER, "control " + std::to_string(id), min, max, step, def,
            flags};
}

// Controls of the kinds of camera people own.
const ControlInfo kPanSpeed = Ctl(V4L2_CID_PAN_SPEED, -24, 24);
const ControlInfo kTiltSpeed = Ctl(V4L2_CID_TILT_SPEED, -24, 24);
const ControlInfo kPanAbs = Ctl(V4L2_CID_PAN_ABSOLUTE, -612000, 612000, 36);
const ControlInfo kTiltAbs = Ctl(V4L2_CID_TILT_ABSOLUTE, -108000, 108000, 36);
const ControlInfo kPanRel =
    Ctl(V4L2_CID_PAN_RELATIVE, -612000, 612000, 1, 0, V4L2_CTRL_FLAG_WRITE_ONLY);
const ControlInfo kTiltRel =
    Ctl(V4L2_CID_TILT_RELATIVE, -216000, 216000, 1, 0, V4L2_CTRL_FLAG_WRITE_ONLY);
const ControlInfo kZoomAbs = Ctl(V4L2_CID_ZOOM_ABSOLUTE, 100, 500, 1, 100);
const ControlInfo kZoomCont = Ctl(V4L2_CID_ZOOM_CONTINUOUS, -7, 7);
const ControlInfo kExposureAuto = Ctl(V4L2_CID_EXPOSURE_AUTO, 1, 3, 1, 3);
const ControlInfo kExposure = Ctl(V4L2_CID_EXPOSURE_ABSOLUTE, 3, 2047, 1, 166);
const ControlInfo kTemperature = Ctl(V4L2_CID_WHITE_BALANCE_TEMPERATURE, 2800, 6500, 10, 4600);
const ControlInfo kRed = Ctl(V4L2_CID_RED_BALANCE, 0, 1023, 1, 512);

// A device made of controls: it lists them, keeps their values and writes down every set.
struct FakeControls : zelvo_test::FakeV4l2 {
    explicit FakeControls(std::vector<ControlInfo> list) { SetControls(std::move(list)); }
};

// ---------------------------------------------------------------------------------------------
// The plan: which control each kind of command takes, and the model number that follows.

struct PlanRow {
    const char* name;
    std::vector<ControlInfo> controls;
    v4l2::RunBy pan;
    v4l2::RunBy zoom;
    bool panPositions;
    uint16_t model;
};

class ControlPlanRows : public testing::TestWithParam<PlanRow> {};

TEST_P(ControlPlanRows, ChoosesTheBestControl) {
    const PlanRow& row = GetParam();
    const v4l2::ControlPlan plan = v4l2::PlanControls(row.controls);
    EXPECT_EQ(plan.pan.run, row.pan);
    EXPECT_EQ(plan.zoom.run, row.zoom);
    EXPECT_EQ(plan.pan.absolute != nullptr, row.panPositions);
    EXPECT_EQ(v4l2::ModelOf(plan), row.model);
}

using enum v4l2::RunBy;
INSTANTIATE_TEST_SUITE_P(
    Cameras, ControlPlanRows,
    testing::Values(PlanRow("SpeedBeforeAbsolute",
                            {kPanAbs, kTiltAbs, kZoomAbs, kZoomCont, kPanSpeed, kTiltSpeed}, kSpeed,
                            kSpeed, true, 14),
                    PlanRow("AbsoluteOnly", {kPanAbs, kTiltAbs, kZoomAbs}, kAbsoluteTargets,
                            kAbsoluteTargets, true, 14),
                    PlanRow("RelativeCountsItsOwnMoves", {kPanRel, kTiltRel, kZoomAbs},
                            kRelativeSteps, kAbsoluteTargets, false, 14),
                    PlanRow("PanWithoutTiltIsZoomOnly", {kPanAbs, kZoomAbs}, kAbsoluteTargets,
                            kAbsoluteTargets, true, 26),
                    PlanRow("PlainWebcam", {kExposure, kTemperature}, kNone, kNone, false, 26)),
    RowName{});

// ---------------------------------------------------------------------------------------------
// Commands carried out: the sets each sequence sends, in order.

struct SendRow {
    const char* name;
    std::vector<ControlInfo> controls;
    void (*act)(v4l2::ControlActuators&);
    std::vector<std::pair<uint32_t, int64_t>> sets;
};

class ControlSends : public testing::TestWithParam<SendRow> {};

TEST_P(ControlSends, TheValuesTheCameraGets) {
    FakeControls device(GetParam().controls);
    v4l2::ControlActuators act(device, 3);
    EXPECT_TRUE(device.sets.empty()) << "opening moves nothing";
    GetParam().act(act);
    EXPECT_EQ(device.sets, GetParam().sets);
}

constexpr int64_t kSecond = 1'000'000;

std::pair<uint32_t, int64_t> Set(const ControlInfo& control, int64_t value) {
    return {control.id, value};
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ControlSends,
    testing::Values(
        SendRow("SpeedTiersKeepTheirRatio", {kPanSpeed, kTiltSpeed, kZoomCont},
                [](v4l2::ControlActuators& a) {
                    for (Tier tier : {Tier::kSlow, Tier::kMedium, Tier::kFast})
                        a.Run(AxisId::kPan, -1, tier, 0);
                    a.StopPanTilt(0);
                    for (Tier tier : {Tier::kSlow, Tier::kMedium, Tier::kFast})
                        a.Run(AxisId::kZoom, +1, tier, 0);
                },
                {Set(kPanSpeed, -2), Set(kPanSpeed, -8), Set(kPanSpeed, -24), Set(kPanSpeed, 0),
                 Set(kTiltSpeed, 0), Set(kZoomCont, 2), Set(kZoomCont, 4), Set(kZoomCont, 7)}),
        // The medium tier crosses 400 of the head's 3400 units a second: 144000 arc seconds.
        SendRow("AbsoluteTargetsAdvanceOnTheClock", {kPanAbs, kTiltAbs},
                [](v4l2::ControlActuators& a) {
                    a.Run(AxisId::kPan, +1, Tier::kMedium, 0);
                    a.Advance(kSecond / 4);
                    a.Advance(kSecond / 4);
                    a.StopPanTilt(kSecond);
                    a.Advance(2 * kSecond);
                },
                {Set(kPanAbs, 36000), Set(kPanAbs, 144000)}),
        // Without absolute controls a unit is taken as 345.9 arc seconds: 60 degrees over 640
        // pixels, at the head lens's 0.9756 units per pixel at the widest zoom.
        SendRow("RelativeStepsFollowTheClock", {kPanRel, kTiltRel},
                [](v4l2::ControlActuators& a) {
                    a.Run(AxisId::kTilt, -1, Tier::kMedium, 0);
                    a.Advance(kSecond / 2);
                    a.StopPanTilt(kSecond);
                },
                {Set(kTiltRel, -69188), Set(kTiltRel, -69188)}),
        SendRow("DrivesClampedToRangeAndStep", {kPanAbs, kTiltAbs, kZoomAbs},
                [](v4l2::ControlActuators& a) {
                    a.DrivePanTilt(1, -600, 0);
                    a.DriveZoom(16000, 0);
                },
                {Set(kPanAbs, 360), Set(kTiltAbs, -108000), Set(kZoomAbs, 500)}),
        SendRow("NudgeIsOneSmallStepFromWhereItIs", {kPanAbs, kTiltAbs},
                [](v4l2::ControlActuators& a) {
                    a.DrivePanTilt(100, 0, 0);
                    a.Nudge(AxisId::kPan, -1, 0);
                },
                {Set(kPanAbs, 36000), Set(kTiltAbs, 0), Set(kPanAbs, 32400)}),
        SendRow("ExposureStepsInManualExposure", {kExposureAuto, kExposure},
                [](v4l2::ControlActuators& a) {
                    a.StepExposure(+1);
                    a.StepExposure(-4);
                },
                {Set(kExposureAuto, V4L2_EXPOSURE_MANUAL), Set(kExposure, 197),
                 Set(kExposure, 99)}),
        SendRow("TemperatureFollowsRedMinusBlue", {kTemperature},
                [](v4l2::ControlActuators& a) {
                    a.SetRedGain(128 + 51);
                    a.SetBlueGain(128 + 51);
                },
                {Set(kTemperature, 4970), Set(kTemperature, 4600)})),
    RowName{});

// ---------------------------------------------------------------------------------------------
// Positions and the relative move.

TEST(ControlPositions, AbsoluteMappedLinearlyElseCounted) {
    FakeControls device({kPanAbs, kTiltAbs, kZoomAbs});
    v4l2::ControlActuators act(device, 3);
    device.values[V4L2_CID_PAN_ABSOLUTE] = 306000;
    device.values[V4L2_CID_TILT_ABSOLUTE] = -108000;
    device.values[V4L2_CID_ZOOM_ABSOLUTE] = 300;
    EXPECT_EQ(act.Position(AxisId::kPan, 0), 850);
    EXPECT_EQ(act.Position(AxisId::kTilt, 0), -500);
    EXPECT_EQ(act.Position(AxisId::kZoom, 0), 7500);

    FakeControls speedOnly({kPanSpeed, kTiltSpeed});
    v4l2::ControlActuators counted(speedOnly, 3);
    counted.Run(AxisId::kPan, +1, Tier::kFast, 0);
    counted.StopPanTilt(kSecond / 2);
    EXPECT_EQ(counted.Position(AxisId::kPan, kSecond), 600);
    counted.DrivePanTilt(0, 0, kSecond);  // runs back until its count says it is there
    counted.Advance(kSecond + kSecond / 2);
    EXPECT_EQ(speedOnly.sets.back(), std::make_pair(uint32_t{V4L2_CID_PAN_SPEED}, int64_t{0}));
    EXPECT_EQ(counted.Position(AxisId::kPan, 2 * kSecond), 0);
}

// A distance in the picture, in head units through the head's lens, turns the camera by that
// share of its field of view: 60 degrees wide, a fifth of it at five times the focal length.
TEST(ControlPositions, RelativeMoveTurnsThroughTheFieldOfView) {
    const struct {
        int64_t zoom;
        int units;  // 160 and 320 pixels
        double degrees;
    } rows[] = {{100, 156, 15.0}, {500, 31, 6.0}};
    for (const auto& row : rows)
        for (bool relative : {false, true}) {
            FakeControls device(relative ? std::vector{kPanRel, kTiltRel, kZoomAbs}
                                         : std::vector{kPanAbs, kTiltAbs, kZoomAbs});
            v4l2::ControlActuators act(device, 3);
            device.values[V4L2_CID_ZOOM_ABSOLUTE] = row.zoom;
            act.MoveRelative(row.units, -row.units, 0);
            ASSERT_EQ(device.sets.size(), 2u);
            const double arcsec = row.degrees * 3600;
            const double tolerance = arcsec * 0.01;  // a unit of rounding in the head's amount
            EXPECT_NEAR(device.sets[0].second, arcsec, tolerance) << row.zoom << relative;
            EXPECT_NEAR(device.sets[1].second, -arcsec, tolerance) << row.zoom << relative;
        }
}

// Gains read and written back, as the Flesh Tones page does when it turns to manual, leave the
// camera where it was, through balance controls or the colour temperature alike.
TEST(ControlGains, ReadAndWrittenBackKeepThePicture) {
    for (const auto& [control, value] : {std::pair{kRed, 700}, std::pair{kTemperature, 5340}}) {
        FakeControls device({control});
        v4l2::ControlActuators act(device, 3);
        device.values[control.id] = value;
        const int red = act.RedGain();
        const int blue = act.BlueGain();
        act.SetRedGain(red);
        act.SetBlueGain(blue);
        EXPECT_NEAR(device.values[control.id], value, 10) << control.name;
    }
}

// ---------------------------------------------------------------------------------------------
// A camera that refuses a value carries on; one that is gone gets no further calls.

TEST(ControlFaults, RefusedValuesLeaveTheHeadRunningUnpluggedStopsCalls) {
    FakeControls device({kPanSpeed, kTiltSpeed, kRed});
    v4l2::ControlActuators act(device, 3);
    device.refuse[V4L2_CID_PAN_SPEED] = ERANGE;
    act.Run(AxisId::kPan, +1, Tier::kFast, 0);
    act.Run(AxisId::kTilt, +1, Tier::kFast, 0);
    EXPECT_FALSE(act.Unplugged());
    EXPECT_EQ(device.sets.size(), 1u) << "the tilt still runs";

    device.refuse[V4L2_CID_TILT_SPEED] = ENODEV;
    act.StopPanTilt(kSecond);
    EXPECT_TRUE(act.Unplugged());
    const int calls = device.ioctls;
    act.Run(AxisId::kTilt, -1, Tier::kSlow, kSecond);
    act.SetRedGain(100);
    EXPECT_EQ(act.Position(AxisId::kTilt, kSecond), 500);
    EXPECT_EQ(device.ioctls, calls);
}

}  // namespace
