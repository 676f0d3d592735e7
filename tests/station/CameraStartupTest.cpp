// Camera start-up and shutdown on a scripted camera head: the whole ordered record of requests
// with their virtual times, the hand-shake and focus loops with their beeps and messages, the
// model check and its exits, the failed open, and the order of the close.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <tuple>

#include "station/ControlIds.h"
#include "tests/station/StationFixture.h"
#include "tests/support/ForwardingDriver.h"

namespace {

using station_test::StationFixture;
using Kind = ui::ServiceRecorder::Kind;
using Lines = std::vector<std::string>;

class CameraStartup : public StationFixture {
  protected:
    int Count(const std::string& prefix) const {
        const Lines record = StationRecord();
        return static_cast<int>(std::count_if(
            record.begin(), record.end(), [&](const auto& l) { return l.rfind(prefix, 0) == 0; }));
    }
};

// A fresh station (every setting at its default) on a camera that answers at once.
TEST_F(CameraStartup, WholeSequenceFromOpenToThePreviewTimer) {
    ASSERT_TRUE(Start());
    const Lines expected = {
        // property 25 = 1, then the camera needs half a second
        "write reg 23 = 1 @ 0 ms",
        // the stream: 640 x 480 picture and sensor area, 24-bit output, host decoding,
        // quality 75 (its tables), streaming on
        "write reg 29 = 640 @ 500 ms", "write reg 30 = 480 @ 500 ms", "write reg 27 = 640 @ 500 ms",
        "write reg 28 = 480 @ 500 ms", "write reg 31 = 0 @ 500 ms", "write reg 32 = 0 @ 500 ms",
        "block reg 25 [256] @ 500 ms", "write reg 10 = 16 @ 500 ms", "write reg 6 = 1 @ 500 ms",
        // hand-shake and focus mode
        "command 137 @ 550 ms", "read B @ 650 ms", "command 170 @ 650 ms", "read A @ 750 ms",
        // colour: automatic white balance at chroma level 72
        "command 12 @ 850 ms", "command 7 @ 1050 ms", "A = 72 @ 1200 ms", "command 146 @ 1200 ms",
        // brightness 124, contrast 64, aperture 3 (code 149)
        "A = 124 @ 1200 ms", "command 147 @ 1250 ms", "A = 64 @ 1250 ms", "command 148 @ 1300 ms",
        "A = 149 @ 1300 ms", "command 151 @ 1350 ms",
        // zoom back to where it was left
        "A = 0 @ 1350 ms", "command 157 @ 1450 ms",
        // the model number, asked twice
        "command 152 @ 1550 ms", "read A @ 1750 ms", "command 152 @ 1800 ms", "read A @ 2000 ms"};
    EXPECT_EQ(StationRecord(), expected);
    EXPECT_EQ(sys::NowMs(), 2000);

    CTRIPOD01Dlg& dlg = Dialog();
    EXPECT_TRUE(services_.Events().empty());
    // Class 5; flash step 4 (level 17 on a class-5 camera) and its colour bases; capture type 5.
    EXPECT_EQ(std::tuple(dlg.m_CameraType, dlg.m_FlashStep, dlg.m_RedFlashBase, dlg.m_BlueFlashBase,
                         dlg.m_CaptureType, dlg.m_CreatePreview),
              std::tuple(5, 4, 210, 155, 5, 1));
    EXPECT_EQ(dlg.TimerInterval(kPreviewTimer), 20);
    EXPECT_EQ(dlg.GetDlgItemText(ids::kSubjectDistance), "NA");  // flash off
    EXPECT_EQ(dlg.GetDlgItemText(ids::kBrightnessGroup), "Live Brightness");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.IsItemVisible(ids::kPanTiltGroup));  // the Standard layout by default
}

// How many tries each loop makes and their waits are the sequences' own (SequencesTest); here,
// what the station makes of their outcome.
TEST_F(CameraStartup, HandshakeThatNeverAnswersBeepsThenReportsAndGoesOn) {
    script_.handshakeAnswerAfter = 0;
    ASSERT_TRUE(Start());
    const auto& events = services_.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(std::tuple(events[0].kind, events[0].a, events[0].b, events[0].atMs),
              std::tuple(Kind::kBeep, 200, 500, 550 + 10 * 100));
    EXPECT_EQ(events[1].kind, Kind::kMessage);
    EXPECT_EQ(events[1].atMs, 550 + 10 * 100 + 500);  // after the beep
    EXPECT_EQ(services_.Messages(), Lines{"Error 101: Error 101 in Init_Camera"});
    EXPECT_EQ(Count("command 170"), 1);  // start-up went on
    EXPECT_EQ(Dialog().m_CameraType, 5);
}

