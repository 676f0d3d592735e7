// The simulated camera behind the real device layer, on the virtual clock: the conformance
// suite every backend runs, then the station's own sequences (open, stream set-up, hand-shake,
// focus, model, motion, frames, flash capture) and the faults, which must come back as the
// device layer's failure codes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "device/Camera.h"
#include "platform/driver/DeviceSetting.h"
#include "platform/system/Clock.h"
#include "simulator/SimulatedCamera.h"
#include "tests/device/DeviceConformance.h"
#include "tests/support/RowName.h"

namespace {

ConformanceBackend Simulated(const char* name, const char* setting) {
    return {name, [setting] {
                std::string error;
                return std::unique_ptr<DriverTransport>(CreateSimulatedCamera(setting, error));
            }};
}

INSTANTIATE_TEST_SUITE_P(SimulatedCamera, DeviceConformance,
                         ::testing::Values(Simulated("Model14", "sim:14"),
                                           Simulated("Model2", "sim:2")),
                         RowName{});

// The station's stream set-up at start-up: 640 x 480, 24-bit output, host decoding.
constexpr std::pair<uint32_t, uint32_t> kStreamSetUp[] = {
    {kPropImageWidth, 640}, {kPropImageHeight, 480}, {kPropAreaWidth, 640},  {kPropAreaHeight, 480},
    {kPropRegister31, 0},   {kPropRegister32, 0},    {kPropOutputFormat, 2}, {kPropHostDecoding, 1},
    {kPropQuality, 75},     {kPropStreaming, 1}};

constexpr int kWidth = 640, kHeight = 480;

class SimulatedCameraDevice : public ::testing::Test {
  protected:
    void Start(const char* setting) {
        CloseCamera();
        std::string error;
        camera = CreateSimulatedCamera(setting, error);
        ASSERT_NE(camera, nullptr) << error;
        InstallDriverTransport(camera.get());
        ASSERT_EQ(OpenCamera(), kCameraOk);
    }
    void SetUp() override { Start("sim"); }
    void TearDown() override {
        CloseCamera();
        InstallDriverTransport(nullptr);
    }

    static void ConfigureStream() {
        for (auto [id, value] : kStreamSetUp)
            SetCameraProperty(id, value);
    }
    static void Send(uint16_t code) { SetCameraProperty(kPropCommand, code, 4); }
    static int Live(uint32_t id) {
        uint32_t value = 0;
        EXPECT_EQ(GetCameraProperty(id, &value, 4), kCameraOk);
        return static_cast<int>(value & 0xFFFF);
    }
    // A report: the command, the time the head takes to answer, then the property it lands in.
    static int Ask(uint16_t code, uint32_t id, int answerMs = 100) {
        Send(code);
        sys::Wait(answerMs);
        return Live(id);
    }
    // One 24-bit frame, turned top row first; empty when the read fails.
    static std::vector<uint8_t> Frame() {
        std::vector<uint8_t> bgr(kWidth * kHeight * 3);
        uint32_t returned = 0;
        if (ReadCameraFrame(bgr, &returned) != kCameraOk)
            return {};
        EXPECT_EQ(returned, bgr.size());
        return bgr;
    }
    static const uint8_t* Pixel(const std::vector<uint8_t>& bgr, int x, int y) {
        return bgr.data() + (static_cast<size_t>(kHeight - 1 - y) * kWidth + x) * 3;
    }

