// Face centering on a scripted camera: the whole head record of a double-click and a drag on
// the preview window under each rotation, the gestures that send nothing, and the set-offset
// step.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

#include "station/DisplayWindow.h"
#include "tests/station/HeadRecord.h"
#include "tests/station/PupilFinder.h"
#include "tests/support/RowName.h"

namespace {

using station_test::DoubleClick;
using station_test::Drag;
using station_test::Lines;
using station_test::ScriptedStation;

enum class Gesture { kDoubleClick, kDrag };

// The move after the zoom read, written at 100 ms (140 ms when the beep of 40 ms comes first):
// `first` and `second` as "B = 167".
struct Scenario {
    const char* name;
    uint16_t model;
    int32_t rotation;
    Gesture gesture;
    const char *first, *second;
    bool beeps;
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

class FaceCenteringMoves : public ScriptedStation, public testing::WithParamInterface<Scenario> {
  protected:
    CTRIPOD01Dlg& StartWith(uint16_t model, int32_t rotation) {
        CTRIPOD01Dlg& dlg = StartOn(model);
        // A turned picture of a 480 x 600 crop fills the window unscaled.
        const bool turned = rotation == 1 || rotation == 2;
        dlg.m_CropWidth = turned ? 480 : 624;
        dlg.m_CropHeight = turned ? 600 : 468;
        dlg.m_RotationAngle = rotation;
        EXPECT_TRUE(dlg.CreatePreviewWindow());
        Mark();
        return dlg;
    }
    QWidget* Preview() { return Dialog().m_hPreviewWnd; }
    size_t Beeps() const {
        return static_cast<size_t>(std::count_if(
            services_.Events().begin(), services_.Events().end(),
            [](const auto& e) { return e.kind == ui::ServiceRecorder::Kind::kBeep; }));
    }
};

const Lines kZoomRead{"A = 0 @ 0 ms", "command 155 @ 0 ms", "read A @ 100 ms"};

TEST_P(FaceCenteringMoves, OneRelativeMoveAfterTheZoomRead) {
    const Scenario& s = GetParam();
    StartWith(s.model, s.rotation);
    const size_t beepsBefore = Beeps();
    if (s.gesture == Gesture::kDoubleClick) {
        DoubleClick(Preview(), {412, 134});
    } else {
        Drag(Preview(), {300, 200}, {340, 250});
    }
    const std::string at = s.beeps ? " @ 140 ms" : " @ 100 ms";
    Lines expected = kZoomRead;
    expected.insert(expected.end(), {s.first + at, s.second + at, "command 159" + at});
    EXPECT_EQ(Record(), expected);
    EXPECT_EQ(Beeps() - beepsBefore, s.beeps ? 1u : 0u);
    if (s.beeps) {
        EXPECT_EQ(services_.Events().back().a, 150);
        EXPECT_EQ(services_.Events().back().b, 40);
    }
}

INSTANTIATE_TEST_SUITE_P(
    FaceCentering, FaceCenteringMoves,
    testing::Values(
        Scenario{"DoubleClickRotation0", 14, 0, Gesture::kDoubleClick, "A = 97", "B = 97", false},
        Scenario{"DoubleClickRotation90", 14, 1, Gesture::kDoubleClick, "B = 167", "A = 65375",
                 false},
        Scenario{"DoubleClickRotation270Beeps", 14, 2, Gesture::kDoubleClick, "B = 65369",
                 "A = 161", true},
        Scenario{"DragRotation0Class4", 8, 0, Gesture::kDrag, "A = 65479", "B = 71", false},
        Scenario{"DragRotation90", 14, 1, Gesture::kDrag, "B = 65497", "A = 65488", false},
        Scenario{"DragRotation270NoBeep", 14, 2, Gesture::kDrag, "B = 39", "A = 48", false}),
    RowName{});

TEST_F(FaceCenteringMoves, GesturesThatSendNothing) {
    CTRIPOD01Dlg& dlg = StartWith(14, 0);
    Drag(Preview(), {300, 200}, {300, 200});  // a click
    Drag(Preview(), {300, 200}, {301, 201});  // a 1-pixel drag is a click
    // The second release is measured from the double-click's own point, 3 pixels from the
    // first press: only the double-click moves.
    DoubleClick(Preview(), {312, 234}, QPoint(315, 234));
    EXPECT_EQ(Record().size(), kZoomRead.size() + 3);
    EXPECT_EQ(dlg.m_PressX, 315);

    // A release outside the window is not a drag.
    Mark();
    Drag(Preview(), {300, 200}, {-50, 200});
    Drag(Preview(), {300, 200}, {300, Preview()->height() + 5});
    EXPECT_EQ(Record(), Lines{});

    // A rotation the preview cannot show reads and sends nothing.
    dlg.m_RotationAngle = 3;
    DoubleClick(Preview(), {412, 134});
    Drag(Preview(), {300, 200}, {340, 250});
    EXPECT_EQ(Record(), Lines{});
}

TEST_F(FaceCenteringMoves, Class3SendsNothing) {
    StartWith(26, 0);
    DoubleClick(Preview(), {412, 134});
    Drag(Preview(), {300, 200}, {340, 250});
    EXPECT_EQ(Record(), Lines{});
}

TEST_F(FaceCenteringMoves, SetOffsetReleaseMakesItsPointTheTargetAndSavesIt) {
    CTRIPOD01Dlg& dlg = StartWith(14, 0);
    dlg.m_SetOffsetMode = 1;
    Drag(Preview(), {300, 200}, {412, 134});  // even a drag only ends the step
    EXPECT_EQ(Record(), Lines{});
    EXPECT_EQ(std::tuple(dlg.m_SetOffsetMode, dlg.m_XCenterOffset, dlg.m_YCenterOffset),
              std::tuple(0, 100, 100));
    EXPECT_EQ(std::pair(StoredDword("XCenterOffset"), StoredDword("YCenterOffset")),
              std::pair(std::optional(100u), std::optional(100u)));

    // The point is now the target: a double-click there asks for no move.
    DoubleClick(Preview(), {412, 134});
    Lines expected = kZoomRead;
    expected.insert(expected.end(), {"A = 0 @ 100 ms", "B = 0 @ 100 ms", "command 159 @ 100 ms"});
    EXPECT_EQ(Record(), expected);
}

}  // namespace
