// The live preview loop on a scripted camera: what each timer tick reads, where the frame
// lands, how start and stop drive the stream, and the capture bitmap's header.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "station/ControlIds.h"
#include "station/DisplayWindow.h"
#include "tests/station/StationFixture.h"
#include "tests/support/CameraJpeg.h"

namespace {

using station_test::StationFixture;

class Preview : public StationFixture {
  protected:
    int FrameReads() const {
        const auto& requests = driver_.Requests();
        return static_cast<int>(std::count_if(requests.begin(), requests.end(), [](const auto& r) {
            return r.kind == zelvo_test::RecordedRequest::Kind::Frame;
        }));
    }
};

TEST_F(Preview, FirstTickCreatesTheWindowAndBitmapsAndReadsNoFrame) {
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    EXPECT_EQ(dlg.m_hPreviewWnd, nullptr);
    driver_.ClearRecord();

    dlg.OnTimer(kPreviewTimer);

    EXPECT_EQ(FrameReads(), 0);
    EXPECT_TRUE(driver_.Requests().empty());
    ASSERT_NE(dlg.m_hPreviewWnd, nullptr);
    EXPECT_EQ(dlg.GetDlgItem(ids::kPreviewWindow), dlg.m_hPreviewWnd);
    EXPECT_EQ(dlg.m_hPreviewWnd->objectName(), "ChildPreviewWindow");
    // The crop's size: the window shows exactly what a capture stores.
    EXPECT_EQ(dlg.m_hPreviewWnd->geometry(), QRect(0, 0, 624, 468));
    EXPECT_EQ(dlg.m_hPreviewWnd->m_pDlg, &dlg);
    EXPECT_NE(dlg.m_hPreviewWnd->m_pBits, nullptr);
    EXPECT_NE(dlg.m_pCaptureBits, nullptr);
    EXPECT_EQ(dlg.m_CreatePreview, 0);
    EXPECT_EQ(dlg.m_PreviewRunning, 0);  // shown from the first frame on
    EXPECT_EQ(dlg.TimerInterval(kPreviewTimer), 25);
}

TEST_F(Preview, TurnedPictureGetsAPortraitWindow) {
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.m_RotationAngle = 1;
    dlg.m_CropWidth = 480;
    dlg.m_CropHeight = 600;
    dlg.OnTimer(kPreviewTimer);
    ASSERT_NE(dlg.m_hPreviewWnd, nullptr);
    EXPECT_EQ(dlg.m_hPreviewWnd->geometry(), QRect(0, 0, 480, 600));
    EXPECT_EQ(dlg.m_hPreviewWnd->m_Rotation, 1);
}

TEST_F(Preview, EachLaterTickReadsExactlyOneWholeFrameIntoTheWindowBitmap) {
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.OnTimer(kPreviewTimer);
    driver_.frames.push_back(zelvo_test::MakeUniformCameraJpeg(640, 480, {200, 40, 90}));
    driver_.ClearRecord();

    dlg.OnTimer(kPreviewTimer);

    EXPECT_EQ(FrameReads(), 1);
    EXPECT_EQ(dlg.m_PreviewRunning, 1);
    EXPECT_EQ(dlg.TimerInterval(kPreviewTimer), 25);
    // The whole 921600 bytes are the new picture, B G R, first and last pixel alike.
    const uint8_t* bits = dlg.m_hPreviewWnd->m_pBits;
    for (size_t at : {size_t{0}, kFrameBytes / 2, kFrameBytes - 3}) {
        EXPECT_NEAR(bits[at + 0], 90, 6) << at;
        EXPECT_NEAR(bits[at + 1], 40, 6) << at;
        EXPECT_NEAR(bits[at + 2], 200, 6) << at;
    }
}

TEST_F(Preview, AFailedReadKeepsTheLastPictureAndTheLoopGoingOn) {
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.OnTimer(kPreviewTimer);
    driver_.frames.push_back(zelvo_test::MakeUniformCameraJpeg(640, 480, {10, 220, 30}));
    dlg.OnTimer(kPreviewTimer);
    const uint8_t green = dlg.m_hPreviewWnd->m_pBits[1];

    dlg.OnTimer(kPreviewTimer);  // nothing queued: the read fails

    EXPECT_EQ(dlg.m_hPreviewWnd->m_pBits[1], green);
    EXPECT_EQ(dlg.m_PreviewRunning, 1);
    EXPECT_EQ(dlg.TimerInterval(kPreviewTimer), 25);
}

TEST_F(Preview, StartWhileRunningOnlyRestartsTheTimerAndStopEndsTicksAndStream) {
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.OnTimer(kPreviewTimer);
    CDisplayWindow* window = dlg.m_hPreviewWnd;
    driver_.ClearRecord();

    EXPECT_EQ(dlg.StartPreview(), 1);
    EXPECT_EQ(dlg.m_hPreviewWnd, window);
    EXPECT_EQ(dlg.TimerInterval(kPreviewTimer), 25);
    EXPECT_EQ(dlg.m_PreviewRunning, 1);
    EXPECT_EQ(FrameReads(), 0);

    EXPECT_EQ(dlg.StopPreview(), 1);
    EXPECT_FALSE(dlg.IsTimerRunning(kPreviewTimer));
    EXPECT_EQ(dlg.m_PreviewRunning, 0);
    EXPECT_EQ(driver_.RegisterTranscript().back(), "write reg 6 = 0 @ 2000 ms");  // stream off

    dlg.StartPreview();
    EXPECT_EQ(driver_.RegisterTranscript().back(), "write reg 6 = 1 @ 2000 ms");
    EXPECT_EQ(dlg.m_PreviewRunning, 1);
}

// The frame header's fields are the bitmap's own (DisplayWindowTest); the dialog gives it its
// resolution.
TEST_F(Preview, CaptureBitmapHeaderCarriesTheResolutionSetting) {
    const auto bytes = [](const BitmapInfoHeader& info) {
        std::array<uint8_t, kBitmapInfoHeaderBytes> out{};
        WriteBitmapInfoHeader(info, out);
        return out;
    };
    struct Case {
        int dpiX, dpiY;
        int32_t pelsX, pelsY;
    };
    for (const Case& c : {Case{96, 96, 3782, 3782}, Case{300, 72, 11820, 2836}}) {
        CTRIPOD01Dlg dlg;
        dlg.m_HorizontalDPI = c.dpiX;
        dlg.m_VerticalDPI = c.dpiY;
        EXPECT_EQ(dlg.CreateCaptureBitmap(), 1);
        EXPECT_EQ(bytes(dlg.m_CaptureBitmapInfo), bytes(FrameBitmapInfo(c.pelsX, c.pelsY)));
        EXPECT_EQ(dlg.m_CaptureBitmapInfo.biHeight, 480);  // positive: bottom row first
        EXPECT_NE(dlg.m_pCaptureBits, nullptr);
    }
}

TEST_F(Preview, CaptureFrameIsReadIntoTheCaptureBitmap) {
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    EXPECT_NE(dlg.ReadCaptureFrame(), kCameraOk);  // no bitmap before the first tick
    dlg.OnTimer(kPreviewTimer);
    driver_.frames.push_back(zelvo_test::MakeUniformCameraJpeg(640, 480, {0, 0, 250}));
    EXPECT_EQ(dlg.ReadCaptureFrame(), kCameraOk);
    EXPECT_NEAR(dlg.m_pCaptureBits[kFrameBytes - 3], 250, 6);
}

// A file stands where the settings folder goes: the station runs on its defaults, says so
// quietly over the live picture (no box), and a later store that succeeds takes the line away.
TEST_F(Preview, SettingsThatCannotBeStoredAreToldOnceOverThePicture) {
    const std::filesystem::path blocker = settingsDir_.path().toStdString() + "/zelvocam";
    std::ofstream(blocker) << "not a folder";
    testing::internal::CaptureStderr();
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.OnTimer(kPreviewTimer);
    EXPECT_NE(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(dlg.m_hPreviewWnd, nullptr);
    EXPECT_EQ(dlg.m_hPreviewWnd->StatusText(),
              "Settings cannot be stored: changes last until the station closes");
    EXPECT_TRUE(services_.Messages().empty());

    std::filesystem::remove(blocker);
    dlg.OnClose();
    EXPECT_EQ(dlg.m_hPreviewWnd->StatusText(), "");
    EXPECT_TRUE(StoredDword("Top").has_value());
}

}  // namespace
