// Frames of the simulated camera: pacing on the clock, the camera's JPEG form byte for byte,
// the scene where the optics put it (decoded by the station's decoder), the picture controls,
// the flash field, and the injected faults.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "platform/driver/DeviceSetting.h"
#include "platform/system/Clock.h"
#include "simulator/Scene.h"
#include "simulator/SimulatedCamera.h"
#include "tests/simulator/SimulatorHost.h"
#include "tests/support/RowName.h"

using simtest::CameraOnClock;
using simtest::Host;
using simtest::Picture;

namespace {

// Luminance as the eye weighs it.
double Luma(const uint8_t* p) {
    return 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
}

// Where a world point appears at the home position (pan 0, tilt 0) of a 640 x 480 picture.
struct PixelPoint {
    double x, y;
};
PixelPoint Project(double wx, double wy, double unitsPerPixel, double pan = 0, double tilt = 0) {
    return {320 + (wx - pan) / unitsPerPixel - 0.5, 240 - (wy - tilt) / unitsPerPixel - 0.5};
}

// Centroid of the dark pixels (a pupil) within `half` pixels of a guess.
PixelPoint DarkCentroid(const Picture& p, PixelPoint guess, int half) {
    double sx = 0, sy = 0, n = 0;
    for (int y = int(guess.y) - half; y <= int(guess.y) + half; ++y)
        for (int x = int(guess.x) - half; x <= int(guess.x) + half; ++x) {
            if (Luma(p.At(x, y)) < 60)
                sx += x, sy += y, ++n;
        }
    return n == 0 ? PixelPoint{-1, -1} : PixelPoint{sx / n, sy / n};
}

// The left pupil and the centres of the colour card's patches, as the scene places them.
constexpr double kPupilX = sim::kLeftPupil.x, kPupilY = sim::kLeftPupil.y;
constexpr double kWhitePatchX = sim::kCardOrigin.x + sim::kCardPatch / 2;
constexpr double kWhitePatchY = sim::kCardOrigin.y + sim::kCardPatch / 2;
constexpr double kBlackPatchX = kWhitePatchX + 2 * sim::kCardPatch, kRedPatchX = kWhitePatchX;
constexpr double kBottomRowY = kWhitePatchY - sim::kCardPatch;
constexpr double kRev3Wide = 0.9756;  // units per pixel of model 14 at zoom 0

// The mean of one channel over the square of 17 x 17 pixels where a world point appears.
double PatchChannel(const Picture& p, double wx, double wy, int channel) {
    const PixelPoint at = Project(wx, wy, kRev3Wide);
    return p.Mean(int(at.x), int(at.y), 8, channel);
}

using SimulatedCameraFrames = CameraOnClock;

// The wall clock runs on the camera's clock: two pictures of it a second apart differ, and only
// on its dial, so a live preview visibly changes while a frozen one does not.
TEST_F(SimulatedCameraFrames, WallClockTicksAndNothingElseMoves) {
    host->Command(160, static_cast<int>(sim::kClockCentre.x),
                  static_cast<int>(sim::kClockCentre.y));
    clock.AdvanceMs(10'000);  // long enough for the head to arrive
    ASSERT_EQ(camera->HeadPosition().pan, sim::kClockCentre.x);
    ASSERT_EQ(camera->HeadPosition().tilt, sim::kClockCentre.y);
    const Picture before = Decoded();
    clock.AdvanceMs(1000);
    const Picture after = Decoded();
    ASSERT_EQ(before.rgb.size(), after.rgb.size());

    // The dial is centred in the picture; a change may reach one 16 x 8 block past its rim.
    const double reach = sim::kClockRadius / kRev3Wide + 16;
    int changed = 0;
    double farthest = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if (!std::equal(before.At(x, y), before.At(x, y) + 3, after.At(x, y))) {
                ++changed;
                farthest = std::max(farthest, std::hypot(x + 0.5 - 320, y + 0.5 - 240));
            }
        }
    EXPECT_GT(changed, 20);
    EXPECT_LE(farthest, reach);
}

// In a live room the picture at the home framing changes on its own, around the shoulders and
// everywhere by a little noise, and the same moments give the same frames in every run.
TEST_F(SimulatedCameraFrames, LiveRoomMovesTheSameWayEveryRun) {
    auto framesOfARun = [this] {
        Start("sim");
        clock.AdvanceMs(1000);
        std::vector<std::vector<uint8_t>> frames{host->Frame()};
        clock.AdvanceMs(1500);
        frames.push_back(host->Frame());
        return frames;
    };
    const auto first = framesOfARun();
    EXPECT_EQ(framesOfARun(), first);

    const Picture before = simtest::DecodeJpeg(first[0]);
    const Picture after = simtest::DecodeJpeg(first[1]);
    ASSERT_EQ(before.rgb.size(), after.rgb.size());
    // The shoulders' top edge, a little wider and higher than at rest, changes clearly; the
    // backdrop's top row changes by the noise only.
    const PixelPoint shoulder = Project(sim::kFaceCentre.x, sim::kFaceCentre.y - 110, kRev3Wide);
    int shoulderPixels = 0;
    for (int y = int(shoulder.y) - 12; y <= int(shoulder.y) + 4; ++y)
        for (int x = int(shoulder.x) - 150; x <= int(shoulder.x) + 150; ++x)
            shoulderPixels += std::abs(Luma(before.At(x, y)) - Luma(after.At(x, y))) > 20;
    double noise = 0;
    for (int x = 0; x < 640; ++x)
        noise += std::abs(Luma(before.At(x, 2)) - Luma(after.At(x, 2)));
    EXPECT_GT(shoulderPixels, 200);
    EXPECT_GT(noise / 640, 0.2);
    EXPECT_LT(noise / 640, 3.0);
}

// Breathing stays within its depth; a short blink comes once in every spacing.
TEST(SimulatedPerson, BreathesWithinItsDepthAndBlinksOnceInEverySpacing) {
    constexpr int64_t kStepUs = 5'000, kRunUs = 60'000'000;
    int blinks = 0, shutSteps = 0;
    bool wasShut = false;
    for (int64_t us = 0; us < kRunUs; us += kStepUs) {
        const sim::SceneMoment m = sim::PersonAt(us, 0);
        ASSERT_TRUE(m.shoulderRise >= 0 && m.shoulderRise <= sim::kBreathDepth) << us;
        ASSERT_TRUE(m.eyesClosed >= 0 && m.eyesClosed <= 1) << us;
        blinks += m.eyesClosed > 0 && !wasShut;
        shutSteps += m.eyesClosed > 0;
        wasShut = m.eyesClosed > 0;
    }
    EXPECT_EQ(blinks, kRunUs / sim::kBlinkSpacingUs);
    EXPECT_LE(shutSteps, blinks * sim::kBlinkUs / kStepUs);
}

TEST_F(SimulatedCameraFrames, ReadsAreRefusedWhileNotStreaming) {
    host->Write(simtest::kStreaming, 0);
    EXPECT_TRUE(host->Frame().empty());
}

TEST_F(SimulatedCameraFrames, ReadsArePacedAtThirtyFramesPerSecond) {
    std::vector<int64_t> times;
    for (int i = 0; i < 4; ++i) {
        if (i == 2)
            clock.AdvanceMs(100);  // a slow reader: frames meanwhile are not queued
        ASSERT_FALSE(host->Frame().empty());
        times.push_back(clock.NowUs());
    }
    EXPECT_EQ(times, (std::vector<int64_t>{33'333, 66'666, 166'666, 200'000}));
}

TEST_F(SimulatedCameraFrames, JpegFrameIsInTheCameraFormByteForByte) {
    // Tables as the host sends them, plus an entry too large and one of zero for the 8-bit
    // quantiser, which the frame must carry as 255 and 1.
    std::vector<uint8_t> block(256);
    for (int i = 0; i < 128; ++i)
        block[2 * i] = static_cast<uint8_t>(i + 1);
    block[2 * 5] = 0x2C, block[2 * 5 + 1] = 0x01;  // 300
    block[2 * 70] = 0;
    ASSERT_TRUE(host->WriteBlock(simtest::kQuantTables, block));
    host->Write(simtest::kImageWidth, 320);
    host->Write(simtest::kImageHeight, 240);
    const std::vector<uint8_t> f = host->Frame();
    ASSERT_GT(f.size(), 300u);

    auto u16 = [&](size_t at) { return f[at] << 8 | f[at + 1]; };
    ASSERT_EQ(u16(0), 0xFFD8);
    size_t at = 2;
    ASSERT_EQ(u16(at), 0xFFDB);
    ASSERT_EQ(u16(at + 2), 2 + 2 * 65);
    for (int t = 0; t < 2; ++t) {
        EXPECT_EQ(f[at + 4 + 65 * t], t) << "8-bit precision, table " << t;
        for (int i = 0; i < 64; ++i) {
            const int sent = block[2 * (64 * t + i)] | block[2 * (64 * t + i) + 1] << 8;
            EXPECT_EQ(f[at + 5 + 65 * t + i], std::clamp(sent, 1, 255));
        }
    }
    at += 2 + u16(at + 2);
    const std::vector<uint8_t> sof = {0xFF, 0xC0, 0, 17, 8,    0, 240, 1,    64, 3,
                                      1,    0x21, 0, 2,  0x11, 1, 3,   0x11, 1};
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + at, f.begin() + at + sof.size()), sof);
    at += sof.size();
    const std::vector<uint8_t> sos = {0xFF, 0xDA, 0, 12, 3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + at, f.begin() + at + sos.size()), sos);
    at += sos.size();
    // Entropy data to the end: no markers but stuffed FF 00, then EOI.
    for (size_t i = at; i + 2 < f.size(); ++i) {
        if (f[i] == 0xFF) {
            EXPECT_EQ(f[i + 1], 0) << "marker inside the scan at " << i;
        }
    }
    EXPECT_EQ(u16(f.size() - 2), 0xFFD9);
}

