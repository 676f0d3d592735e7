// DARKER and IRIS in every mode, flash off and on, the correction sliders and Default, and the
// camera routines of flash colour and white balance, on a scripted camera.
#include <gtest/gtest.h>

#include <QSlider>
#include <QTest>
#include <tuple>

#include "station/ControlIds.h"
#include "tests/station/HeadRecord.h"
#include "tests/support/RowName.h"

namespace {

using station_test::Lines;
using station_test::ScriptedStation;

struct IrisRow {
    const char* name;
    uint16_t model;  // 2 class 1, 14 class 5
    int flash;
    int level;
    int lockIris;
    const char* clicks;  // D DARKER, I IRIS
    Lines record;
    int levelAfter;
    int messages = 0;  // lock boxes
};

// A class-1 camera leaves automatic exposure (29) once, then takes `step` at every click.
Lines Live1(const std::string& step) {
    return {"command 29 @ 0 ms", step + " @ 75 ms", step + " @ 75 ms"};
}

class DarkerIris : public ScriptedStation, public testing::WithParamInterface<IrisRow> {};

TEST_P(DarkerIris, Clicks) {
    const IrisRow& row = GetParam();
    CTRIPOD01Dlg& dlg = StartOn(row.model);
    dlg.m_FlashCapture = row.flash;
    dlg.m_FlashIrisLevel = row.level;
    dlg.m_LockIris = row.lockIris;
    for (const char* c = row.clicks; *c != '\0'; ++c)
        QTest::mouseClick(dlg.GetDlgItem(*c == 'D' ? ids::kDarker : ids::kIris), Qt::LeftButton);
    EXPECT_EQ(Record(), row.record);
    EXPECT_EQ(dlg.m_FlashIrisLevel, row.levelAfter);
    EXPECT_EQ(services_.Messages(),
              Lines(row.messages, "Notice: Iris is Locked, see Administrator"));
}

INSTANTIATE_TEST_SUITE_P(
    IrisColor, DarkerIris,
    testing::Values(
        IrisRow{"LiveClass5", 14, 0, 17, 0, "DI", {"command 5 @ 0 ms", "command 6 @ 0 ms"}, 17},
        IrisRow{"LiveClass1IrisLeavesAutoExposureOnce", 2, 0, 17, 0, "II", Live1("command 27"), 17},
        IrisRow{"LiveClass1DarkerLeavesAutoExposureOnceThenSteps", 2, 0, 17, 0, "DD",
                Live1("command 5"), 17},
        IrisRow{"FlashDarkerStopsAt0", 14, 1, 1, 0, "DD", {}, 0},
        IrisRow{"FlashIrisStopsAt32", 14, 1, 31, 0, "II", {}, 32},
        IrisRow{"FlashStoredLevel57TakenAs32", 14, 1, 57, 0, "D", {}, 31},
        IrisRow{"FlashNegativeLevelTakenAs0", 14, 1, -5, 0, "I", {}, 1},
        IrisRow{"Locked", 14, 0, 17, 1, "DI", {}, 17, 2}),
    RowName{});

TEST_F(ScriptedStation, FlashOnAndOffShowTheirBrightnessAndDistance) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    QTest::mouseClick(dlg.GetDlgItem(ids::kFlashOn), Qt::LeftButton);
    EXPECT_EQ(dlg.m_FlashCapture, 1);
    EXPECT_EQ(dlg.GetDlgItemText(ids::kBrightnessGroup), "Flash Brightness");
    EXPECT_EQ(dlg.GetDlgItemText(ids::kSubjectDistance), " 4 Feet");  // level 17, class 5
    EXPECT_EQ(dlg.focusWidget(), dlg.GetDlgItem(ids::kTiltUp));
    QTest::mouseClick(dlg.GetDlgItem(ids::kIris), Qt::LeftButton);
    EXPECT_EQ(dlg.GetDlgItemText(ids::kSubjectDistance), " 5 Feet");
    QTest::mouseClick(dlg.GetDlgItem(ids::kFlashOff), Qt::LeftButton);
    EXPECT_EQ(dlg.m_FlashCapture, 0);
    EXPECT_EQ(dlg.GetDlgItemText(ids::kBrightnessGroup), "Live Brightness");
    EXPECT_EQ(dlg.GetDlgItemText(ids::kSubjectDistance), "NA");
    EXPECT_TRUE(Record().empty());
}

