// The Flesh Tones page on a scripted camera, opened with "&Adjust": what it shows and enables
// for each camera class and white balance, what each arrow step sends (live) or only keeps
// (flash), the white-balance buttons and "Page Defaults" with their waits, and gains held to a
// byte.
#include "setup/AdjustSheet.h"
#include "setup/FleshTones.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <string>
#include <tuple>

#include "platform/ui/PropertySheet.h"
#include "platform/ui/UpDown.h"
#include "station/ControlIds.h"
#include "tests/station/HeadRecord.h"

namespace {

using Tones = CPropAdjust;
using station_test::Lines;

class FleshTones : public station_test::ScriptedStation {
  protected:
    // The station started on `model` with `prepare` applied to its settings, then "&Adjust"
    // pressed as the operator would; the record starts after the page has opened.
    template <class Prepare>
    CPropAdjust& Open(uint16_t model, Prepare prepare) {
        CTRIPOD01Dlg& dlg = StartOn(model);
        prepare(dlg);
        dlg.Item<QPushButton>(ids::kAdjust)->click();
        ui::PropertySheet& sheet = *PropSheetOf(dlg);
        EXPECT_TRUE(sheet.IsOpen());
        auto* page = qobject_cast<CPropAdjust*>(sheet.GetPage(0));
        EXPECT_NE(page, nullptr);
        EXPECT_EQ(sheet.GetActivePage(), page);
        Mark();
        return *page;
    }
    static bool Enabled(CPropAdjust& page, int id) { return page.GetDlgItem(id)->isEnabled(); }
    static void Step(CPropAdjust& page, int id, const char* presses) {
        for (const char* p = presses; *p != '\0'; ++p)
            page.Item<ui::UpDown>(id)->Step(*p == '+' ? +1 : -1);
    }
    // The head answers the gain reports 144 and 145 with these gains (in the low byte).
    void AnswerGains(uint16_t red, uint16_t blue) {
        driver_.onWrite = [answer = driver_.onWrite, red, blue](zelvo_test::RecordingDriver& d,
                                                                uint16_t reg, uint16_t value) {
            answer(d, reg, value);
            if (reg == station_test::kCommandRegister && value == 144)
                d.registers[station_test::kArgARegister] = 0x0100 | red;
            if (reg == station_test::kCommandRegister && value == 145)
                d.registers[station_test::kArgBRegister] = 0x0200 | blue;
        };
    }
};

using D = CTRIPOD01Dlg;

// The two lines that send `value` in argument register `arg` with `command`, `times` over.
Lines Send(char arg, int value, int command, int times = 1, int ms = 0) {
    Lines lines;
    const std::string at = " @ " + std::to_string(ms) + " ms";
    for (int i = 0; i < times; ++i)
        lines.insert(lines.end(), {std::string(1, arg) + " = " + std::to_string(value) + at,
                                   "command " + std::to_string(command) + at});
    return lines;
}

struct ToneOpening {
    const char* name;
    uint16_t model;  // 2 class 1, 26 class 3, 14 class 5
    int autoWhite;
    // Shown in Live Red, Live Blue, Flash Red, Flash Blue; the arrows enabled in that order.
    std::array<const char*, 4> shown;
    std::array<bool, 4> enabled;
    int redOffsetAfter;
};

class FleshTonesOpening : public FleshTones, public testing::WithParamInterface<ToneOpening> {};

TEST_P(FleshTonesOpening, ShowsAndEnablesByClassAndWhiteBalance) {
    const ToneOpening& row = GetParam();
    CPropAdjust& page = Open(row.model, [&row](CTRIPOD01Dlg& dlg) {
        dlg.m_AutoWhite = row.autoWhite;
        dlg.m_RedPreviewOffset = 4;
        dlg.m_BluePreviewOffset = -6;
        dlg.m_RedFlashOffset = 7;
        dlg.m_BlueFlashOffset = 44;
        dlg.m_ChromaLevel = 150;  // an edited setting: shown, the arrows step from 100
        dlg.m_FlashChromaLevel = 81;
        dlg.m_PTZSpeed = 2;
        dlg.m_FlashColorCorrection = 1;
    });
    const int edits[] = {Tones::kLiveRedEdit, Tones::kLiveBlueEdit, Tones::kFlashRedEdit,
                         Tones::kFlashBlueEdit};
    const int arrows[] = {Tones::kLiveRed, Tones::kLiveBlue, Tones::kFlashRed, Tones::kFlashBlue};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(page.GetDlgItemText(edits[i]), row.shown[i]) << edits[i];
        EXPECT_EQ(Enabled(page, arrows[i]), row.enabled[i]) << arrows[i];
        EXPECT_TRUE(page.IsItemReadOnly(edits[i]));
    }
    EXPECT_EQ(page.GetDlgItemText(Tones::kLiveColorEdit), "150");
    EXPECT_EQ(page.GetDlgItemText(Tones::kFlashColorEdit), "81");
    EXPECT_TRUE(Enabled(page, Tones::kLiveColor) && Enabled(page, Tones::kFlashColor));
    EXPECT_EQ(page.IsDlgButtonChecked(Tones::kAutoWhite), row.autoWhite == 0);
    EXPECT_EQ(page.IsDlgButtonChecked(Tones::kManual), row.autoWhite == 1);
    EXPECT_TRUE(page.IsDlgButtonChecked(Tones::kFast));
    EXPECT_TRUE(page.IsDlgButtonChecked(Tones::kFluorescent));
    EXPECT_FALSE(Enabled(page, Tones::kAccurate));
    EXPECT_EQ(Dialog().m_RedPreviewOffset, row.redOffsetAfter);
    EXPECT_TRUE(Record().empty());
}

