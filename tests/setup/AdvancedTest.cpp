// The Advanced page on a scripted camera: each control's whole record of head traffic with its
// waits, the main dialog's member it sets, and the layout the main dialog takes at once.
#include "setup/AdjustSheet.h"
#include "setup/Advanced.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <functional>
#include <memory>
#include <tuple>

#include "platform/ui/UpDown.h"
#include "station/ControlIds.h"
#include "tests/station/HeadRecord.h"

namespace {

using A = CPropAdvanced;
using station_test::Lines;
using Member = int32_t StationSettings::*;

Lines FineZoomRecord(int target) {
    return {"A = 0 @ 0 ms", "command 155 @ 100 ms", "read A @ 350 ms",
            "A = " + std::to_string(target) + " @ 350 ms", "command 157 @ 350 ms"};
}

class AdvancedPage : public station_test::ScriptedStation {
  protected:
    // The page alone on a sheet over the station, started at the first opening.
    A& Open(const std::function<void(CTRIPOD01Dlg&)>& stored = {}) {
        CTRIPOD01Dlg& dlg = sheet_ ? Dialog() : StartOn(14);
        if (stored)
            stored(dlg);
        sheet_ = std::make_unique<ui::PropertySheet>("Adjust", &dlg);
        page_ = new A;
        page_->SetMainDialog(&dlg);
        sheet_->AddPage(page_);
        sheet_->Create();
        return *page_;
    }
    Lines Press(int id, int delta = 0) {
        Mark();
        if (delta != 0) {
            page_->Item<ui::UpDown>(id)->Step(delta);
        } else {
            page_->Item<QAbstractButton>(id)->click();
        }
        return Record();
    }
    QString Shown(int id) const { return page_->GetDlgItemText(id); }

    std::unique_ptr<ui::PropertySheet> sheet_;
    A* page_ = nullptr;
};

TEST_F(AdvancedPage, OpeningShowsTheSettingsSetsFocusAndReadsTheZoom) {
    const struct {
        int aperature, sharpness, autoFocus, interface;
        const char *before, *after, *focus;
        int layout;
    } rows[] = {{0, 2, 1, 0, "3", "2", "command 9 @ 0 ms", A::kLawEnforcement},
                {4, 7, 0, 5, "4", "1", "command 10 @ 0 ms", A::kStandard}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before);
        script_.zoomPosition = 4321;
        Open([this, &row](CTRIPOD01Dlg& dlg) {
            dlg.m_Aperature = row.aperature;
            dlg.m_Sharpness = row.sharpness;
            dlg.m_AutoFocus = row.autoFocus;
            dlg.m_Interface = row.interface;
            dlg.m_LockIris = 1;
            Mark();
        });
        EXPECT_EQ(Record(),
                  (Lines{row.focus, "A = 0 @ 0 ms", "command 155 @ 100 ms", "read A @ 350 ms"}));
        EXPECT_EQ(Shown(A::kBeforeCaptureEdit), row.before);
        EXPECT_EQ(Shown(A::kAfterCaptureEdit), row.after);
        EXPECT_EQ(QString::number(Dialog().m_Aperature), row.before);
        EXPECT_EQ(QString::number(Dialog().m_Sharpness), row.after);
        EXPECT_EQ(page_->m_ZoomPosition, 4321);
        EXPECT_TRUE(page_->IsDlgButtonChecked(row.layout));
        EXPECT_TRUE(page_->IsDlgButtonChecked(A::kLockIris) && page_->IsDlgButtonChecked(A::kMed));
    }
}

