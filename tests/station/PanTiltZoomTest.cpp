// Steering as the main dialog hands it on: the keys and picture buttons reach the steering
// machine (whose runs the control tests check) with the dialog's settings, the boxes and the
// focus it asks for appear, keys are ignored while a picture is reviewed; Home, the saved
// position and the presets.
#include <gtest/gtest.h>

#include <QRadioButton>
#include <QTest>
#include <tuple>

#include "station/ControlIds.h"
#include "tests/station/HeadRecord.h"

namespace {

using station_test::Lines;
using station_test::ScriptedStation;
using ui::MouseMessage;

bool Key(CTRIPOD01Dlg& dlg, ui::KeyMessage::Kind kind, int key) {
    return dlg.PreTranslateMessage({kind, key});
}

TEST_F(ScriptedStation, KeysAndButtonsReachTheMachineWithTheDialogsSettings) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    dlg.m_LockZoom = 1;
    EXPECT_TRUE(Key(dlg, ui::KeyMessage::kKeyDown, ui::kVkAdd));
    EXPECT_TRUE(dlg.OnSetCursor(ids::kZoomIn, MouseMessage::kLeftButtonDown));
    EXPECT_TRUE(dlg.OnSetCursor(ids::kZoomOut, MouseMessage::kLeftButtonDown));
    // The two buttons word it differently.
    EXPECT_EQ(services_.Messages(), (Lines{"Zoom Locked: Zoom is locked, See administrator",
                                           "Zoom Locked: Zoom is locked, See administrator",
                                           "Zoom Locked: Zoom is locked. See administrator."}));

    // Keys are left alone while a picture is reviewed.
    dlg.m_ControlsDisabled = 1;
    EXPECT_FALSE(Key(dlg, ui::KeyMessage::kKeyDown, ui::kVkUp));
    dlg.m_ControlsDisabled = 0;

    dlg.m_RotationAngle = 1;
    dlg.m_PTZSpeed = 2;
    dlg.m_NudgeCount = 4;
    dlg.GotoDlgCtrl(ids::kCapture);
    EXPECT_TRUE(Key(dlg, ui::KeyMessage::kKeyDown, ui::kVkUp));
    EXPECT_FALSE(Key(dlg, ui::KeyMessage::kKeyDown, ui::kVkShift));  // the controls see it too
    EXPECT_TRUE(Key(dlg, ui::KeyMessage::kKeyUp, ui::kVkUp));
    EXPECT_EQ(dlg.focusWidget(), dlg.GetDlgItem(ids::kTiltUp));
    EXPECT_FALSE(Key(dlg, ui::KeyMessage::kKeyDown, 'A'));
    EXPECT_EQ(Record(), (Lines{"command 75 @ 0 ms", "command 73 @ 0 ms", "command 65 @ 85 ms"}));
}

TEST_F(ScriptedStation, HomeAndPresetsDriveTheStoredPositions) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    dlg.m_PanSetting = -100;
    dlg.m_TiltSetting = 250;
    dlg.m_ZoomSetting = 4000;
    dlg.m_ZoomPreset1 = 1000;
    dlg.m_ZoomPreset2 = 2000;
    dlg.m_ZoomPreset3 = 3000;
    for (int id : {ids::kHome, ids::kPreset3, ids::kPreset1, ids::kPreset2, ids::kManualZoom})
        QTest::mouseClick(dlg.GetDlgItem(id), Qt::LeftButton);
    EXPECT_EQ(Record(), (Lines{"A = 65436 @ 0 ms", "B = 250 @ 0 ms", "command 160 @ 0 ms",
                               "A = 4000 @ 200 ms", "command 157 @ 200 ms", "A = 3000 @ 200 ms",
                               "command 157 @ 200 ms", "A = 1000 @ 200 ms", "command 157 @ 200 ms",
                               "A = 2000 @ 200 ms", "command 157 @ 200 ms"}));
}

TEST_F(ScriptedStation, SavePTZPositionAsksThenTakesTheSignedPosition) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    AnswerPanTilt(20000, 65436);
    script_.zoomPosition = 1234;
    EXPECT_TRUE(dlg.OnSetCursor(ids::kHome, MouseMessage::kRightButtonDown));
    EXPECT_EQ(services_.Messages(), Lines{"Save PTZ Position: Save PTZ Position"});
    const auto saved = [&dlg] {
        return std::tuple(dlg.m_PanSetting, dlg.m_TiltSetting, dlg.m_ZoomSetting);
    };
    EXPECT_EQ(saved(), std::tuple(20000, -100, 1234));

    // An unplugged camera answers nothing: Home stays where it was.
    driver_.FailEveryRequest(true);
    dlg.SavePTZPosition();
    EXPECT_EQ(saved(), std::tuple(20000, -100, 1234));
}

}  // namespace