TEST_F(SimulatedCameraFrames, RawFramesHaveTheProgrammedSize) {
    host->Write(simtest::kCompression, 0);
    host->Write(simtest::kImageWidth, 176);
    host->Write(simtest::kImageHeight, 144);
    EXPECT_EQ(host->Frame().size(), 176u * 144 * 2);
    host->Write(simtest::kImageWidth, 641);  // more than the sensor: no picture at all
    EXPECT_TRUE(host->Frame().empty());
}

TEST_F(SimulatedCameraFrames, SceneDecodesWhereTheOpticsPutItInTheRightColours) {
    const Picture p = Decoded();
    ASSERT_EQ(p.width, 640);
    const PixelPoint expected = Project(kPupilX, kPupilY, kRev3Wide);
    const PixelPoint pupil = DarkCentroid(p, expected, 7);
    EXPECT_NEAR(pupil.x, expected.x, 0.5);
    EXPECT_NEAR(pupil.y, expected.y, 0.5);

    // The colour card under the room light with automatic white balance: neutral patches come
    // out neutral (white at about 215 through the head's 1/2.2 curve), the red one red.
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(PatchChannel(p, kWhitePatchX, kWhitePatchY, c), 215, 6);
    const auto red = [&](int c) { return PatchChannel(p, kRedPatchX, kBottomRowY, c); };
    EXPECT_GT(red(0), red(1) + 80);
    EXPECT_GT(red(0), red(2) + 80);
}

