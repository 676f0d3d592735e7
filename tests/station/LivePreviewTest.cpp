// The whole station on the simulated camera with a virtual clock: what the operator sees in the
// preview window follows the camera head. The camera is turned by a relative move, and the
// painted picture must shift the other way by the distance the lens maps the move to.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "device/Camera.h"
#include "device/CameraProperties.h"
#include "platform/driver/DeviceSetting.h"
#include "platform/system/Clock.h"
#include "platform/ui/ServiceRecorder.h"
#include "simulator/Optics.h"
#include "simulator/SimulatedCamera.h"
#include "station/DisplayWindow.h"
#include "station/MainDialog.h"

namespace {

class LivePreview : public testing::Test {
  protected:
    LivePreview() : scope_(clock_) {
        std::string error;
        camera_ = CreateSimulatedCamera("sim:14", error);
        InstallDriverTransport(camera_.get());
    }
    ~LivePreview() override {
        dlg_.reset();
        CloseCamera();
        InstallDriverTransport(nullptr);
    }

    // One preview tick after the next frame time, then the window as painted.
    QImage TickAndGrab() {
        clock_.AdvanceMs(40);
        dlg_->OnTimer(kPreviewTimer);
        return dlg_->m_hPreviewWnd->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The shift (in window pixels) that best lays row band `rows` of `after` over `before`:
    // after(x) == before(x + shift).
    static int HorizontalShift(const QImage& before, const QImage& after, int y0, int y1) {
        int best = 0;
        double bestCost = std::numeric_limits<double>::max();
        for (int shift = -300; shift <= 300; ++shift) {
            double cost = 0;
            int count = 0;
            for (int y = y0; y < y1; y += 4) {
                for (int x = 0; x < after.width(); x += 2) {
                    const int xs = x + shift;
                    if (xs < 0 || xs >= before.width())
                        continue;
                    cost += std::abs(qGray(after.pixel(x, y)) - qGray(before.pixel(xs, y)));
                    ++count;
                }
            }
            if (count > 2000 && cost / count < bestCost) {
                bestCost = cost / count;
                best = shift;
            }
        }
        return best;
    }

    sys::VirtualClock clock_;
    sys::ScopedClock scope_;
    ui::ServiceRecorder services_;
    std::unique_ptr<SimulatedCamera> camera_;
    std::unique_ptr<CTRIPOD01Dlg> dlg_ = std::make_unique<CTRIPOD01Dlg>();
};

TEST_F(LivePreview, PictureFollowsTheCameraWhenItPans) {
    ASSERT_NE(camera_, nullptr);
    ASSERT_TRUE(dlg_->OnInitDialog());
    ASSERT_TRUE(services_.Events().empty());
    dlg_->OnTimer(kPreviewTimer);  // creates the window and bitmaps
    ASSERT_NE(dlg_->m_hPreviewWnd, nullptr);
    const QImage before = TickAndGrab();
    const auto start = camera_->HeadPosition();

    // Pan right by 120 units, as face centering does it: argument A, argument B, command 159.
    SetCameraProperty(kPropArgA, 120);
    SetCameraProperty(kPropArgB, 0);
    SetCameraProperty(kPropCommand, 159);
    clock_.AdvanceMs(1000);
    const QImage after = TickAndGrab();
    const auto end = camera_->HeadPosition();
    ASSERT_EQ(end.pan - start.pan, 120);
    ASSERT_EQ(end.tilt, start.tilt);

    // The scene moves left under a camera turning right.
    const double expected = 120 / sim::UnitsPerPixel(14, start.zoom);
    const int shift = HorizontalShift(before, after, 100, 400);
    EXPECT_NEAR(shift, expected, 1.5);
    EXPECT_EQ(dlg_->m_PreviewRunning, 1);
}

}  // namespace
