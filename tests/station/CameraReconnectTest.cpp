// The camera unplugged while the station runs: the live picture says so, the station looks for
// the camera once a second, and when it is back starts it as at start-up and goes live again;
// another camera in its place ends the station as a missing one does at start-up.
#include <algorithm>

#include "station/ControlIds.h"
#include "tests/station/StationFixture.h"
#include "tests/support/CameraJpeg.h"

namespace station_test {
namespace {

class CameraReconnect : public StationFixture {
  protected:
    void StartLive() {
        ASSERT_TRUE(Start());
        Dialog().OnTimer(kPreviewTimer);  // the window and bitmaps
    }
    // Whether the station sent a line starting `start` since it last opened the camera again.
    bool SentSinceReopen(const std::string& start) const {
        const std::vector<std::string> record = StationRecord();
        const auto startsWith = [](const std::string& text) {
            return [text](const std::string& line) { return line.rfind(text, 0) == 0; };
        };
        const auto reopen =
            std::find_if(record.rbegin(), record.rend(), startsWith("write reg 23 = 1 "));
        return std::any_of(record.rbegin(), reopen, startsWith(start));
    }
};

TEST_F(CameraReconnect, GoneCameraIsShownThenStartedAgainWhenItIsBack) {
    script_.zoomPosition = 0;
    StartLive();
    const int handshakesAtStart = handshakes_;
    driver_.Unplug();
    Dialog().OnTimer(kPreviewTimer);
    EXPECT_FALSE(driver_.IsOpen());
    EXPECT_EQ(Dialog().m_StatusText, "Camera disconnected");

    Dialog().OnTimer(kReconnectTimer);  // still away: nothing opens
    EXPECT_FALSE(driver_.IsOpen());
    EXPECT_EQ(Dialog().m_StatusText, "Camera disconnected");

    driver_.Replug();
    const int64_t lookedUs = clock_.NowUs();
    Dialog().OnTimer(kReconnectTimer);
    EXPECT_TRUE(driver_.IsOpen());
    EXPECT_EQ(Dialog().m_StatusText, "");
    EXPECT_EQ(Dialog().m_PreviewRunning, 1);
    EXPECT_LE(clock_.NowUs() - lookedUs, 1'000'000) << "the live picture is back within a second";
    EXPECT_EQ(handshakes_, handshakesAtStart) << "the head waits for the first frame";
    driver_.frames.push_back(zelvo_test::MakeUniformCameraJpeg(640, 480, {90, 90, 90}));
    Dialog().OnTimer(kPreviewTimer);
    Dialog().OnTimer(kPreviewTimer);
    EXPECT_GT(handshakes_, handshakesAtStart);
    for (const char* step : {"command 137 ", "command 170 ", "command 152 "})
        EXPECT_TRUE(SentSinceReopen(step)) << step;
    EXPECT_TRUE(services_.Events().empty()) << "no box for a camera that came back";
}

TEST_F(CameraReconnect, AnotherModelInItsPlaceEndsTheStationWithExit2) {
    StartLive();
    driver_.Unplug();
    Dialog().OnTimer(kPreviewTimer);
    script_.model = 8;
    // The camera found again: the stream comes first, the head is started on the tick after
    // the first frame was shown.
    driver_.Replug();
    Dialog().OnTimer(kReconnectTimer);
    driver_.frames.push_back(zelvo_test::MakeUniformCameraJpeg(640, 480, {90, 90, 90}));
    Dialog().OnTimer(kPreviewTimer);
    Dialog().OnTimer(kPreviewTimer);
    EXPECT_EQ(services_.ExitCode(), 2);
    EXPECT_FALSE(driver_.IsOpen());
}

TEST_F(CameraReconnect, ReviewThatTheCameraOutlivesIsAbandonedAsAFailedCapture) {
    StartLive();
    CTRIPOD01Dlg& dlg = Dialog();
    std::vector<std::string> failed;
    dlg.m_CaptureFailedHook = [&](const std::string& reason) { failed.push_back(reason); };
    dlg.CheckDlgButton(ids::kPreviewYes, true);
    driver_.frameSource = [] {
        return zelvo_test::MakeUniformCameraJpeg(640, 480, {200, 120, 60});
    };
    dlg.OnCapture();
    ASSERT_EQ(dlg.m_CapturePhase, CapturePhase::kReview);
    dlg.OnTimer(kReconnectTimer);  // still there: the review goes on
    EXPECT_EQ(dlg.m_CapturePhase, CapturePhase::kReview);
    EXPECT_TRUE(dlg.IsTimerRunning(kReconnectTimer));

    driver_.Unplug();
    dlg.OnTimer(kReconnectTimer);
    EXPECT_EQ(dlg.m_CapturePhase, CapturePhase::kLive);
    EXPECT_TRUE(dlg.IsItemVisible(ids::kCapture));
    EXPECT_EQ(failed, std::vector<std::string>{"the camera went while the picture was reviewed"});
    EXPECT_EQ(dlg.m_StatusText, "Camera disconnected");
    EXPECT_FALSE(dlg.IsTimerRunning(kPreviewTimer));
    EXPECT_EQ(services_.Events().size(), 1u) << "one box, as for a capture without a picture";
}

TEST_F(CameraReconnect, CloseWhileAwayKeepsTheZoomKnownBefore) {
    script_.zoomPosition = 4321;
    StartLive();
    Dialog().ReadZoomPosition();
    driver_.Unplug();
    Dialog().OnTimer(kPreviewTimer);
    Dialog().OnClose();
    EXPECT_EQ(StoredDword("Zoom Position"), 4321u);
}

}  // namespace
}  // namespace station_test