TEST_F(SimulatedCameraFrames, RawFramesMatchCompressedOnesWithinJpegError) {
    const Picture jpeg = Decoded();
    host->Write(simtest::kCompression, 0);
    const std::vector<uint8_t> raw = host->Frame();
    ASSERT_EQ(raw.size(), 640u * 480 * 2);
    const Picture direct = simtest::FromYuyv(raw, 640, 480);
    double total = 0;
    for (size_t i = 0; i < jpeg.rgb.size(); ++i)
        total += std::abs(jpeg.rgb[i] - direct.rgb[i]);
    EXPECT_LT(total / jpeg.rgb.size(), 2.0);
}

// A relative move of trunc(d x factor) units, as face centering sends it, moves a feature by
// that many units' worth of pixels: for lenses of a factor of 1 or more, within a pixel of d.
struct CentringCase {
    const char* name;
    const char* setting;
    int zoom;
    double factor;  // the face-centering table's entry for the zoom
};

class SimulatedCameraCentring : public CameraOnClock,
                                public ::testing::WithParamInterface<CentringCase> {
  protected:
    void SetUp() override { Start(GetParam().setting); }
};

TEST_P(SimulatedCameraCentring, RelativeMoveBringsTheFeatureToTheTarget) {
    const CentringCase& c = GetParam();
    host->Command(157, c.zoom);
    clock.AdvanceMs(2000);
    // A window around the pupil that stays clear of the eyebrow 9 units above its centre.
    const int half = static_cast<int>(6.5 / c.factor);
    const PixelPoint before = DarkCentroid(Decoded(), Project(kPupilX, kPupilY, c.factor), half);
    ASSERT_GT(before.x, 0);
    // A double-click on the pupil asks for the picture centre (320, 240).
    const int clickX = static_cast<int>(std::lround(before.x));
    const int clickY = static_cast<int>(std::lround(before.y));
    const int a = static_cast<int>((clickX - 320) * c.factor);
    const int b = static_cast<int>((240 - clickY) * c.factor);
    host->Command(159, a, b);
    clock.AdvanceMs(1000);
    const PixelPoint after =
        DarkCentroid(Decoded(), {before.x - a / c.factor, before.y + b / c.factor}, half);
    EXPECT_NEAR(after.x, before.x - a / c.factor, 0.5);
    EXPECT_NEAR(after.y, before.y + b / c.factor, 0.5);
    if (c.factor >= 1) {
        EXPECT_NEAR(after.x, 320 + (before.x - clickX), 1.0);
        EXPECT_NEAR(after.y, 240 + (before.y - clickY), 1.0);
    }
}