TEST_F(ScriptedStation, ProgramFlashColorPerClassAndStep) {
    const struct {
        const char* name;
        int cameraType, step, fluorescent, redOffset, blueOffset;
        int red, blue;
    } rows[] = {
        {"Class3FluorescentStep1", 3, 1, 1, 0, 0, 209, 156},
        {"Class3FluorescentStep8", 3, 8, 1, 0, 0, 206, 172},
        {"Class5FluorescentStep6", 5, 6, 1, 0, 0, 207, 171},
        {"Class5DefaultColour", 5, 6, 0, 4, -3, 214, 152},
        {"Class4BlueBoostStep3", 4, 3, 1, 0, 0, 210, 161},
        {"Class4Step12TakenAs8", 4, 12, 0, 0, 0, 210, 166},
        {"Class1BasePlusOffset", 1, 0, 1, 5, -5, 215, 150},
        {"GainsClampedToAByte", 4, 1, 0, 100, -200, 255, 0},
    };
    CTRIPOD01Dlg& dlg = StartOn(14);
    dlg.m_FlashChromaLevel = 80;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dlg.m_CameraType = row.cameraType;
        dlg.m_FlashStep = row.step;
        dlg.m_FlashColorCorrection = row.fluorescent;
        dlg.m_RedFlashOffset = row.redOffset;
        dlg.m_BlueFlashOffset = row.blueOffset;
        Mark();
        dlg.ProgramFlashColor();
        const std::string red = std::to_string(row.red), blue = std::to_string(row.blue);
        EXPECT_EQ(Record(),
                  (Lines{"command 12 @ 0 ms", "A = " + red + " @ 50 ms", "command 142 @ 100 ms",
                         "B = " + blue + " @ 200 ms", "command 143 @ 250 ms", "A = 80 @ 350 ms",
                         "command 146 @ 400 ms"}));
    }
}

TEST_F(ScriptedStation, ReadWhiteBalanceGainsTakesTheLowByteOfTheSecondAnswers) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    driver_.onWrite = [answer = driver_.onWrite, asked = 0](zelvo_test::RecordingDriver& d,
                                                            uint16_t reg, uint16_t value) mutable {
        answer(d, reg, value);
        if (reg == station_test::kCommandRegister && value == 144)
            d.registers[station_test::kArgARegister] = ++asked == 1 ? 0x0155 : 0x01AB;
        if (reg == station_test::kCommandRegister && value == 145)
            d.registers[station_test::kArgBRegister] = ++asked == 3 ? 0x0233 : 0x02CD;
    };
    const int64_t start = sys::NowMs();
    dlg.ReadWhiteBalanceGains();
    EXPECT_EQ(Record(), (Lines{"command 144 @ 0 ms", "read A @ 30 ms", "command 144 @ 60 ms",
                               "read A @ 360 ms", "command 145 @ 390 ms", "read B @ 420 ms",
                               "command 145 @ 450 ms", "read B @ 600 ms"}));
    EXPECT_EQ(sys::NowMs() - start, 630);
    EXPECT_EQ(dlg.m_RedGainRead, 0xAB);
    EXPECT_EQ(dlg.m_BlueGainRead, 0xCD);
}

TEST_F(ScriptedStation, SlidersSetTheCorrectionOfTheModeAndDefaultResetsOnlyThatMode) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    auto* red = dlg.Item<QSlider>(ids::kRedSlider);
    auto* blue = dlg.Item<QSlider>(ids::kBlueSlider);
    // What the value fields show, and the live and flash corrections.
    const auto shown = [&dlg] {
        return std::tuple(dlg.GetDlgItemText(ids::kRedValue), dlg.GetDlgItemText(ids::kBlueValue));
    };
    const auto corrections = [&dlg] {
        return std::tuple(dlg.m_RedLiveCorrection, dlg.m_BlueLiveCorrection,
                          dlg.m_RedFlashCorrection, dlg.m_BlueFlashCorrection);
    };
    red->triggerAction(QAbstractSlider::SliderToMinimum);  // the top
    blue->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(shown(), std::tuple("50", "-1"));
    EXPECT_EQ(corrections(), std::tuple(50, -1, 0, 0));

    red->setValue(10);  // by code: nothing follows
    EXPECT_EQ(shown(), std::tuple("50", "-1"));
    EXPECT_EQ(corrections(), std::tuple(50, -1, 0, 0));

    dlg.m_FlashCapture = 1;
    red->triggerAction(QAbstractSlider::SliderToMaximum);
    blue->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(corrections(), std::tuple(50, -1, -50, 10 - 1));  // blue: a page up from 1

    QTest::mouseClick(dlg.GetDlgItem(ids::kDefaultCorrection), Qt::LeftButton);
    EXPECT_EQ(corrections(), std::tuple(50, -1, 0, 0));
    EXPECT_EQ(shown(), std::tuple("0", "0"));
    EXPECT_EQ(std::pair(red->value(), blue->value()), std::pair(0, 0));
}

}  // namespace
