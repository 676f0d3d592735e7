// The up-down control with its buddy edit, as a page's handlers see it: where a step starts,
// where it stops, what it notifies and what reaches it (buttons, keys, code).
#include "platform/ui/UpDown.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <vector>

#include "platform/ui/Dialog.h"
#include "tests/support/RowName.h"

namespace {

constexpr int kEdit = 1116;
constexpr int kSpin = 1115;

struct SpinDialog : ui::Dialog {
    SpinDialog() {
        auto* edit = new QLineEdit;
        edit->setReadOnly(true);
        AddControl(kEdit, edit);
        auto* spin = new ui::UpDown;
        AddControl(kSpin, spin);
        spin->SetBuddy(edit);
        spin->setGeometry(0, 0, 16, 24);
        MapStep(kSpin, [this](const ui::UpDownStep& step) { steps.push_back(step); });
    }
    ui::UpDown& Spin() { return *Item<ui::UpDown>(kSpin); }
    std::vector<ui::UpDownStep> steps;
};

enum class Press { kUpArrow, kDownArrow, kUpKeyInBuddy, kDownKeyOnControl };

struct StepRow {
    const char* name;
    int lower, upper;
    const char* shown;  // the buddy's text before the step
    Press press;
    bool enabled;
    const char* shownAfter;
    int notifiedPosition;  // -999: no notification
};

class UpDownSteps : public testing::TestWithParam<StepRow> {};

TEST_P(UpDownSteps, FromTheBuddysNumberWithinTheRange) {
    const StepRow& row = GetParam();
    SpinDialog dlg;
    dlg.Spin().SetRange(row.lower, row.upper);
    dlg.Spin().SetPos(7);
    dlg.SetDlgItemText(kEdit, row.shown);
    dlg.EnableItem(kSpin, row.enabled);
    dlg.show();
    auto arrows = dlg.Spin().findChildren<QToolButton*>();
    ASSERT_EQ(arrows.size(), 2);
    const bool up = row.press == Press::kUpArrow || row.press == Press::kUpKeyInBuddy;
    if (row.press == Press::kUpArrow || row.press == Press::kDownArrow)
        QTest::mouseClick(arrows[up ? 0 : 1], Qt::LeftButton);
    else if (row.press == Press::kUpKeyInBuddy)
        QTest::keyClick(dlg.GetDlgItem(kEdit), Qt::Key_Up);
    else
        QTest::keyClick(&dlg.Spin(), Qt::Key_Down);
    EXPECT_EQ(dlg.GetDlgItemText(kEdit), row.shownAfter);
    if (row.notifiedPosition == -999) {
        EXPECT_TRUE(dlg.steps.empty());
        return;
    }
    ASSERT_EQ(dlg.steps.size(), 1u);
    EXPECT_EQ(dlg.steps[0].position, row.notifiedPosition);
    EXPECT_EQ(dlg.steps[0].delta, up ? 1 : -1);
    EXPECT_EQ(dlg.Spin().GetPos(), row.notifiedPosition);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UpDownSteps,
    testing::Values(
        StepRow{"UpFromTheShownNumber", -25, 50, "12", Press::kUpArrow, true, "13", 13},
        StepRow{"DownFromTheShownNumber", -25, 25, "-3", Press::kDownArrow, true, "-4", -4},
        StepRow{"AtTheTopStillNotifies", -25, 50, "50", Press::kUpArrow, true, "50", 50},
        StepRow{"AtTheBottomStillNotifies", 0, 3, "0", Press::kDownKeyOnControl, true, "0", 0},
        StepRow{"ShownOutsideTheRangeStepsFromItsEnd", 20, 100, "250", Press::kDownArrow, true,
                "99", 99},
        StepRow{"NoNumberShownStepsFromTheLastPosition", 0, 10, "ab", Press::kUpKeyInBuddy, true,
                "8", 8},
        StepRow{"ReversedRangeUpGoesTowardItsUpperEnd", 10, 0, "7", Press::kUpArrow, true, "6", 6},
        StepRow{"DisabledDoesNotStep", 0, 100, "12", Press::kUpKeyInBuddy, false, "12", -999}),
    RowName{});

TEST(UpDown, PositionsSetByCodeAreHeldInTheRangeAndNotifyNothing) {
    SpinDialog dlg;
    dlg.Spin().SetRange(-25, 50);
    dlg.Spin().SetPos(51);
    EXPECT_EQ(dlg.GetDlgItemText(kEdit), "50");
    dlg.Spin().SetRange(0, 3);
    EXPECT_EQ(dlg.GetDlgItemText(kEdit), "3");
    EXPECT_TRUE(dlg.steps.empty());
}

TEST(DataExchange, CheckBoxesAndReadOnlyEdits) {
    SpinDialog dlg;
    dlg.AddControl(5, new QCheckBox("Lock Zoom"));
    int locked = 7;
    ui::DataExchange toControls(dlg, false);
    toControls.Check(5, locked);
    EXPECT_TRUE(dlg.IsDlgButtonChecked(5));
    dlg.CheckDlgButton(5, false);
    ui::DataExchange toMembers(dlg, true);
    toMembers.Check(5, locked);
    EXPECT_EQ(locked, 0);

    EXPECT_TRUE(dlg.IsItemReadOnly(kEdit));
    dlg.SetItemReadOnly(kEdit, false);
    EXPECT_FALSE(dlg.IsItemReadOnly(kEdit));
}

}  // namespace
