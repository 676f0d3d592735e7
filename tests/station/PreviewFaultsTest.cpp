// The whole station on a misbehaving simulated camera, with a virtual clock: a camera unplugged
// during the live preview, and a camera that sends corrupt and short frames among good ones.
// The station must keep running, never show garbage in place of a good frame, and close
// without losing the operator's zoom.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"
#include "device/CameraProperties.h"
#include "device/HeadCommands.h"
#include "simulator/Scene.h"
#include "tests/station/StationFixture.h"

namespace {

using Bitmap = std::vector<uint8_t>;

// Two simulated cameras driven in step: the station talks to the faulty one, and the healthy
// twin, given every same request at the same time, shows what each frame should have been.
class TwinCameras : public DriverTransport {
  public:
    TwinCameras(SimulatedCamera& faulty, SimulatedCamera& healthy)
        : faulty_(faulty), healthy_(healthy) {}
    bool EnumerateFirstDevice(std::u16string& path) override {
        return healthy_.EnumerateFirstDevice(path) && faulty_.EnumerateFirstDevice(path);
    }
    bool Open(const std::u16string& path) override {
        return healthy_.Open(path) && faulty_.Open(path);
    }
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override {
        std::vector<uint8_t> scratch(out.size());
        uint32_t ignored = 0;
        healthy_.ControlRequest(code, in, scratch, ignored);
        return faulty_.ControlRequest(code, in, out, returned);
    }
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override {
        const bool read = faulty_.ReadFrame(buffer, delivered);  // waits for the frame time
        healthyFrame.resize(buffer.size());
        uint32_t healthyDelivered = 0;
        healthy_.ReadFrame(healthyFrame, healthyDelivered);
        healthyFrame.resize(healthyDelivered);
        lastFrameGood = read && std::equal(buffer.begin(), buffer.begin() + delivered,
                                           healthyFrame.begin(), healthyFrame.end());
        return read;
    }
    void Close() override {
        faulty_.Close();
        healthy_.Close();
    }

    std::vector<uint8_t> healthyFrame;
    bool lastFrameGood = false;

  private:
    SimulatedCamera& faulty_;
    SimulatedCamera& healthy_;
};

class PreviewFaults : public station_test::LiveStation {
  protected:
    // Turns the camera to the wall clock, whose second hand makes every second's picture new.
    void LookAtTheClock() {
        SetCameraProperty(kPropArgA, static_cast<uint32_t>(sim::kClockCentre.x));
        SetCameraProperty(kPropArgB, static_cast<uint32_t>(sim::kClockCentre.y));
        SetCameraProperty(kPropCommand, head::kDrivePanTilt);
        clock_.AdvanceMs(10'000);
    }

    // One preview tick `ms` later; the preview bitmap as it then holds.
    Bitmap TickAfter(int64_t ms) {
        clock_.AdvanceMs(ms);
        dlg_->OnTimer(kPreviewTimer);
        const uint8_t* bits = dlg_->m_hPreviewWnd->m_pBits;
        return Bitmap(bits, bits + kFrameBytes);
    }
};

TEST_F(PreviewFaults, UnpluggedCameraFreezesThePreviewAndTheCloseKeepsTheStoredZoom) {
    RegistryKey(kStationSettingsKey).SetDword("Zoom Position", 3000);
    Start(Camera("sim:14,unplug-after=20s"));
    ASSERT_EQ(dlg_->m_ZoomPosition, 3000);
    LookAtTheClock();
    const Bitmap live = TickAfter(40);
    ASSERT_NE(TickAfter(1000), live) << "the clock's picture changes every second";

    clock_.AdvanceMs(20'000);  // the cable is pulled
    const Bitmap last = TickAfter(40);
    EXPECT_EQ(TickAfter(1000), last);
    EXPECT_EQ(TickAfter(1000), last);
    EXPECT_TRUE(dlg_->IsTimerRunning(kPreviewTimer));
    EXPECT_TRUE(dlg_->isVisible());

    dlg_->close();
    EXPECT_FALSE(dlg_->isVisible());
    EXPECT_EQ(station_test::StoredSetting("Zoom Position"),
              3000u);                         // not the 0 an unanswered read gives
    EXPECT_TRUE(services_.Events().empty());  // no box, no exit: the process ends with 0
}

// What the preview must show for a frame: decoded and converted, bottom row first.
Bitmap Expected(std::span<const uint8_t> frame) {
    FrameDecoder* decoder = nullptr;
    EXPECT_EQ(CreateFrameDecoder(kDecodeModeYuyv, &decoder), 0);
    int width = 0, height = 0;
    std::vector<uint8_t> yuyv(640 * 480 * 2);
    Bitmap bgr(kFrameBytes);
    EXPECT_EQ(ParseFrame(decoder, frame, &width, &height), 0);
    EXPECT_EQ(DecodeFrame(decoder, yuyv), 0);
    ConvertYuyvToBgr24(bgr, 640, 480, yuyv);
    DestroyFrameDecoder(&decoder);
    return bgr;
}

TEST_F(PreviewFaults, CorruptAndShortFramesNeverKeepTheGoodOnesFromShowing) {
    TwinCameras& twins = Keep(std::make_unique<TwinCameras>(
        Camera("sim:14,corrupt=0.3,short=0.3,seed=11"), Camera("sim:14")));
    Start(twins);
    LookAtTheClock();

    int good = 0, bad = 0;
    for (int tick = 0; tick < 40; ++tick) {
        const Bitmap shown = TickAfter(250);
        if (!twins.lastFrameGood) {
            ++bad;
            continue;
        }
        ++good;
        EXPECT_TRUE(shown == Expected(twins.healthyFrame)) << "good frame at tick " << tick;
    }
    EXPECT_GT(good, 5);
    EXPECT_GT(bad, 5);
    EXPECT_TRUE(dlg_->IsTimerRunning(kPreviewTimer));
    EXPECT_TRUE(services_.Events().empty());
}

}  // namespace