INSTANTIATE_TEST_SUITE_P(SimulatedCamera, SimulatedCameraCentring,
                         ::testing::Values(CentringCase{"Model8Wide", "sim:8", 0, 1.4285},
                                           CentringCase{"Model8Zoom3000", "sim:8", 3000, 1.0736},
                                           CentringCase{"Model13Zoom3800", "sim:13", 3800, 1.0},
                                           CentringCase{"Model14Wide", "sim:14", 0, 0.9756},
                                           CentringCase{"Model14Zoom1500", "sim:14", 1500, 0.8571}),
                         RowName{});

// Every picture control changes the picture the way a camera's would.
struct ControlCase {
    const char* name;
    std::function<void(Host&)> apply;
    std::function<double(const Picture&)> measure;
    double change;  // at least this much, with its sign
};

double BackdropChannel(const Picture& p, int channel) {
    return PatchChannel(p, -150, -40, channel);
}
// The darkest sample across one chart line: deeper when sharper.
double ChartLineDepth(const Picture& p) {
    const PixelPoint at = Project(-150, -20, kRev3Wide);
    double darkest = 255;
    for (int y = int(at.y) - 4; y <= int(at.y) + 4; ++y)
        darkest = std::min(darkest, Luma(p.At(int(at.x), y)));
    return darkest;
}

auto Backdrop(int channel) {
    return [channel](const Picture& p) { return BackdropChannel(p, channel); };
}
double BlackPatchGreen(const Picture& p) {
    return PatchChannel(p, kBlackPatchX, kWhitePatchY, 1);
}
double RedPatchRedOverGreen(const Picture& p) {
    return PatchChannel(p, kRedPatchX, kBottomRowY, 0) -
           PatchChannel(p, kRedPatchX, kBottomRowY, 1);
}