constexpr bool T = true, F = false;
const ToneOpening kOpenings[] = {
    {"Class1AutomaticOnlyTheColourLevels", 2, 0, {"0", "0", "0", "0"}, {F, F, F, F}, 0},
    {"Class1ManualTheLiveOffsetsToo", 2, 1, {"4", "-6", "0", "0"}, {T, T, F, F}, 4},
    {"Class3AutomaticOffsetsHeldAt0", 26, 0, {"0", "0", "7", "44"}, {F, F, T, T}, 0},
    {"Class5Manual", 14, 1, {"4", "-6", "7", "44"}, {T, T, T, T}, 4}};
INSTANTIATE_TEST_SUITE_P(Rows, FleshTonesOpening, testing::ValuesIn(kOpenings), RowName{});

struct StepRow {
    const char* name;
    int upDown;
    const char* presses;  // + up, - down
    Lines record;
    int32_t CTRIPOD01Dlg::*member;
    int after;
    int redLockGain = 115;
    int blueLockGain = 93;
};

class FleshTonesStep : public FleshTones, public testing::WithParamInterface<StepRow> {};

TEST_P(FleshTonesStep, LiveStepsSendFlashStepsOnlyKeep) {
    const StepRow& row = GetParam();
    CPropAdjust& page = Open(14, [&row](CTRIPOD01Dlg& dlg) {
        dlg.m_AutoWhite = 1;
        dlg.m_RedLockGain = row.redLockGain;
        dlg.m_BlueLockGain = row.blueLockGain;
        dlg.m_RedPreviewOffset = 5;
        dlg.m_BluePreviewOffset = -24;
        dlg.m_ChromaLevel = 99;
        dlg.m_RedFlashOffset = 24;
        dlg.m_BlueFlashOffset = 49;
        dlg.m_FlashChromaLevel = 21;
    });
    Step(page, row.upDown, row.presses);
    EXPECT_EQ(Record(), row.record);
    EXPECT_EQ(Dialog().*row.member, row.after);
    EXPECT_EQ(page.Item<ui::UpDown>(row.upDown)->Buddy()->text(), QString::number(row.after));
}

const StepRow kSteps[] = {
    {"LiveRedUpFromTheBase", Tones::kLiveRed, "+", Send('A', 121, 142), &D::m_RedPreviewOffset, 6},
    {"LiveBlueAtItsEndResends", Tones::kLiveBlue, "--", Send('B', 68, 143, 2),
     &D::m_BluePreviewOffset, -25},
    {"LiveColorStopsAt100", Tones::kLiveColor, "++", Send('A', 100, 146, 2), &D::m_ChromaLevel,
     100},
    {"LiveRedGainBelow0SentAs0", Tones::kLiveRed, "-", Send('A', 0, 142), &D::m_RedPreviewOffset, 4,
     -10},
    {"LiveBlueGainAbove255SentAs255", Tones::kLiveBlue, "+", Send('B', 255, 143),
     &D::m_BluePreviewOffset, -23, 115, 300},
    {"FlashRedStopsAt25", Tones::kFlashRed, "++", {}, &D::m_RedFlashOffset, 25},
    {"FlashBlueStopsAt50", Tones::kFlashBlue, "++", {}, &D::m_BlueFlashOffset, 50},
    {"FlashColorStopsAt20", Tones::kFlashColor, "--", {}, &D::m_FlashChromaLevel, 20}};
INSTANTIATE_TEST_SUITE_P(Rows, FleshTonesStep, testing::ValuesIn(kSteps), RowName{});

// A white-balance button, then one arrow step that shows where it left the page and when.
struct ButtonRow {
    const char* name;
    uint16_t model;
    int autoWhite;  // before
    int button;
    int upDown;
    const char* presses;
    Lines record;
    bool liveOffsetsEnabled;
    int redBase, blueBase;
};

class FleshTonesButton : public FleshTones, public testing::WithParamInterface<ButtonRow> {};

