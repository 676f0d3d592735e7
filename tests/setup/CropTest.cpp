// The Crop page on a started station: each ratio and a custom size re-lay the main dialog and
// fit the live picture at once, the two rotations with their pause, the choices a turned
// picture leaves, and a turned picture painted whole.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <string>

#include "platform/system/Clock.h"
#include "platform/ui/PropertySheet.h"
#include "setup/AdjustSheet.h"
#include "setup/Crop.h"
#include "station/ControlIds.h"
#include "station/DisplayWindow.h"
#include "station/Layout.h"
#include "tests/setup/SheetFixture.h"
#include "tests/station/StationFixture.h"
#include "tests/support/RowName.h"

namespace {

using Page = CPropPageCrop;

class CropPage : public station_test::StationFixture {
  protected:
    // A live station in the given layout with its preview window, and the Crop page shown.
    Page& Open(int interface, int rotation = 0) {
        EXPECT_TRUE(Start());
        CTRIPOD01Dlg& dlg = Dialog();
        dlg.m_PassWord = "None";
        dlg.m_Interface = interface;
        dlg.m_RotationAngle = rotation;
        dlg.OnTimer(kPreviewTimer);  // the first tick makes the preview window
        dlg.OnTimer(kPreviewTimer);  // and the second shows a frame
        dlg.OnAdjust();
        Page* page = ShowPage<Page>(*PropSheetOf(dlg));
        EXPECT_NE(page, nullptr) << "no Crop page";
        return *page;
    }
    // Near the left edge: a radio button takes clicks on its circle and caption only.
    static void Click(Page& page, int id) {
        QWidget* control = page.GetDlgItem(id);
        QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
    }
    static void Type(Page& page, int id, const char* text) {
        auto* edit = page.Item<QLineEdit>(id);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // The controls a ratio row cannot pick when the picture is turned.
    static std::string Disabled(const Page& page) {
        std::string off;
        for (const auto& [id, name] : {std::pair{Page::kFourFifths, "4/5"},
                                       {Page::kThreeQuarters, "3/4"},
                                       {Page::kTwoThirds, "2/3"},
                                       {Page::kSquare, "1/1"}}) {
            if (!page.GetDlgItem(id)->isEnabled())
                off += off.empty() ? name : std::string(" ") + name;
        }
        return off;
    }
};

struct ChoiceRow {
    const char* name;
    int interface;
    bool turned;  // "90" pressed first
    int choiceId;
    const char* width;  // typed for "Custom", then "Resize"
    const char* height;
    int w, h, offsetX, offsetY, cropSelect;
};

class CropChoices : public CropPage, public testing::WithParamInterface<ChoiceRow> {};

TEST_P(CropChoices, ReLayTheDialogAndFitTheLivePictureAtOnce) {
    const ChoiceRow& row = GetParam();
    Page& page = Open(row.interface);
    CTRIPOD01Dlg& dlg = Dialog();
    if (row.turned)
        Click(page, Page::kRotation90);
    Click(page, row.choiceId);
    const bool custom = row.choiceId == Page::kCustom;
    EXPECT_EQ(page.IsItemReadOnly(Page::kWidthEdit), !custom);
    EXPECT_EQ(page.IsItemReadOnly(Page::kHeightEdit), !custom);
    if (custom) {
        Type(page, Page::kWidthEdit, row.width);
        Type(page, Page::kHeightEdit, row.height);
        Click(page, Page::kResize);
    }
    EXPECT_EQ(dlg.m_CropSelect, row.cropSelect);
    EXPECT_EQ(QSize(dlg.m_CropWidth, dlg.m_CropHeight), QSize(row.w, row.h));
    EXPECT_EQ(QPoint(dlg.m_CropOffsetX, dlg.m_CropOffsetY), QPoint(row.offsetX, row.offsetY));
    EXPECT_EQ(page.GetDlgItemText(Page::kWidthEdit), QString::number(row.w));  // the size used
    EXPECT_EQ(page.GetDlgItemText(Page::kHeightEdit), QString::number(row.h));
    // The size rule, or taller where a turned picture is shorter than the Law Enforcement column.
    const int frame = dlg.frameGeometry().height() - dlg.geometry().height();
    const int column = row.interface == 0
                           ? LawEnforcementClientHeight(row.w, row.h, row.turned ? 1 : 0) + frame
                           : 0;
    EXPECT_EQ(dlg.frameGeometry().size(), QSize(row.w + 130, std::max({row.h + 60, 493, column})));
    EXPECT_EQ(dlg.ItemRect(ids::kCapture), QRect(0, row.h + 1, row.w, 25));
    EXPECT_EQ(dlg.m_hPreviewWnd->geometry(), QRect(0, 0, row.w, row.h));
    EXPECT_EQ(dlg.m_hPreviewWnd->m_Rotation, row.turned ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CropChoices,
    testing::Values(
        ChoiceRow{"NoCropping", 1, false, Page::kNoCropping, "", "", 624, 468, 8, 6, 0},
        ChoiceRow{"FourFifths", 0, false, Page::kFourFifths, "", "", 376, 468, 132, 6, 1},
        ChoiceRow{"ThreeQuarters", 1, false, Page::kThreeQuarters, "", "", 356, 475, 142, 2, 2},
        ChoiceRow{"TwoThirds", 0, false, Page::kTwoThirds, "", "", 312, 468, 164, 6, 3},
        ChoiceRow{"Square", 1, false, Page::kSquare, "", "", 468, 468, 86, 6, 4},
        ChoiceRow{"TurnedNoCropping", 1, true, Page::kNoCropping, "", "", 480, 600, 0, 20, 0},
        ChoiceRow{"TurnedSquare", 0, true, Page::kSquare, "", "", 468, 468, 6, 86, 4},
        ChoiceRow{"CustomWiderThanTheFrame", 1, false, Page::kCustom, "700", "300", 640, 300, 0, 90,
                  5},
        ChoiceRow{"CustomLettersAndNegative", 0, false, Page::kCustom, "abc", " -5", 100, 1, 270,
                  239, 5},
        ChoiceRow{"CustomOverflowAndTrailingText", 1, false, Page::kCustom, "99999999999999",
                  "400px", 640, 400, 0, 40, 5},
        ChoiceRow{"CustomTallerThanTheFrame", 1, false, Page::kCustom, "320", "600", 320, 480, 160,
                  0, 5},
        ChoiceRow{"CustomTurned", 1, true, Page::kCustom, "500", "700", 480, 640, 0, 0, 5}),
    RowName{});

TEST_F(CropPage, TurningAndBackEachPauseOnceAndLeaveTheRatiosTheLayoutAllows) {
    Page& page = Open(1);
    CTRIPOD01Dlg& dlg = Dialog();
    Click(page, Page::kThreeQuarters);
    const int64_t before = sys::NowMs();
    Click(page, Page::kRotation90);
    EXPECT_EQ(sys::NowMs() - before, 30);
    EXPECT_EQ(dlg.m_RotationAngle, 1);
    EXPECT_EQ(dlg.m_CropSelect, 0);
    EXPECT_TRUE(page.IsDlgButtonChecked(Page::kNoCropping));
    EXPECT_EQ(page.GetDlgItemText(Page::kWidthEdit), "480");
    EXPECT_TRUE(page.IsItemReadOnly(Page::kWidthEdit));
    EXPECT_EQ(Disabled(page), "4/5 3/4 2/3");
    EXPECT_EQ(dlg.m_hPreviewWnd->geometry(), QRect(0, 0, 480, 600));
    EXPECT_EQ(dlg.frameGeometry().size(), QSize(610, 660));

    Click(page, Page::kRotation270);
    EXPECT_EQ(sys::NowMs() - before, 60);
    EXPECT_EQ(dlg.m_RotationAngle, 2);
    EXPECT_EQ(dlg.m_hPreviewWnd->m_Rotation, 2);
    EXPECT_EQ(Disabled(page), "4/5 3/4 2/3");

    Click(page, Page::kRotation0);
    EXPECT_EQ(sys::NowMs() - before, 90);
    EXPECT_EQ(dlg.m_RotationAngle, 0);
    EXPECT_EQ(QRect(dlg.m_CropOffsetX, dlg.m_CropOffsetY, dlg.m_CropWidth, dlg.m_CropHeight),
              QRect(8, 6, 624, 468));
    EXPECT_EQ(dlg.m_hPreviewWnd->geometry(), QRect(0, 0, 624, 468));
    EXPECT_EQ(Disabled(page), "");
}

struct ReopenRow {
    const char* name;
    int interface;
    int rotation;
    const char* disabled;
};

class CropReopened : public CropPage, public testing::WithParamInterface<ReopenRow> {};

TEST_P(CropReopened, TurnedInTheLawEnforcementLayoutOffersNoRatio) {
    const ReopenRow& row = GetParam();
    Page& page = Open(row.interface, row.rotation);
    EXPECT_EQ(Disabled(page), row.disabled);
    EXPECT_TRUE(page.IsDlgButtonChecked(Page::kRotation0 + row.rotation));
    EXPECT_EQ(page.GetDlgItemText(Page::kCameraTypeEdit), "PTZ Rev 3");  // model 14
}

INSTANTIATE_TEST_SUITE_P(Rows, CropReopened,
                         testing::Values(ReopenRow{"LawTurned90", 0, 1, "4/5 3/4 2/3 1/1"},
                                         ReopenRow{"LawTurned270", 0, 2, "4/5 3/4 2/3 1/1"},
                                         ReopenRow{"StandardTurned", 1, 1, ""},
                                         ReopenRow{"LawUpright", 0, 0, ""}),
                         RowName{});

TEST_F(CropPage, AfterNinetyThePaintedPictureIsTheWholeTurnedCrop) {
    Page& page = Open(1);
    CTRIPOD01Dlg& dlg = Dialog();
    Click(page, Page::kRotation90);
    dlg.OnTimer(kPreviewTimer);
    CDisplayWindow& window = *dlg.m_hPreviewWnd;
    const QImage painted = window.grab().toImage();
    ASSERT_EQ(painted.size(), QSize(480, 600));
    // Window (x, y) shows frame pixel (20 + y, 479 - x): the crop's top row down the right edge.
    int mismatches = 0;
    for (int y = 0; y < 600; y += 7) {
        for (int x = 0; x < 480; x += 5) {
            const int frameRow = 479 - x;  // the memory holds the bottom row first
            const uint8_t* bgr = window.m_pBits +
                                 static_cast<size_t>(kFrameHeight - 1 - frameRow) * kFrameStride +
                                 static_cast<size_t>(20 + y) * 3;
            if (painted.pixel(x, y) != qRgb(bgr[2], bgr[1], bgr[0]) && ++mismatches < 4)
                ADD_FAILURE() << "window pixel " << x << "," << y;
        }
    }
}

}  // namespace