TEST_F(AdvancedPage, BeforeCaptureSendsTheArrowsCodeAtEveryPressAfterCaptureNothing) {
    Open();  // "Before Capture" shows 3, "After Capture" 2
    const struct {
        int spin, delta;
        const char* shown;
        int code;  // 0: nothing sent
    } presses[] = {{A::kBeforeCaptureSpin, +1, "4", 145}, {A::kBeforeCaptureSpin, +1, "4", 145},
                   {A::kBeforeCaptureSpin, -1, "3", 147}, {A::kBeforeCaptureSpin, -1, "2", 149},
                   {A::kBeforeCaptureSpin, -1, "1", 151}, {A::kBeforeCaptureSpin, -1, "0", 144},
                   {A::kBeforeCaptureSpin, -1, "0", 144}, {A::kBeforeCaptureSpin, +1, "1", 151},
                   {A::kAfterCaptureSpin, -1, "1", 0},    {A::kAfterCaptureSpin, -1, "0", 0},
                   {A::kAfterCaptureSpin, -1, "0", 0},    {A::kAfterCaptureSpin, +1, "1", 0},
                   {A::kAfterCaptureSpin, +1, "2", 0},    {A::kAfterCaptureSpin, +1, "3", 0},
                   {A::kAfterCaptureSpin, +1, "3", 0}};
    for (const auto& press : presses) {
        const Lines sent = press.code == 0 ? Lines{}
                                           : Lines{"A = " + std::to_string(press.code) + " @ 0 ms",
                                                   "command 151 @ 20 ms"};
        EXPECT_EQ(Press(press.spin, press.delta), sent);
        EXPECT_EQ(Shown(press.spin == A::kAfterCaptureSpin ? A::kAfterCaptureEdit
                                                           : A::kBeforeCaptureEdit),
                  press.shown);
    }
    EXPECT_EQ(Dialog().m_Aperature, 1);
    EXPECT_EQ(Dialog().m_Sharpness, 3);
}

TEST_F(AdvancedPage, TypedSharpnessIsNeverTakenAndHoldsNothingUp) {
    Open();
    auto* edit = page_->Item<QLineEdit>(A::kBeforeCaptureEdit);
    QTest::keyClicks(edit, "x");
    EXPECT_TRUE(Press(A::kLockIris).empty());
    EXPECT_EQ(Dialog().m_LockIris, 1);
    EXPECT_TRUE(page_->OnKillActive());  // a tab change or the close
    EXPECT_TRUE(services_.Messages().empty());
    QTest::keyClick(edit, Qt::Key_Return);  // done typing: the setting shows again
    EXPECT_EQ(Shown(A::kBeforeCaptureEdit), "3");
    edit->setText("1");
    Press(A::kBeforeCaptureSpin, +1);  // from the setting, not from the number typed
    EXPECT_EQ(Shown(A::kBeforeCaptureEdit), "4");
}

struct ControlRow {
    const char* name;
    int id;
    uint16_t zoomAnswer;
    Lines record;
    Member member;
    int value;
};

void PrintTo(const ControlRow& row, std::ostream* os) {
    *os << row.name;
}

class AdvancedControl : public AdvancedPage, public testing::WithParamInterface<ControlRow> {};

TEST_P(AdvancedControl, RecordAndSetting) {
    const ControlRow& row = GetParam();
    Open();
    script_.zoomPosition = row.zoomAnswer;
    EXPECT_EQ(Press(row.id), row.record);
    EXPECT_EQ(Dialog().*row.member, row.value);
}

using S = StationSettings;
// A fine zoom from the head's `from` goes to and keeps `to`; a preset keeps the head's zoom.
ControlRow Fine(const char* name, int id, uint16_t from, int to) {
    return {name, id, from, FineZoomRecord(to), &S::m_ZoomAutoPosition, to};
}
ControlRow Preset(const char* name, int id, uint16_t zoom, Member member) {
    return {name, id, zoom, {"command 155 @ 0 ms", "read A @ 250 ms"}, member, zoom};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AdvancedControl,
    testing::Values(Fine("FineZoomIn", A::kFineZoomIn, 1000, 1200),
                    Fine("FineZoomOut", A::kFineZoomOut, 3000, 2800),
                    Fine("FineZoomOutAt0Stays0", A::kFineZoomOut, 0, 0),
                    Fine("FineZoomOutNear0StopsAt0", A::kFineZoomOut, 150, 0),
                    Fine("FineZoomInStopsAt65535", A::kFineZoomIn, 65400, 65535),
                    Preset("Preset1", A::kPreset1, 1100, &S::m_ZoomPreset1),
                    Preset("Preset2", A::kPreset2, 2200, &S::m_ZoomPreset2),
                    Preset("Preset3", A::kPreset3, 3300, &S::m_ZoomPreset3),
                    ControlRow{"LockZoom", A::kLockZoom, 0, {}, &S::m_LockZoom, 1},
                    ControlRow{"LockIris", A::kLockIris, 0, {}, &S::m_LockIris, 1},
                    ControlRow{"LockColor", A::kLockColor, 0, {}, &S::m_ColorCorrectionLock, 1},
                    ControlRow{"Fastest", A::kFastest, 0, {}, &S::m_LiveCapture, 0},
                    ControlRow{"Best", A::kBest, 0, {}, &S::m_LiveCapture, 2}),
    RowName{});

