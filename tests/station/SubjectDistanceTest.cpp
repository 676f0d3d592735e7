// What the subject-distance field shows for a flash level on each camera class, and the flash
// step that goes with it.
#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "station/ControlIds.h"
#include "station/MainDialog.h"
#include "station/SubjectDistance.h"
#include "tests/support/RowName.h"

namespace {

struct LevelCase {
    const char* name;
    int cameraType;
    int level;
    const char* text;  // nullptr: no text for this class and level
    int step;          // -1: the lookup leaves the step alone
};

void PrintTo(const LevelCase& c, std::ostream* os) {
    *os << c.name;
}

class SubjectDistance : public testing::TestWithParam<LevelCase> {};

TEST_P(SubjectDistance, TextAndStepOfALevel) {
    const LevelCase& c = GetParam();
    EXPECT_EQ(SubjectDistanceText(c.cameraType, c.level),
              c.text ? std::optional<std::string_view>(c.text) : std::nullopt);
    const auto step = FlashStepForLevel(c.cameraType, c.level);
    EXPECT_EQ(step.value_or(-1), c.step);

    // In the dialog: the field shows the text (or keeps the old one), the step follows.
    CTRIPOD01Dlg dlg;
    dlg.m_CameraType = c.cameraType;
    dlg.m_FlashIrisLevel = c.level;
    dlg.m_SubjectDistance = "before";
    dlg.m_FlashStep = 99;
    dlg.UpdateSubjectDistance();
    EXPECT_EQ(dlg.GetDlgItemText(ids::kSubjectDistance).toStdString(),
              c.text != nullptr ? c.text : "before");
    EXPECT_EQ(dlg.m_FlashStep, c.step < 0 ? 99 : c.step);
}

INSTANTIATE_TEST_SUITE_P(
    Station, SubjectDistance,
    testing::Values(LevelCase{"Rev1Level1", 1, 1, "10 in ", -1},
                    LevelCase{"Rev1Level7ChangesTextNotStep", 1, 7, "1.4 Feet", -1},
                    LevelCase{"Rev1Level32", 1, 32, " 12 Feet", -1},
                    LevelCase{"Zoom2Level10", 3, 10, " 2.2 Feet", 2},
                    LevelCase{"Zoom2Level11FallsBackToStep1", 3, 11, " 2.3 Feet", 1},
                    LevelCase{"Zoom2Level12", 3, 12, " 2.5 Feet ", 3},
                    LevelCase{"Zoom2Level31", 3, 31, " 16.8 Feet", 8},
                    LevelCase{"Ptz2Level17", 4, 17, " 2.75 Feet ", -1},
                    LevelCase{"Ptz2Level6", 4, 6, "Under 1.2 Feet ", -1},
                    LevelCase{"Ptz3Level1", 5, 1, "Under 3 Inches ", 1},
                    LevelCase{"Ptz3Level5TwoBlanks", 5, 5, " 6.5  Inches ", 1},
                    LevelCase{"Ptz3Level32", 5, 32, " 18 -20 Feet ", 8},
                    LevelCase{"Ptz3Level0KeepsText", 5, 0, nullptr, -1},
                    LevelCase{"Ptz3Level33KeepsText", 5, 33, nullptr, -1},
                    LevelCase{"UnknownClass", 0, 17, nullptr, -1},
                    LevelCase{"Class2HasNoTable", 2, 17, nullptr, -1}),
    RowName{});

TEST(FlashStep, StartupStepByClassAndLevel) {
    struct Case {
        int cameraType, level, step;  // step -1: unchanged
    };
    const Case cases[] = {
        {3, 0, 1},  {3, 11, 1},  {3, 12, 2},  {3, 29, 7},  {3, 30, 8},
        {3, 32, 8}, {4, 0, 1},   {4, 7, 1},   {4, 8, 2},   {5, 17, 4},
        {5, 29, 8}, {5, 33, -1}, {5, -1, -1}, {1, 17, -1}, {0, 17, -1},
    };
    for (const Case& c : cases) {
        CTRIPOD01Dlg dlg;
        dlg.m_CameraType = c.cameraType;
        dlg.m_FlashIrisLevel = c.level;
        dlg.m_FlashStep = 99;
        dlg.InitFlashStep();
        EXPECT_EQ(dlg.m_FlashStep, c.step < 0 ? 99 : c.step)
            << "class " << c.cameraType << " level " << c.level;
    }
}

}  // namespace
