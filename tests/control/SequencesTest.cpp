// The camera's timed sequences on the recording driver alone: what each sends, with its waits,
// and what it makes of the head's answers. No QApplication.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "capture/StationSettings.h"
#include "control/CameraModels.h"
#include "control/ColourSequences.h"
#include "control/StartupSequences.h"
#include "device/Camera.h"
#include "platform/system/Clock.h"
#include "tests/control/HeadFixture.h"
#include "tests/support/RowName.h"

namespace {

using control_test::Lines;
using Sequences = control_test::HeadFixture;
using zelvo_test::kArgARegister;
using zelvo_test::kArgBRegister;
using zelvo_test::kCommandRegister;

TEST_F(Sequences, HandshakeTriesTenTimesAndCountsAnAnswerOnTheLastTry) {
    EXPECT_FALSE(camera_seq::Handshake());
    EXPECT_EQ(Sent(137), 10);
    EXPECT_EQ(ElapsedMs(), 50 + 10 * 100);

    Answer(137, 175, true, 20);  // the tenth try of this round
    EXPECT_TRUE(camera_seq::Handshake());
    EXPECT_EQ(Sent(137), 20);
}

TEST_F(Sequences, FocusIsSwitchedOnUntilTheHeadReportsIt) {
    Answer(170, 1);
    EXPECT_FALSE(camera_seq::EnsureAutoFocus());
    EXPECT_EQ(Sent(170), 11);
    EXPECT_EQ(Sent(9), 10);
    // One round: 9, 100 ms, 170, 100 ms, read, 5 ms.
    const Lines record = Record();
    ASSERT_GE(record.size(), 6u);
    EXPECT_EQ(record[2], "command 9 @ 200 ms");
    EXPECT_EQ(record[3], "command 170 @ 300 ms");
    EXPECT_EQ(record[4], "read A @ 400 ms");
    EXPECT_EQ(record[5], "command 9 @ 405 ms");

    Answer(170, 2);
    EXPECT_TRUE(camera_seq::EnsureAutoFocus());
}

TEST_F(Sequences, ModelIsTheSecondAnswer) {
    Answer(152, 14);
    EXPECT_EQ(camera_seq::ReadModel(), 14);
    EXPECT_EQ(Record(), (Lines{"command 152 @ 0 ms", "read A @ 200 ms", "command 152 @ 250 ms",
                               "read A @ 450 ms"}));
}

TEST_F(Sequences, ZoomReadWaitsAsAskedAndReportsAFailedRead) {
    Answer(155, 4321);
    EXPECT_EQ(camera_seq::ReadZoom(100, 250), 4321);
    EXPECT_EQ(Record(), (Lines{"A = 0 @ 0 ms", "command 155 @ 100 ms", "read A @ 350 ms"}));
    driver_.FailEveryRequest(true);
    EXPECT_EQ(camera_seq::ReadZoom(0, 100), std::nullopt);
}

// The operator's colour for each white-balance setting.
struct ColorCase {
    const char* name;
    int autoWhite;
    Lines expected;
    int redLockGain = 100;
    int blueLockGain = 90;
};

class ColorSettings : public Sequences, public testing::WithParamInterface<ColorCase> {};

TEST_P(ColorSettings, SendsTheWhiteBalanceOfTheSetting) {
    StationSettings settings;
    settings.m_AutoWhite = GetParam().autoWhite;
    settings.m_ChromaLevel = 80;
    settings.m_RedPreviewOffset = 3;
    settings.m_RedLockGain = GetParam().redLockGain;
    settings.m_BluePreviewOffset = -2;
    settings.m_BlueLockGain = GetParam().blueLockGain;
    camera_seq::ApplyColorSettings(settings);
    EXPECT_EQ(Record(), GetParam().expected);
}

// Manual colour: red twice, blue, then the colour level 80.
Lines Manual(int red, int blue) {
    const std::string r = std::to_string(red), b = std::to_string(blue);
    return {"command 12 @ 0 ms",      "A = " + r + " @ 200 ms", "command 142 @ 300 ms",
            "A = " + r + " @ 350 ms", "command 142 @ 450 ms",   "B = " + b + " @ 500 ms",
            "command 143 @ 600 ms",   "A = 80 @ 650 ms",        "command 146 @ 700 ms"};
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, ColorSettings,
    testing::Values(ColorCase{"Automatic",
                              0,
                              {"command 12 @ 0 ms", "command 7 @ 200 ms", "A = 80 @ 350 ms",
                               "command 146 @ 350 ms"}},
                    ColorCase{"Manual", 1, Manual(103, 88)},
                    // A negative sum would otherwise reach the head as its low byte, full gain.
                    ColorCase{"ManualGainsHeldToAByte", 1, Manual(255, 0), 300, -10},
                    ColorCase{"NeitherOnlyResets", 2, {"command 12 @ 0 ms"}}),
    RowName{});

TEST_F(Sequences, ApertureWithoutACodeLeavesTheApertureAlone) {
    StationSettings settings;
    for (const auto& [aperature, code] : {std::pair{0, 144}, {5, 145}, {6, -1}, {-1, -1}}) {
        settings.m_Aperature = aperature;
        const size_t before = Record().size();
        camera_seq::ApplyImageSettings(settings);
        const Lines record = Record();
        const Lines sent(record.begin() + static_cast<std::ptrdiff_t>(before), record.end());
        if (code < 0) {
            EXPECT_EQ(sent.size(), 4u) << aperature;  // brightness and contrast only
        } else {
            ASSERT_EQ(sent.size(), 6u) << aperature;
            EXPECT_EQ(sent[4].rfind("A = " + std::to_string(code) + " @", 0), 0u) << sent[4];
            EXPECT_EQ(sent[5].rfind("command 151 @", 0), 0u) << sent[5];
        }
    }
}

TEST_F(Sequences, LiveStreamRestartsWithTheFlashColourOnlyAfterAFlash) {
    StationSettings settings;
    camera_seq::RestoreLiveStream(settings, false);
    EXPECT_EQ(Sent(12), 0);
    EXPECT_EQ(ElapsedMs(), 0);  // no waits without the flash

    camera_seq::RestoreLiveStream(settings, true);
    const Lines record = Record();
    const auto disarm = std::find(record.begin(), record.end(), "command 137 @ 0 ms");
    ASSERT_LT(disarm + 1, record.end());
    EXPECT_EQ(*(disarm + 1), "command 141 @ 100 ms");
    EXPECT_NE(std::find(record.begin(), record.end(), "command 12 @ 200 ms"), record.end());
}

TEST(CameraModels, ClassAndNameOfEachReportedModel) {
    struct Case {
        int model, cameraType;
        const char* name;
    };
    const Case cases[] = {{2, 1, "PTZ Rev1"},    {26, 3, "Zoom Rev 2"}, {27, 3, "Zoom Rev 2"},
                          {62, 3, "Zoom Rev 2"}, {8, 4, "PTZ Rev 2"},   {13, 4, "PTZ Rev 2"},
                          {14, 5, "PTZ Rev 3"},  {64, 0, "Other"},      {1, 0, "Other"},
                          {65535, 0, "Other"}};
    for (const Case& c : cases) {
        EXPECT_EQ(CameraClassOfModel(c.model), c.cameraType) << c.model;
        EXPECT_EQ(CameraClassName(CameraClassOfModel(c.model)), c.name) << c.model;
    }
}

}  // namespace
