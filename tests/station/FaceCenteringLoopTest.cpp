// Face centering closed round the simulated camera, with a virtual clock: a double-click on a
// pupil in the painted preview brings that pupil to the target point in the next frames, and a
// drag carries it to the drop point, for both positioning classes, several zooms (the mended
// class-4 step among them), each rotation and shifted targets.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <string>

#include "device/CameraProperties.h"
#include "simulator/Optics.h"
#include "station/FaceCentering.h"
#include "tests/station/PupilFinder.h"
#include "tests/station/StationFixture.h"
#include "tests/support/RowName.h"

namespace {

using station_test::Distance;
using station_test::PredictedPupil;
using station_test::PupilNear;
using station_test::Spot;

struct LoopRow {
    const char* name;
    uint16_t model;
    int cameraType;
    int zoom;
    int32_t rotation;
    int32_t xOffset, yOffset;
    bool drag;
};

void PrintTo(const LoopRow& row, std::ostream* os) {
    *os << row.name;
}

class FaceCenteringLoop : public station_test::LiveStation,
                          public testing::WithParamInterface<LoopRow> {};

TEST_P(FaceCenteringLoop, PupilComesToTheTarget) {
    const LoopRow& row = GetParam();
    SimulatedCamera& camera = Camera(("sim:" + std::to_string(row.model)).c_str());
    ASSERT_NO_FATAL_FAILURE(Start(camera, false));
    ASSERT_EQ(dlg_->m_CameraType, row.cameraType);
    // Zoom first, then the crop the rotation shows unscaled.
    SetCameraProperty(kPropArgA, static_cast<uint32_t>(row.zoom));
    SetCameraProperty(kPropCommand, 157);
    clock_.AdvanceMs(2500);
    const bool turned = row.rotation != 0;
    dlg_->m_RotationAngle = row.rotation;
    dlg_->m_CropWidth = turned ? 480 : 624;
    dlg_->m_CropHeight = turned ? 600 : 468;
    dlg_->CenterCropRect();
    dlg_->m_XCenterOffset = row.xOffset;
    dlg_->m_YCenterOffset = row.yOffset;
    dlg_->OnTimer(kPreviewTimer);  // creates the window and bitmaps
    ASSERT_NE(dlg_->m_hPreviewWnd, nullptr);
    dlg_->m_hPreviewWnd->m_Rotation = row.rotation;
    dlg_->m_hPreviewWnd->resize(dlg_->m_CropWidth, dlg_->m_CropHeight);
    TickAndGrab();

    const double unitsPerPixel = sim::UnitsPerPixel(row.model, camera.HeadPosition().zoom);
    // Just wider than the pupil, short of the brow above it.
    const double radius = (sim::kPupilRadius + 1.5) / unitsPerPixel;
    const SimulatedCamera::Position head = camera.HeadPosition();
    const Spot predicted = PredictedPupil(head.pan, head.tilt, unitsPerPixel, *dlg_);
    const Spot before = PupilNear(TickAndGrab(), predicted, radius);
    ASSERT_LT(Distance(before, predicted), 1.5) << predicted.x << "," << predicted.y;
    const QPoint click(static_cast<int>(std::lround(before.x)),
                       static_cast<int>(std::lround(before.y)));
    QWidget* window = dlg_->m_hPreviewWnd;
    Spot target;
    if (row.drag) {
        target = {click.x() - 60.0, click.y() + 45.0};
        station_test::Drag(window, click, QPoint(int(target.x), int(target.y)));
    } else {
        const face::PicturePoint t = face::TargetPoint(
            {dlg_->m_CropWidth, dlg_->m_CropHeight, row.xOffset, row.yOffset, row.rotation});
        target = {double(t.x), double(t.y)};
        station_test::DoubleClick(window, click);
    }
    // The pupil lands where the clicked pixel goes, give or take the pixel the amount's
    // truncation costs and the frame's own rounding.
    const double tolerance = 1 + 1 / dlg_->m_AutoCorrectionFactor;
    clock_.AdvanceMs(1000);
    TickAndGrab();
    const Spot expected{target.x + (before.x - click.x()), target.y + (before.y - click.y())};
    const Spot after = PupilNear(TickAndGrab(), expected, radius);
    EXPECT_LT(Distance(after, expected), tolerance)
        << "pupil at " << after.x << "," << after.y << ", expected " << expected.x << ","
        << expected.y << ", factor " << dlg_->m_AutoCorrectionFactor;
}

INSTANTIATE_TEST_SUITE_P(FaceCentering, FaceCenteringLoop,
                         testing::Values(LoopRow{"Class4Wide", 8, 4, 0, 0, 0, 0, false},
                                         LoopRow{"Class4MendedStep", 8, 4, 2400, 0, 0, 0, false},
                                         LoopRow{"Class5Zoomed", 14, 5, 4000, 0, 0, 0, false},
                                         LoopRow{"Class5WithOffsets", 14, 5, 0, 0, 40, -30, false},
                                         LoopRow{"Class4Turned90", 13, 4, 1000, 1, 0, 0, false},
                                         LoopRow{"Class5Turned270", 14, 5, 0, 2, -20, 25, false},
                                         LoopRow{"DragClass4", 8, 4, 0, 0, 0, 0, true},
                                         LoopRow{"DragClass5Turned90", 14, 5, 2000, 1, 0, 0, true}),
                         RowName{});

}  // namespace
