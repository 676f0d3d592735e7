// The main dialog as an operator finds it: its controls and their kinds, what the stored
// settings show after start-up, and the About box.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QSlider>

#include "station/AboutDialog.h"
#include "station/ControlIds.h"
#include "tests/station/StationFixture.h"

namespace {

using station_test::StationFixture;

TEST(MainDialogControls, ReviewControlsHiddenAndNoRadioCheckedBeforeTheSettingsLoad) {
    CTRIPOD01Dlg dlg;
    for (int id : {1028, 1029, 1198, 1199, 1200, 1201, 1202, 1203, 1204, 1171}) {
        EXPECT_FALSE(dlg.IsItemVisible(id)) << id;
    }
    EXPECT_EQ(dlg.m_PreviewCapture, -1);
    dlg.UpdateData(false);
    for (int id : {1026, 1027, 1030, 1031, 1207, 1208, 1209, 1213}) {
        EXPECT_FALSE(dlg.IsDlgButtonChecked(id)) << id;
    }
}

class MainDialogStart : public StationFixture {};

TEST_F(MainDialogStart, StoredSettingsShowInTheRadioGroupsAndTheFlashFields) {
    {
        RegistryKey key(kStationSettingsKey);
        key.SetDword("FlashCapture", 1);
        key.SetDword("PreviewCapture", 0);
        key.SetDword("ZoomPreset", 3);
        key.SetDword("FlashIrisLevel", 22);
        key.SetDword("Interface", 0);
    }
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    EXPECT_TRUE(dlg.IsDlgButtonChecked(ids::kFlashOn));
    EXPECT_TRUE(dlg.IsDlgButtonChecked(ids::kPreviewNo));
    EXPECT_TRUE(dlg.IsDlgButtonChecked(ids::kManualZoom));
    EXPECT_EQ(dlg.GetDlgItemText(ids::kBrightnessGroup), "Flash Brightness");
    EXPECT_EQ(dlg.GetDlgItemText(ids::kSubjectDistance), " 8 Feet");  // class 5, level 22
    EXPECT_EQ(dlg.m_FlashStep, 6);
    EXPECT_TRUE(dlg.IsItemVisible(ids::kZoomControlGroup));
    EXPECT_FALSE(dlg.IsItemVisible(ids::kPanTiltGroup));
    // Sliders ready for review: -50 at the top to 50, at 0.
    EXPECT_EQ(dlg.Item<QSlider>(ids::kRedSlider)->minimum(), -50);
    EXPECT_EQ(dlg.Item<QSlider>(ids::kBlueSlider)->maximum(), 50);
    EXPECT_EQ(dlg.Item<QSlider>(ids::kBlueSlider)->value(), 0);
}

TEST(AboutBox, TextsAndTheCommandThatOpensIt) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About ZelvoCam USB - Law Enforcement 3.007");
    EXPECT_EQ(about.GetDlgItemText(ids::kAboutProduct), "ZelvoCam USB 3.006");
    EXPECT_EQ(about.GetDlgItemText(ids::kAboutOk), "OK");
    ASSERT_NE(about.Item<QLabel>(ids::kAboutIcon), nullptr);
    EXPECT_FALSE(about.Item<QLabel>(ids::kAboutIcon)->pixmap().isNull());
    for (int id : {ids::kAboutProduct, ids::kAboutNotice}) {
        const QWidget* line = about.Item<QWidget>(id);
        EXPECT_GE(line->width(), line->sizeHint().width()) << id << ": its text is cut short";
        EXPECT_LE(line->geometry().right(), about.width()) << id;
    }
}

TEST_F(MainDialogStart, AboutIsOfferedInTheContextMenuAndOnF1) {
    ASSERT_TRUE(Start());
    CTRIPOD01Dlg& dlg = Dialog();
    EXPECT_EQ(dlg.contextMenuPolicy(), Qt::ActionsContextMenu);
    const QList<QAction*> actions = dlg.actions();
    ASSERT_EQ(actions.size(), 1);
    EXPECT_EQ(actions[0]->text(), "&About ZelvoCam USB 8.004");
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(Qt::Key_F1));
}

}  // namespace
