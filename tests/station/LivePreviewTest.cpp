// The whole station on the simulated camera with a virtual clock: what the operator sees in the
// preview window follows the camera head. The camera is turned by a relative move, and the
// painted picture must shift the other way by the distance the lens maps the move to.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "device/CameraProperties.h"
#include "simulator/Optics.h"
#include "tests/station/StationFixture.h"

namespace {

class LivePreview : public station_test::LiveStation {
  protected:
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
};

TEST_F(LivePreview, PictureFollowsTheCameraWhenItPans) {
    SimulatedCamera& camera = Camera("sim:14");
    ASSERT_NO_FATAL_FAILURE(Start(camera));
    ASSERT_TRUE(services_.Events().empty());
    const QImage before = TickAndGrab();
    const auto start = camera.HeadPosition();

    // Pan right by 120 units, as face centering does it: argument A, argument B, command 159.
    SetCameraProperty(kPropArgA, 120);
    SetCameraProperty(kPropArgB, 0);
    SetCameraProperty(kPropCommand, 159);
    clock_.AdvanceMs(1000);
    const QImage after = TickAndGrab();
    const auto end = camera.HeadPosition();
    ASSERT_EQ(end.pan - start.pan, 120);
    ASSERT_EQ(end.tilt, start.tilt);

    // The scene moves left under a camera turning right.
    const double expected = 120 / sim::UnitsPerPixel(14, start.zoom);
    const int shift = HorizontalShift(before, after, 100, 400);
    EXPECT_NEAR(shift, expected, 1.5);
    EXPECT_EQ(dlg_->m_PreviewRunning, 1);
}

}  // namespace