class SimulatedCameraControls : public CameraOnClock,
                                public ::testing::WithParamInterface<ControlCase> {};

TEST_P(SimulatedCameraControls, ChangeThePicture) {
    const ControlCase& c = GetParam();
    const double before = c.measure(Decoded());
    c.apply(*host);
    clock.AdvanceMs(200);
    const double after = c.measure(Decoded());
    if (c.change > 0) {
        EXPECT_GE(after - before, c.change) << before << " -> " << after;
    } else {
        EXPECT_LE(after - before, c.change) << before << " -> " << after;
    }
}

// Commands sent in order, each as {code, argument A, argument B}.
auto Sends(std::vector<std::array<int, 3>> commands) {
    return [=](Host& h) {
        for (const auto& [code, a, b] : commands)
            h.Command(static_cast<uint16_t>(code), a, b);
    };
}

INSTANTIATE_TEST_SUITE_P(
    SimulatedCamera, SimulatedCameraControls,
    ::testing::Values(ControlCase{"Brighter", Sends({{6}, {6}, {6}, {6}}), Backdrop(1), 20},
                      ControlCase{"Darker", Sends({{5}, {5}, {5}, {5}}), Backdrop(1), -20},
                      ControlCase{"Brightness", Sends({{147, 200}}), Backdrop(1), 25},
                      ControlCase{"Contrast", Sends({{148, 120}}), BlackPatchGreen, -8},
                      ControlCase{"ColourLevelZeroGreysTheRedPatch", Sends({{146, 0}}),
                                  RedPatchRedOverGreen, -80},
                      ControlCase{"ManualRedGain", Sends({{12}, {142, 250}}), Backdrop(0), 25},
                      ControlCase{"ManualBlueGain", Sends({{12}, {143, 0, 90}}), Backdrop(2), -25},
                      ControlCase{"Sharpness", Sends({{151, 145}}), ChartLineDepth, -10},
                      ControlCase{"Softness", Sends({{151, 144}}), ChartLineDepth, 10}),
    RowName{});

// The mean luma of a row's stretch of backdrop; rows 100 and 101 are of the two fields.
double RowLuma(const Picture& p, int y) {
    double sum = 0;
    for (int x = 20; x < 120; ++x)
        sum += Luma(p.At(x, y));
    return sum / 100;
}

TEST_F(SimulatedCameraFrames, FlashLightsOneFieldOfTheNextFrameOnly) {
    auto fieldDifference = [](const Picture& p) { return RowLuma(p, 101) - RowLuma(p, 100); };
    host->Command(140);
    const Picture first = Decoded();
    EXPECT_GT(std::abs(fieldDifference(first)), 60);
    EXPECT_EQ(camera->FlashesFired(), 1);
    EXPECT_NEAR(fieldDifference(Decoded()), 0, 3) << "the flash fires once";
    host->Command(140);
    const Picture second = Decoded();
    EXPECT_LT(fieldDifference(first) * fieldDifference(second), 0) << "the other field this time";
    host->Command(140);
    host->Command(141);  // disarmed before the next frame
    EXPECT_NEAR(fieldDifference(Decoded()), 0, 3);
}

TEST_F(SimulatedCameraFrames, FlashLevelSetsTheLitFieldsBrightness) {
    auto litField = [&](int level) {
        host->Command(static_cast<uint16_t>(100 + level));
        host->Command(140);
        const Picture p = Decoded();
        return std::max(RowLuma(p, 100), RowLuma(p, 101));
    };
    const double dim = litField(5), normal = litField(17), bright = litField(28);
    EXPECT_LT(dim + 30, normal);
    EXPECT_LT(normal + 20, bright);
}

