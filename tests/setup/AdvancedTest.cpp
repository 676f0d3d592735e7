// The Advanced page on a scripted camera: each control's whole record of head traffic with its
// waits, the main dialog's members it sets, and the layout the main dialog takes at once.
#include "setup/Advanced.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <functional>
#include <memory>
#include <tuple>
#include <utility>

#include "platform/ui/UpDown.h"
#include "station/ControlIds.h"
#include "tests/station/HeadRecord.h"

namespace {

using A = CPropAdvanced;
using station_test::Lines;

class AdvancedPage : public station_test::ScriptedStation {
  protected:
    // The page alone on a sheet over a started station, its initialisation recorded.
    A& Open(const std::function<void(CTRIPOD01Dlg&)>& stored = {}) {
        CTRIPOD01Dlg& dlg = StartOn(14);
        if (stored)
            stored(dlg);
        sheet_ = std::make_unique<ui::PropertySheet>("Adjust", &dlg);
        auto* page = new A;
        page->SetMainDialog(&dlg);
        sheet_->AddPage(page);
        Mark();
        sheet_->Create();
        return *page;
    }
    void Step(A& page, int spinId, int delta) { page.Item<ui::UpDown>(spinId)->Step(delta); }
    void Click(A& page, int id) { page.Item<QAbstractButton>(id)->click(); }