TEST_F(CameraStartup, HandshakeAnsweredOnTheLastTryIsNoError) {
    script_.handshakeAnswerAfter = 10;
    ASSERT_TRUE(Start());
    EXPECT_TRUE(services_.Events().empty());
}

TEST_F(CameraStartup, FocusThatNeverAnswersAutoReportsThenBeeps) {
    script_.focusAnswer = 1;
    ASSERT_TRUE(Start());
    const auto& events = services_.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(services_.Messages(), Lines{"OFF: Auto Focus Off"});
    EXPECT_EQ(events[1].kind, Kind::kBeep);
    EXPECT_EQ(events[1].atMs, events[0].atMs);  // the beep follows the box
}

TEST_F(CameraStartup, Model64TwiceThenCameraNotFoundAndExit2) {
    script_.model = 64;
    // The process ends inside the exit call, so the camera must be let go before it.
    std::optional<int> exitCode;
    bool openAtExit = true;
    ui::SetExitHandler([&](int code) {
        exitCode = code;
        openAtExit = driver_.IsOpen();
    });
    EXPECT_FALSE(Start());
    EXPECT_EQ(exitCode, 2);
    EXPECT_FALSE(openAtExit);
    const std::string enhanced =
        "Software Version Probelem: Enhanced Zoom Camera detected, Install Enhanced Zoom "
        "Software";
    EXPECT_EQ(services_.Messages(),
              (Lines{enhanced, enhanced, ": Camera not found, Close and restart application "}));
    EXPECT_EQ(Count("command 152"), 4);
    EXPECT_FALSE(Dialog().IsTimerRunning(kPreviewTimer));
}

TEST_F(CameraStartup, NoDeviceStopsWithError0AndExit1LeavingTheDefaultsStored) {
    driver_.present = false;
    EXPECT_FALSE(Start());
    EXPECT_EQ(services_.Messages(), Lines{"Error 0: Failure to start device"});
    EXPECT_EQ(services_.ExitCode(), 1);
    EXPECT_TRUE(driver_.RegisterTranscript().empty());
    EXPECT_FALSE(Dialog().IsTimerRunning(kPreviewTimer));
    // The settings were loaded, with every default written back, and nothing else saved.
    EXPECT_EQ(StoredDword("Interface"), 1u);
    EXPECT_EQ(StoredDword("FlashIrisLevel"), 17u);
    EXPECT_EQ(StoredDword("CropWidth"), 624u);
    EXPECT_EQ(StoredDword("m_LiveCapture"), 1u);
    EXPECT_EQ(StoredDword("FlashDelay"), std::nullopt);  // written only when saving
}

// The driver seen through a window that notes what the settings key held when the device was
// closed.
class CloseWatchingDriver : public zelvo_test::ForwardingDriver {
  public:
    using ForwardingDriver::ForwardingDriver;
    void Close() override {
        zoomStoredAtClose = StationFixture::StoredDword("Zoom Position");
        ForwardingDriver::Close();
    }
    std::optional<uint32_t> zoomStoredAtClose;
};

TEST_F(CameraStartup, CloseReadsTheZoomBeforeClosingAndSavesAfter) {
    CloseWatchingDriver watcher(driver_);
    InstallDriverTransport(&watcher);
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    script_.zoomPosition = 4321;
    driver_.ClearRecord();
    EXPECT_EQ(StoredDword("Zoom Position"), 0u);

    dlg.close();

    const Lines record = driver_.Transcript();
    ASSERT_GE(record.size(), 4u);
    EXPECT_EQ(InStationWords(record[0]), "A = 0 @ 2000 ms");
    EXPECT_EQ(InStationWords(record[1]), "command 155 @ 2000 ms");
    EXPECT_EQ(InStationWords(record[2]), "read A @ 2100 ms");
    EXPECT_EQ(record.back(), "close @ 2100 ms");
    EXPECT_FALSE(driver_.IsOpen());
    EXPECT_EQ(std::pair(dlg.m_ZoomPosition, dlg.m_ZoomAutoPosition), std::pair(4321, 4321));
    EXPECT_EQ(watcher.zoomStoredAtClose, 0u);        // nothing saved before the close
    EXPECT_EQ(StoredDword("Zoom Position"), 4321u);  // saved after the read-back
    EXPECT_EQ(StoredDword("Capture Type"), 5u);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.IsTimerRunning(kPreviewTimer));
}

TEST_F(CameraStartup, EscapeClosesLikeTheCloseBoxAndEnterDoesNothing) {
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.m_FlashIrisLevel = 23;  // an operator's change that must survive

    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(driver_.IsOpen());

    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(driver_.IsOpen());
    EXPECT_EQ(StoredDword("FlashIrisLevel"), 23u);
}

}  // namespace