TEST_F(SimulatedCameraFrames, SmallerPictureOfTheWholeSensorAreaShowsTheSameView) {
    const PixelPoint full = DarkCentroid(Decoded(), Project(kPupilX, kPupilY, kRev3Wide), 6);
    host->Write(simtest::kImageWidth, 320);
    host->Write(simtest::kImageHeight, 240);  // the area read out stays 640 x 480
    const Picture half = Decoded();
    ASSERT_EQ(half.width, 320);
    const PixelPoint scaled =
        DarkCentroid(half, {(full.x + 0.5) / 2 - 0.5, (full.y + 0.5) / 2 - 0.5}, 3);
    EXPECT_NEAR(scaled.x, (full.x + 0.5) / 2 - 0.5, 0.5);
    EXPECT_NEAR(scaled.y, (full.y + 0.5) / 2 - 0.5, 0.5);
}

class SimulatedCameraOldestModel : public CameraOnClock {
  protected:
    void SetUp() override { Start("sim:2"); }
};

TEST_F(SimulatedCameraOldestModel, StepsBrighterOnlyInManualExposure) {
    const double before = BackdropChannel(Decoded(), 1);
    for (int i = 0; i < 4; ++i)
        host->Command(27);
    EXPECT_NEAR(BackdropChannel(Decoded(), 1), before, 1) << "27 is ignored in automatic exposure";
    host->Command(29);
    for (int i = 0; i < 4; ++i)
        host->Command(27);
    EXPECT_GT(BackdropChannel(Decoded(), 1), before + 20);
}

// ---------------------------------------------------------------------------------------------
// Faults.

using SimulatedCameraFaults = CameraOnClock;

TEST_F(SimulatedCameraFaults, UnpluggedCameraFailsEveryRequestFromThatMomentOn) {
    Start("sim:14,unplug-after=2s");
    clock.AdvanceMs(1900);
    EXPECT_EQ(host->Read(33), 640);
    EXPECT_FALSE(host->Frame().empty());
    clock.AdvanceMs(100);
    EXPECT_EQ(host->Read(33), -1);
    EXPECT_FALSE(host->Write(7, 137));
    EXPECT_TRUE(host->Frame().empty());
    std::u16string path;
    EXPECT_FALSE(camera->EnumerateFirstDevice(path));
    EXPECT_FALSE(camera->Open(u"sim"));
}

TEST_F(SimulatedCameraFaults, SilentHeadNeverHandsShakesNorReportsFocus) {
    Start("sim:14,silent-head");
    host->Command(137, 0, 125);
    host->Command(170, 125, 125);
    clock.AdvanceMs(1000);
    EXPECT_EQ(host->Read(simtest::kArgB), 125);
    EXPECT_EQ(host->Read(simtest::kArgA), 125);
    host->Command(152);
    clock.AdvanceMs(200);
    EXPECT_EQ(host->Read(simtest::kArgA), 14) << "the rest of the head still answers";
}

TEST_F(SimulatedCameraFaults, CorruptShortAndOversizedFrames) {
    const std::vector<uint8_t> clean = host->Frame();

    Start("sim:14,corrupt=1,still");
    const std::vector<uint8_t> corrupt = host->Frame();
    ASSERT_EQ(corrupt.size(), clean.size());
    int flipped = 0;
    for (size_t i = 0; i < clean.size(); ++i)
        flipped += std::popcount(uint8_t(clean[i] ^ corrupt[i]));
    EXPECT_GE(flipped, 1);
    EXPECT_LE(flipped, 8);

    Start("sim:14,short=1");
    EXPECT_LT(host->Frame().size(), clean.size());

    Start("sim:14,oversize=1");
    const std::vector<uint8_t> big = host->Frame();
    FrameDecoder* decoder = nullptr;
    ASSERT_EQ(CreateFrameDecoder(kDecodeModeYuyv, &decoder), 0);
    int w = 0, h = 0;
    EXPECT_EQ(ParseFrame(decoder, big, &w, &h), 0);
    EXPECT_EQ(w, 704);
    EXPECT_EQ(h, 528);
    std::vector<uint8_t> work(640 * 480 * 2);
    EXPECT_EQ(DecodeFrame(decoder, work), 1) << "the decoder refuses a picture that does not fit";
    DestroyFrameDecoder(&decoder);
}

}  // namespace
