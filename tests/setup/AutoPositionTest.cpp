// The Auto Position page: on the sheet only for the positioning classes, its instruction text,
// the reverse switches, and the set-offset step from "Set Offset" to the release that ends it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStringList>

#include "setup/AutoPosition.h"
#include "tests/setup/SheetFixture.h"

namespace {

// The sheet opened on a main dialog for a camera of class `cameraType`.
struct OpenSheet : MainWithSheet {
    explicit OpenSheet(int32_t cameraType) : MainWithSheet(cameraType) { PressAdjust(); }
    CAutoPosition* ShowPage() { return ::ShowPage<CAutoPosition>(Sheet()); }
};

TEST(AutoPosition, OnTheSheetOnlyForClasses4And5AndLast) {
    const int otherPages = PropSheetOf(OpenSheet(0).dlg)->GetPageCount();
    for (const int32_t cameraType : {0, 1, 3, 4, 5}) {
        OpenSheet main(cameraType);
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
    OpenSheet main(5);
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
    OpenSheet main(4);
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