    std::unique_ptr<ui::PropertySheet> sheet_;
};

struct InitRow {
    const char* name;
    int aperature, sharpness, autoFocus, interface;
    const char* beforeShown;
    const char* afterShown;
    const char* focusCommand;
    int layoutChecked;
};

class AdvancedInit : public AdvancedPage, public testing::WithParamInterface<InitRow> {};

TEST_P(AdvancedInit, ShowsTheSettingsSetsFocusAndReadsTheZoom) {
    const InitRow& row = GetParam();
    script_.zoomPosition = 4321;
    A& page = Open([&row](CTRIPOD01Dlg& dlg) {
        dlg.m_Aperature = row.aperature;
        dlg.m_Sharpness = row.sharpness;
        dlg.m_AutoFocus = row.autoFocus;
        dlg.m_Interface = row.interface;
        dlg.m_LiveCapture = 2;
        dlg.m_LockIris = 1;
    });
    EXPECT_EQ(Record(), (Lines{row.focusCommand, "A = 0 @ 0 ms", "command 155 @ 100 ms",
                               "read A @ 350 ms"}));
    EXPECT_EQ(page.GetDlgItemText(A::kBeforeCaptureEdit), row.beforeShown);
    EXPECT_EQ(page.GetDlgItemText(A::kAfterCaptureEdit), row.afterShown);
    EXPECT_EQ(Dialog().m_Aperature, std::stoi(row.beforeShown));
    EXPECT_EQ(Dialog().m_Sharpness, std::stoi(row.afterShown));
    EXPECT_EQ(page.m_ZoomPosition, 4321);
    EXPECT_TRUE(page.IsDlgButtonChecked(row.layoutChecked));
    EXPECT_TRUE(page.IsDlgButtonChecked(A::kBest));
    EXPECT_TRUE(page.IsDlgButtonChecked(A::kLockIris));
    EXPECT_FALSE(page.IsDlgButtonChecked(A::kLockZoom));
    EXPECT_FALSE(page.Item<QPushButton>(A::kFineZoomIn)->icon().isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AdvancedInit,
    testing::Values(InitRow{"StoredBeforeCapture0Shows3", 0, 2, 1, 0, "3", "2",
                            "command 9 @ 0 ms", A::kLawEnforcement},
                    InitRow{"AfterCaptureOutOfRangeShows1", 4, 7, 0, 5, "4", "1",
                            "command 10 @ 0 ms", A::kStandard}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AdvancedPage, BeforeCaptureSendsTheArrowsCodeAtEveryPressAndAfterCaptureNothing) {
    A& page = Open();  // "Before Capture" shows 3
    Mark();
    const struct {
        int delta;
        const char* shown;
        int code;
    } presses[] = {{+1, "4", 145}, {+1, "4", 145}, {-1, "3", 147}, {-1, "2", 149}, {-1, "1", 151},
                   {-1, "0", 144}, {-1, "0", 144}, {+1, "1", 151}, {+1, "2", 149}};
    Lines expected;
    for (const auto& press : presses) {
        const int64_t t = static_cast<int64_t>(expected.size()) * 20;
        Step(page, A::kBeforeCaptureSpin, press.delta);
        EXPECT_EQ(page.GetDlgItemText(A::kBeforeCaptureEdit), press.shown);
        expected.push_back("A = " + std::to_string(press.code) + " @ " + std::to_string(t) + " ms");
        expected.push_back("command 151 @ " + std::to_string(t + 20) + " ms");
    }
    EXPECT_EQ(Record(), expected);
    EXPECT_EQ(Dialog().m_Aperature, 2);

    Mark();  // "After Capture" shows 2
    const std::pair<int, const char*> afterPresses[] = {{-1, "1"}, {-1, "0"}, {-1, "0"}, {+1, "1"},
                                                        {+1, "2"}, {+1, "3"}, {+1, "3"}};
    for (const auto& [delta, shown] : afterPresses) {
        Step(page, A::kAfterCaptureSpin, delta);
        EXPECT_EQ(page.GetDlgItemText(A::kAfterCaptureEdit), shown);
    }
    EXPECT_EQ(Dialog().m_Sharpness, 3);
    EXPECT_TRUE(Record().empty());
}

TEST_F(AdvancedPage, TypedSharpnessIsNeverTakenAndBlocksNothing) {
    A& page = Open();
    auto* edit = page.Item<QLineEdit>(A::kBeforeCaptureEdit);
    QTest::keyClicks(edit, "x");
    Click(page, A::kLockIris);
    EXPECT_EQ(Dialog().m_LockIris, 1);
    EXPECT_TRUE(page.OnKillActive());  // a tab change or the close
    EXPECT_TRUE(services_.Messages().empty());
    EXPECT_EQ(Dialog().m_Aperature, 3);

    QTest::keyClick(edit, Qt::Key_Return);  // the operator is done with it: the setting shows
    EXPECT_EQ(page.GetDlgItemText(A::kBeforeCaptureEdit), "3");
    edit->setText("1");
    Step(page, A::kBeforeCaptureSpin, +1);  // from the setting, not from the typed number
    EXPECT_EQ(Dialog().m_Aperature, 4);
    EXPECT_EQ(page.GetDlgItemText(A::kBeforeCaptureEdit), "4");
}

struct FineZoomRow {
    const char* name;
    int button;
    std::vector<std::pair<uint16_t, int>> answerAndTarget;  // one press each
};

class FineZoom : public AdvancedPage, public testing::WithParamInterface<FineZoomRow> {};

TEST_P(FineZoom, MovesFromAFreshReadWithinTheArgumentsRange) {
    A& page = Open();
    for (const auto& [answer, target] : GetParam().answerAndTarget) {
        script_.zoomPosition = answer;
        Mark();
        Click(page, GetParam().button);
        const std::string a = "A = " + std::to_string(target);
        EXPECT_EQ(Record(), (Lines{"A = 0 @ 0 ms", "command 155 @ 100 ms", "read A @ 350 ms",
                                   a + " @ 350 ms", "command 157 @ 350 ms"}));
        EXPECT_EQ(Dialog().m_ZoomAutoPosition, target);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FineZoom,
    testing::Values(FineZoomRow{"InTwiceEachFromAFreshRead", A::kFineZoomIn, {{1000, 1200},
                                                                             {5000, 5200}}},
                    FineZoomRow{"OutFromAMiddlePosition", A::kFineZoomOut, {{3000, 2800}}},
                    FineZoomRow{"OutAt0Stays0", A::kFineZoomOut, {{0, 0}}},
                    FineZoomRow{"OutNear0StopsAt0", A::kFineZoomOut, {{150, 0}}},
                    FineZoomRow{"InNearTheTopStopsAt65535", A::kFineZoomIn, {{65400, 65535}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AdvancedPage, PresetsLocksAndLiveCaptureSetTheMainDialog) {
    A& page = Open();
    CTRIPOD01Dlg& dlg = Dialog();
    const std::tuple<int, int32_t*, uint16_t> presets[] = {{A::kPreset1, &dlg.m_ZoomPreset1, 1100},
                                                           {A::kPreset2, &dlg.m_ZoomPreset2, 2200},
                                                           {A::kPreset3, &dlg.m_ZoomPreset3, 3300}};
    for (const auto& [id, preset, answer] : presets) {
        script_.zoomPosition = answer;
        Mark();
        Click(page, id);
        EXPECT_EQ(Record(), (Lines{"command 155 @ 0 ms", "read A @ 250 ms"}));
        EXPECT_EQ(*preset, answer);
    }
    Mark();
    const std::pair<int, int32_t*> locks[] = {{A::kLockZoom, &dlg.m_LockZoom},
                                              {A::kLockIris, &dlg.m_LockIris},
                                              {A::kLockColor, &dlg.m_ColorCorrectionLock}};
    for (const auto& [id, lock] : locks) {
        Click(page, id);
        EXPECT_EQ(*lock, 1) << id;
        Click(page, id);
        EXPECT_EQ(*lock, 0) << id;
    }
    const std::pair<int, int> choices[] = {{A::kBest, 2}, {A::kFastest, 0}, {A::kMed, 1}};
    for (const auto& [id, choice] : choices) {
        Click(page, id);
        EXPECT_EQ(dlg.m_LiveCapture, choice);
        EXPECT_EQ(page.m_LiveCapture, choice);
    }
    EXPECT_TRUE(Record().empty());
}

struct DefaultsRow {
    const char* name;
    int defaultAperature;
    Lines sharpnessCommand;
    const char* beforeShown;
};

class PageDefaults : public AdvancedPage, public testing::WithParamInterface<DefaultsRow> {};

TEST_P(PageDefaults, BrightnessContrastAndTheStoredDefaults) {
    const DefaultsRow& row = GetParam();
    A& page = Open([&row](CTRIPOD01Dlg& dlg) {
        dlg.m_DefaultAperature = row.defaultAperature;
        dlg.m_DefaultSharpness = 0;
        dlg.m_LockZoom = 1;
        dlg.m_ZoomPreset2 = 777;
    });
    Mark();
    Click(page, A::kPageDefaults);
    Lines expected{"A = 124 @ 0 ms", "command 147 @ 0 ms", "A = 64 @ 0 ms", "command 148 @ 0 ms"};
    expected.insert(expected.end(), row.sharpnessCommand.begin(), row.sharpnessCommand.end());
    EXPECT_EQ(Record(), expected);
    CTRIPOD01Dlg& dlg = Dialog();
    EXPECT_EQ(dlg.m_Brightness, 124);
    EXPECT_EQ(dlg.m_Contrast, 64);
    EXPECT_EQ(dlg.m_Aperature, row.defaultAperature);
    EXPECT_EQ(page.GetDlgItemText(A::kBeforeCaptureEdit), row.beforeShown);
    EXPECT_EQ(page.GetDlgItemText(A::kAfterCaptureEdit), "0");
    EXPECT_EQ(dlg.m_LockZoom, 1);
    EXPECT_EQ(dlg.m_ZoomPreset2, 777);
    EXPECT_TRUE(page.IsDlgButtonChecked(A::kLockZoom));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PageDefaults,
    testing::Values(
        DefaultsRow{"Level2SendsTheStartUpCode150", 2, {"A = 150 @ 0 ms", "command 151 @ 0 ms"},
                    "2"},
        DefaultsRow{"Level5", 5, {"A = 145 @ 0 ms", "command 151 @ 0 ms"}, "5"},
        DefaultsRow{"OutsideTheCodeTableSendsNoSharpness", 9, {}, "9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AdvancedPage, OpenedFromAdjustTheLayoutRadiosReLayTheMainDialogAtOnce) {
    CTRIPOD01Dlg& dlg = StartOn(14);  // stored layout: Standard
    QTest::mouseClick(dlg.GetDlgItem(ids::kAdjust), Qt::LeftButton);
    auto* tabs = dlg.m_PropSheet->findChild<QTabBar*>();
    ASSERT_NE(tabs, nullptr);
    int advanced = 0;
    while (advanced < tabs->count() && tabs->tabText(advanced) != "Advanced")
        ++advanced;
    ASSERT_LT(advanced + 1, tabs->count());
    EXPECT_EQ(tabs->tabText(advanced + 1), "Capture Type");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(advanced).center());
    auto* page = qobject_cast<A*>(dlg.m_PropSheet->GetActivePage());
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->IsDlgButtonChecked(A::kStandard));

    const int w = dlg.m_CropWidth;
    Click(*page, A::kLawEnforcement);
    EXPECT_EQ(dlg.m_Interface, 0);
    EXPECT_FALSE(dlg.IsItemVisible(ids::kPanTiltGroup));
    EXPECT_TRUE(dlg.IsItemVisible(ids::kZoomControlGroup));
    EXPECT_EQ(dlg.ItemRect(ids::kHome), QRect(w + 15, 6, 85, 22));
    EXPECT_EQ(dlg.ItemRect(ids::kZoomIn).topLeft(), QPoint(w + 22, 135));

    Click(*page, A::kStandard);
    EXPECT_EQ(dlg.m_Interface, 1);
    EXPECT_TRUE(dlg.IsItemVisible(ids::kPanTiltGroup));
    EXPECT_FALSE(dlg.IsItemVisible(ids::kPreset1));
    EXPECT_EQ(dlg.ItemRect(ids::kHome), QRect(w + 11, 130, 85, 22));
    EXPECT_EQ(dlg.ItemRect(ids::kZoomIn).topLeft(), QPoint(w + 22, 171));

    // Keys in the buddy step the level as the arrows do.
    Mark();
    QTest::keyClick(page->GetDlgItem(A::kBeforeCaptureEdit), Qt::Key_Up);
    EXPECT_EQ(Record(), (Lines{"A = 145 @ 0 ms", "command 151 @ 20 ms"}));
}

}  // namespace