TEST_F(AdvancedPage, FineZoomStartsEachPressFromAFreshRead) {
    Open();
    script_.zoomPosition = 1000;
    EXPECT_EQ(Press(A::kFineZoomIn), FineZoomRecord(1200));
    script_.zoomPosition = 5000;  // moved from the main dialog meanwhile
    EXPECT_EQ(Press(A::kFineZoomIn), FineZoomRecord(5200));
}

TEST_F(AdvancedPage, PageDefaultsSendTheStartUpCodeOfTheStoredDefault) {
    const struct {
        int defaultAperature;
        Lines sharpness;
    } rows[] = {{2, {"A = 150 @ 0 ms", "command 151 @ 0 ms"}}, {9, {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.defaultAperature);
        Open([&row](CTRIPOD01Dlg& dlg) {
            dlg.m_DefaultAperature = row.defaultAperature;
            dlg.m_DefaultSharpness = 0;
            dlg.m_LockZoom = 1;
        });
        Lines expected{"A = 124 @ 0 ms", "command 147 @ 0 ms", "A = 64 @ 0 ms",
                       "command 148 @ 0 ms"};
        expected.insert(expected.end(), row.sharpness.begin(), row.sharpness.end());
        EXPECT_EQ(Press(A::kPageDefaults), expected);
        CTRIPOD01Dlg& dlg = Dialog();
        EXPECT_EQ(std::tuple(dlg.m_Brightness, dlg.m_Contrast, dlg.m_Aperature, dlg.m_LockZoom),
                  std::tuple(124, 64, row.defaultAperature, 1));
        EXPECT_EQ(Shown(A::kBeforeCaptureEdit), QString::number(row.defaultAperature));
        EXPECT_EQ(Shown(A::kAfterCaptureEdit), "0");
    }
}

TEST_F(AdvancedPage, FromAdjustTheLayoutRadiosReLayTheMainDialogAtOnce) {
    CTRIPOD01Dlg& dlg = StartOn(14);  // stored layout: Standard
    QTest::mouseClick(dlg.GetDlgItem(ids::kAdjust), Qt::LeftButton);
    auto* tabs = PropSheetOf(dlg)->findChild<QTabBar*>();
    int advanced = 0;
    while (advanced < tabs->count() && tabs->tabText(advanced) != "Advanced")
        ++advanced;
    ASSERT_EQ(tabs->tabText(advanced + 1), "Capture Type");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(advanced).center());
    page_ = qobject_cast<A*>(PropSheetOf(dlg)->GetActivePage());
    ASSERT_NE(page_, nullptr);

    const int w = dlg.m_CropWidth;
    EXPECT_TRUE(Press(A::kLawEnforcement).empty());
    EXPECT_EQ(dlg.m_Interface, 0);
    EXPECT_FALSE(dlg.IsItemVisible(ids::kPanTiltGroup));
    EXPECT_EQ(dlg.ItemRect(ids::kHome), QRect(w + 15, 6, 85, 22));
    Press(A::kStandard);
    EXPECT_EQ(dlg.m_Interface, 1);
    EXPECT_FALSE(dlg.IsItemVisible(ids::kZoomControlGroup));
    EXPECT_EQ(dlg.ItemRect(ids::kHome), QRect(w + 11, 130, 85, 22));

    Mark();  // the Up key in the buddy steps as the arrow does
    QTest::keyClick(page_->GetDlgItem(A::kBeforeCaptureEdit), Qt::Key_Up);
    EXPECT_EQ(Record(), (Lines{"A = 145 @ 0 ms", "command 151 @ 20 ms"}));
}

}  // namespace
