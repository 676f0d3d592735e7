// The Auto Position page: on the sheet only for the positioning classes, its instruction text,
// the reverse switches, and the set-offset step from "Set Offset" to the release that ends it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/system/Clock.h"
#include "platform/ui/PropertySheet.h"
#include "platform/ui/ServiceRecorder.h"
#include "setup/AdjustSheet.h"
#include "setup/AutoPosition.h"
#include "station/ControlIds.h"
#include "station/MainDialog.h"

namespace {

// The settings key lives in a temporary folder: the set-offset step saves the offsets.
struct SettingsFolder {
    SettingsFolder() { setenv("XDG_CONFIG_HOME", dir.path().toUtf8().constData(), 1); }
    QTemporaryDir dir;
};

struct MainWithSheet {
    explicit MainWithSheet(int32_t cameraType) {
        dlg.m_CameraType = cameraType;
        dlg.CreateAdjustSheet();
        dlg.Item<QPushButton>(ids::kAdjust)->click();
    }
    // The page shown, or nullptr when the sheet has none.
    CAutoPosition* ShowPage() {
        ui::PropertySheet& sheet = *PropSheetOf(dlg);
        for (int i = 0; i < sheet.GetPageCount(); ++i) {
            if (auto* page = qobject_cast<CAutoPosition*>(sheet.GetPage(i))) {
                EXPECT_TRUE(sheet.SetActivePage(i));
                return page;
            }
        }
        return nullptr;
    }
    SettingsFolder settings;
    sys::VirtualClock clock;  // the other pages' waits for the camera pass at once
    sys::ScopedClock scope{clock};
    ui::ServiceRecorder services;
    CTRIPOD01Dlg dlg;
};

TEST(AutoPosition, OnTheSheetOnlyForClasses4And5AndLast) {
    const int otherPages = PropSheetOf(MainWithSheet(0).dlg)->GetPageCount();
    for (const int32_t cameraType : {0, 1, 3, 4, 5}) {
        MainWithSheet main(cameraType);
        const ui::PropertySheet& sheet = *PropSheetOf(main.dlg);
        const bool positioning = cameraType >= 4;
        ASSERT_EQ(sheet.GetPageCount(), otherPages + (positioning ? 1 : 0)) << cameraType;
        const auto* last = qobject_cast<CAutoPosition*>(sheet.GetPage(sheet.GetPageCount() - 1));
        EXPECT_EQ(last != nullptr, positioning) << cameraType;
        if (last) {
            EXPECT_EQ(last->Caption(), "Auto Position");
        }
    }
}

TEST(AutoPosition, ShowsTheOffsetsSwitchesAndInstructions) {
    MainWithSheet main(5);
    main.dlg.m_XCenterOffset = -12;
    main.dlg.m_YCenterOffset = 30;
    main.dlg.m_PanReverse = 1;
    CAutoPosition* page = main.ShowPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->GetDlgItemText(CAutoPosition::kXOffset), "-12");
    EXPECT_EQ(page->GetDlgItemText(CAutoPosition::kYOffset), "30");
    EXPECT_TRUE(page->Item<QLineEdit>(CAutoPosition::kXOffset)->isReadOnly());
    EXPECT_TRUE(page->IsDlgButtonChecked(CAutoPosition::kPanReverse));
    EXPECT_FALSE(page->IsDlgButtonChecked(CAutoPosition::kTiltReverse));

    // Each of the fifteen pieces starts its own line, the blank ones are the empty lines
    // between the sections, and no line is so long that the box wraps it.
    auto* box = page->Item<QPlainTextEdit>(CAutoPosition::kInstructions);
    const QStringList lines = box->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 15);
    EXPECT_EQ(lines[0], "--------- Center Face Feature ----------");
    EXPECT_EQ(lines[1], "1. Position cursor on face feature");
    EXPECT_EQ(lines[5], "--------- Move Face Feature ----------");
    EXPECT_EQ(lines[11], "--------- Set X,Y Offsets ----------------");
    EXPECT_EQ(lines[14], "3. Click left mouse button");
    const int room = box->viewport()->width() - 2 * int(box->document()->documentMargin());
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].isEmpty(), i == 4 || i == 10) << i;
        EXPECT_LE(box->fontMetrics().horizontalAdvance(lines[i]), room) << lines[i].toStdString();
    }

    page->Item<QCheckBox>(CAutoPosition::kPanReverse)->click();
    page->Item<QCheckBox>(CAutoPosition::kTiltReverse)->click();
    EXPECT_EQ(main.dlg.m_PanReverse, 0);
    EXPECT_EQ(main.dlg.m_TiltReverse, 1);
}

TEST(AutoPosition, SetOffsetArmsTheStepAndTheReleaseShowsTheNewOffsets) {
    MainWithSheet main(4);
    main.dlg.m_CropWidth = 624;
    main.dlg.m_CropHeight = 468;
    CAutoPosition* page = main.ShowPage();
    ASSERT_NE(page, nullptr);
    page->Item<QPushButton>(CAutoPosition::kSetOffset)->click();
    EXPECT_EQ(main.dlg.m_SetOffsetMode, 1);
    main.dlg.OnPreviewRelease({400, 100}, {412, 134});
    EXPECT_EQ(main.dlg.m_SetOffsetMode, 0);
    EXPECT_EQ(page->GetDlgItemText(CAutoPosition::kXOffset), "100");
    EXPECT_EQ(page->GetDlgItemText(CAutoPosition::kYOffset), "100");

    // Closing the sheet with the step armed disarms it.
    page->Item<QPushButton>(CAutoPosition::kSetOffset)->click();
    main.dlg.CloseAdjustSheet();
    EXPECT_EQ(main.dlg.m_SetOffsetMode, 0);
}

}  // namespace