    sys::VirtualClock clock;
    sys::ScopedClock scoped{clock};
    std::unique_ptr<SimulatedCamera> camera;
};

TEST_F(SimulatedCameraDevice, OpenAndStreamSetUpLeaveTheCameraProgrammed) {
    // The open's initial programming sent the quality-75 tables: a quarter of the base table.
    const std::vector<uint8_t> tables = camera->PeekBlock(25);
    ASSERT_EQ(tables.size(), 256u);
    EXPECT_EQ(std::vector<uint8_t>(tables.begin(), tables.begin() + 8),
              (std::vector<uint8_t>{8, 0, 5, 0, 6, 0, 7, 0}));
    EXPECT_EQ(camera->PeekBlock(13).size(), 256u) << "the tone curve";
    EXPECT_EQ(Live(kPropSensorMaxWidth), 640);

    ConfigureStream();
    const std::pair<uint16_t, uint16_t> expected[] = {{29, 640}, {30, 480}, {27, 640}, {28, 480},
                                                      {31, 0},   {32, 0},   {10, 16},  {6, 1}};
    for (auto [reg, value] : expected)
        EXPECT_EQ(camera->PeekRegister(reg), value) << "register " << reg;
}

TEST_F(SimulatedCameraDevice, HandshakeFocusAndModelAnswerAsTheStationAsks) {
    EXPECT_EQ(Ask(137, kPropArgB), 175);
    EXPECT_EQ(Ask(170, kPropArgA), 2);
    Send(152);
    sys::Wait(200);
    EXPECT_EQ(Ask(152, kPropArgA, 200), 14);
}

TEST_F(SimulatedCameraDevice, PanAtTheMediumTierForHalfASecondMovesTwoHundredUnits) {
    Send(64);
    sys::Wait(500);
    Send(65);
    EXPECT_EQ(Ask(156, kPropArgA, 250), 200);
    EXPECT_EQ(Live(kPropArgB), 0);
}

TEST_F(SimulatedCameraDevice, FramesArriveAsTheSceneInTheRightPlaceAndColour) {
    ConfigureStream();
    const std::vector<uint8_t> bgr = Frame();
    ASSERT_FALSE(bgr.empty());
    // The white patch of the colour card, world (206, 178) at 0.9756 units per pixel, comes out
    // neutral at 0.69 of full scale through the tone curve the open sent (S = 70: 202).
    const int x = static_cast<int>(320 + 206 / 0.9756), y = static_cast<int>(240 - 178 / 0.9756);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(Pixel(bgr, x, y)[c], 202, 6);
    // The blue patch below its black neighbour's column: B well above R.
    const uint8_t* blue =
        Pixel(bgr, static_cast<int>(320 + 270 / 0.9756), static_cast<int>(240 - 146 / 0.9756));
    EXPECT_GT(blue[0], blue[2] + 60);
}

TEST_F(SimulatedCameraDevice, FlashCaptureFrameHasOneBrightField) {
    ConfigureStream();
    ASSERT_FALSE(Frame().empty());
    // The capture's order: stream off, flash level, raw frames, colour gains, arm, stream on.
    SetCameraProperty(kPropStreaming, 0);
    Send(117);
    SetCameraProperty(kPropHostDecoding, 0);
    sys::Wait(600);
    Send(12);
    SetCameraProperty(kPropArgA, 210);
    Send(142);
    SetCameraProperty(kPropArgB, 155);
    Send(143);
    Send(140);
    sys::Wait(300);
    SetCameraProperty(kPropStreaming, 1);
    sys::Wait(200);
    const std::vector<uint8_t> bgr = Frame();
    ASSERT_FALSE(bgr.empty());
    double even = 0, odd = 0;
    for (int x = 20; x < 120; ++x) {
        even += Pixel(bgr, x, 100)[1];
        odd += Pixel(bgr, x, 101)[1];
    }
    EXPECT_GT(std::abs(odd - even) / 100, 60);
    EXPECT_EQ(camera->FlashesFired(), 1);
}

TEST_F(SimulatedCameraDevice, ZoomPresetsRoundTripThroughDriveAndReport) {
    for (int preset : {7000, 0, 15000, 1234}) {
        SetCameraProperty(kPropArgA, static_cast<uint32_t>(preset));
        Send(157);
        sys::Wait(2500);  // the longest drive, 15000 positions, takes 2 s
        SetCameraProperty(kPropArgA, 0);
        EXPECT_EQ(Ask(155, kPropArgA, 250), preset);
    }
}

// The station's double-click: read the zoom, take the factor of its step, send the truncated
// amounts with 159. On model 8 at zoom 0 (1.4285 units per pixel) the pupil must land within a
// pixel of the target.
TEST_F(SimulatedCameraDevice, RelativeMoveCentresTheFeatureTheStationClickedOn) {
    Start("sim:8");
    ConfigureStream();
    auto pupil = [](const std::vector<uint8_t>& bgr, double gx, double gy) {
        double sx = 0, sy = 0, n = 0;
        for (int y = int(gy) - 4; y <= int(gy) + 4; ++y)
            for (int x = int(gx) - 4; x <= int(gx) + 4; ++x) {
                if (Pixel(bgr, x, y)[1] < 60) {
                    sx += x, sy += y, ++n;
                }
            }
        return std::pair(sx / n, sy / n);
    };
    constexpr double kFactor = 1.4285;
    const auto [px, py] = pupil(Frame(), 320 + 19 / kFactor - 0.5, 240 - 72 / kFactor - 0.5);
    const int clickX = static_cast<int>(std::lround(px)),
              clickY = static_cast<int>(std::lround(py));
    SetCameraProperty(kPropArgA, 0);
    ASSERT_EQ(Ask(155, kPropArgA), 0);
    SetCameraProperty(kPropArgA, static_cast<uint32_t>(static_cast<int>((clickX - 320) * kFactor)));
    SetCameraProperty(kPropArgB, static_cast<uint32_t>(static_cast<int>((240 - clickY) * kFactor)));
    Send(159);
    sys::Wait(500);
    const auto [ax, ay] = pupil(Frame(), 320 + (px - clickX), 240 + (py - clickY));
    EXPECT_NEAR(ax, 320 + (px - clickX), 1.0);
    EXPECT_NEAR(ay, 240 + (py - clickY), 1.0);
}

// Faults come back as failure codes; nothing crashes and nothing leaks (asan preset).
TEST_F(SimulatedCameraDevice, UnpluggedCameraFailsReadsAndCannotBeReopened) {
    Start("sim:14,unplug-after=1s");
    ConfigureStream();
    ASSERT_FALSE(Frame().empty());
    sys::Wait(1000);
    std::vector<uint8_t> bgr(kWidth * kHeight * 3);
    uint32_t returned = 0;
    EXPECT_EQ(ReadCameraFrame(bgr, &returned), kCameraFailed);
    uint8_t word[4] = {};
    EXPECT_EQ(GetCameraProperty(kPropRawFirst + 33, word, 2), kCameraFailed);
    EXPECT_EQ(SetCameraPropertyBlock(kPropRawFirst + 25, std::vector<uint8_t>(256)), kCameraFailed);
    EXPECT_EQ(CloseCamera(), kCameraOk);
    EXPECT_EQ(OpenCamera(), kCameraFailed);
}

// A replugged camera is a new device, found and opened again.
TEST_F(SimulatedCameraDevice, RepluggedCameraOpensAgainFromPowerOn) {
    Start("sim:14,unplug-after=1s,replug-after=2s");
    ConfigureStream();
    ASSERT_FALSE(Frame().empty());
    sys::Wait(1000);
    EXPECT_TRUE(CameraGone());
    std::u16string path;
    EXPECT_EQ(FindCameraDevice(path), 1);
    sys::Wait(2000);
    EXPECT_TRUE(CameraGone()) << "the handle from before the unplug stays dead";
    EXPECT_EQ(CloseCamera(), kCameraOk);
    EXPECT_FALSE(CameraGone());
    EXPECT_EQ(FindCameraDevice(path), 0);
    ASSERT_EQ(OpenCamera(), kCameraOk);
    ConfigureStream();
    EXPECT_FALSE(Frame().empty());
}

struct FrameFault {
    const char* name;
    const char* setting;
    bool everyReadFails;
};

class SimulatedCameraDeviceFaults : public SimulatedCameraDevice,
                                    public ::testing::WithParamInterface<FrameFault> {};

TEST_P(SimulatedCameraDeviceFaults, DamagedFramesAreSurvived) {
    Start(GetParam().setting);
    ConfigureStream();
    std::vector<uint8_t> bgr(kWidth * kHeight * 3);
    int failures = 0;
    for (int i = 0; i < 30; ++i) {
        uint32_t returned = 0;
        const int result = ReadCameraFrame(bgr, &returned);
        ASSERT_TRUE(result == kCameraOk || result == kCameraFailed) << result;
        failures += result == kCameraFailed;
    }
    if (GetParam().everyReadFails) {
        EXPECT_EQ(failures, 30);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SimulatedCamera, SimulatedCameraDeviceFaults,
    ::testing::Values(FrameFault{"Corrupt", "sim:14,corrupt=1,seed=3", false},
                      FrameFault{"Short", "sim:14,short=1,seed=4", false},
                      FrameFault{"Oversize", "sim:14,oversize=1", true},
                      FrameFault{"Mixed", "sim:14,corrupt=0.3,short=0.3,oversize=0.3", false}),
    RowName{});

}  // namespace