TEST_P(FleshTonesButton, WhiteBalanceWithItsWaits) {
    const ButtonRow& row = GetParam();
    CPropAdjust& page = Open(row.model, [&row](CTRIPOD01Dlg& dlg) {
        dlg.m_AutoWhite = row.autoWhite;
        dlg.m_RedPreviewOffset = 5;
        dlg.m_BluePreviewOffset = -3;
        dlg.m_ChromaLevel = 90;
        dlg.m_DefaultChromaPreviewLevel = 80;
    });
    AnswerGains(120, 90);
    page.Item<QAbstractButton>(row.button)->click();
    Step(page, row.upDown, row.presses);
    EXPECT_EQ(Record(), row.record);
    CTRIPOD01Dlg& main = Dialog();
    EXPECT_EQ(main.m_AutoWhite, row.button == Tones::kManual ? 1 : 0);
    EXPECT_EQ(Enabled(page, Tones::kLiveRed), row.liveOffsetsEnabled);
    EXPECT_EQ(Enabled(page, Tones::kLiveBlue), row.liveOffsetsEnabled);
    EXPECT_EQ(main.m_RedLockGain, row.redBase);
    EXPECT_EQ(main.m_BlueLockGain, row.blueBase);
    if (row.button != Tones::kManual) {
        EXPECT_EQ(main.m_RedPreviewOffset, 0);
        EXPECT_EQ(page.GetDlgItemText(Tones::kLiveRedEdit), "0");
    }
}

const Lines kGainReads = {"command 144 @ 0 ms",   "read A @ 30 ms",       "command 144 @ 60 ms",
                          "read A @ 360 ms",      "command 145 @ 390 ms", "read B @ 420 ms",
                          "command 145 @ 450 ms", "read B @ 600 ms",      "command 12 @ 630 ms"};

Lines Then(Lines lines, const Lines& more) {
    lines.insert(lines.end(), more.begin(), more.end());
    return lines;
}

const ButtonRow kButtons[] = {
    // The camera's red 120 with offset 5: base 115, one step up is 121.
    {"ManualRebasesTheGains", 14, 1, Tones::kManual, Tones::kLiveRed, "+",
     Then(kGainReads, Send('A', 121, 142, 1, 680)), true, 115, 93},
    {"ManualFromAutomaticOnClass1", 2, 0, Tones::kManual, Tones::kLiveBlue, "-",
     Then(kGainReads, Send('B', 89, 143, 1, 680)), true, 120, 90},
    // 72 is only kept: the camera hears of it at the next step.
    {"AutoWhiteLevel72", 14, 1, Tones::kAutoWhite, Tones::kLiveColor, "+",
     Then({"command 7 @ 0 ms"}, Send('A', 73, 146, 1, 200)), false, 0, 0},
    // The member is 72 too, but the next step starts from the default shown.
    {"PageDefaultsShowsTheStoredLevel", 14, 1, Tones::kPageDefaults, Tones::kLiveColor, "+",
     Then({"command 7 @ 0 ms"}, Send('A', 81, 146, 1, 300)), false, 0, 0}};
INSTANTIATE_TEST_SUITE_P(Rows, FleshTonesButton, testing::ValuesIn(kButtons), RowName{});

TEST_F(FleshTones, ChoicesAreOnlyKeptAndPageDefaultsLeavesThem) {
    CPropAdjust& page = Open(14, [](CTRIPOD01Dlg& dlg) {
        dlg.m_DefaultRedFlashOffset = -2;
        dlg.m_DefaultBlueFlashOffset = 12;
        dlg.m_DefaultChromaFlashLevel = 74;
        dlg.m_FlashDelay = 750;
        dlg.m_PTZSpeed = 1;
        dlg.m_FlashColorCorrection = 0;
    });
    CTRIPOD01Dlg& main = Dialog();
    for (const auto& [button, member, value] :
         {std::tuple{Tones::kFluorescent, &CTRIPOD01Dlg::m_FlashColorCorrection, 1},
          {Tones::kDefaultCorrection, &CTRIPOD01Dlg::m_FlashColorCorrection, 0},
          {Tones::kFast, &CTRIPOD01Dlg::m_PTZSpeed, 2},
          {Tones::kMed, &CTRIPOD01Dlg::m_PTZSpeed, 1},
          {Tones::kSlow, &CTRIPOD01Dlg::m_PTZSpeed, 0},
          {Tones::kFluorescent, &CTRIPOD01Dlg::m_FlashColorCorrection, 1}}) {
        page.Item<QRadioButton>(button)->click();
        EXPECT_EQ(main.*member, value) << button;
    }
    EXPECT_TRUE(Record().empty());

    page.Item<QPushButton>(Tones::kPageDefaults)->click();
    EXPECT_EQ(main.m_FlashDelay, 500);
    for (const auto& [edit, member, value] :
         {std::tuple{Tones::kFlashRedEdit, main.m_RedFlashOffset, -2},
          {Tones::kFlashBlueEdit, main.m_BlueFlashOffset, 12},
          {Tones::kFlashColorEdit, main.m_FlashChromaLevel, 74}}) {
        EXPECT_EQ(member, value);
        EXPECT_EQ(page.GetDlgItemText(edit), QString::number(value));
    }
    EXPECT_TRUE(page.IsDlgButtonChecked(Tones::kSlow) &&
                page.IsDlgButtonChecked(Tones::kFluorescent));
    EXPECT_EQ(main.m_PTZSpeed, 0);
    EXPECT_EQ(main.m_FlashColorCorrection, 1);
}

}  // namespace
