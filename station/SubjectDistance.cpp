// Subject-distance texts and flash steps, and the main dialog's handlers that show them.
//
// Each camera model has its own flash and optics, so each class has its own table of what a
// flash level reaches. The texts are shown exactly as the tables hold them, blanks included.
#include "station/SubjectDistance.h"

#include <array>
#include <span>

#include "control/CameraModels.h"
#include "station/MainDialog.h"

namespace {

using DistanceTable = std::array<std::string_view, 32>;  // levels 1 to 32

constexpr DistanceTable kSubjectDistanceClass1 = {
    "10 in ",     "10 in ",     "10 in ",     "10 in ",     "10 in ",     "10 in ",
    "1.4 Feet",   " 1.5 Feet",  "1.6 Feet",   "1.8 Feet",   "1.85 Feet",  "1.9 Feet ",
    "2 Feet",     " 2.4 Feet",  " 2.7 Feet ", " 2.9 Feet ", " 3.7 Feet ", " 3.9 Feet ",
    " 4 Feet ",   " 4.2 Feet ", " 4.8 Feet ", " 5.2 Feet ", " 6.2 Feet ", " 7 Feet ",
    " 8 Feet ",   " 8.5 Feet ", " 9 Feet ",   " 9.8 Feet ", " 10.5 Feet", " 11 Feet",
    " 11.5 Feet", " 12 Feet",
};

constexpr DistanceTable kSubjectDistanceClass3 = {
    "Under 1.2 Feet ", "Under 1.2 Feet ", "Under 1.2 Feet ", "Under 1.2 Feet ", "Under 1.2 Feet ",
    "Under 1.2 Feet ", " 1.2 Feet",       " 1.5 Feet",       " 2.0 Feet",       " 2.2 Feet",
    " 2.3 Feet",       " 2.5 Feet ",      " 2.8 Feet",       " 3.0 Feet",       " 3.2 Feet ",
    " 3.6 Feet ",      " 4 Feet ",        " 4.8 Feet ",      " 5 Feet ",        " 5.6 Feet ",
    " 6.8 Feet ",      " 7.8 Feet ",      " 8.9 Feet ",      " 10.5 Feet ",     " 11 Feet ",
    " 12.6 Feet ",     " 14.8 Feet ",     " 15.5 Feet ",     " 16 Feet",        " 16.3 Feet",
    " 16.8 Feet",      " 17 Feet",
};

constexpr DistanceTable kSubjectDistanceClass4 = {
    "Under 1.2 Feet ", "Under 1.2 Feet ", "Under 1.2 Feet ", "Under 1.2 Feet ", "Under 1.2 Feet ",
    "Under 1.2 Feet ", " 1.5 Feet",       " 1.7 Feet",       " 1.8 Feet",       " 2.0 Feet",
    " 2.2 Feet ",      " 2.3 Feet ",      " 2.4 Feet ",      " 2.5 Feet ",      " 2.6 Feet ",
    " 2.7 Feet ",      " 2.75 Feet ",     " 2.8 Feet ",      " 2.9 Feet ",      " 3 Feet ",
    " 3.3 Feet ",      " 3.8 Feet ",      " 4 Feet ",        " 4.5 Feet ",      " 5 Feet ",
    " 5.5 Feet ",      " 6 Feet ",        " 6.5 Feet ",      " 7 Feet ",        " 8 Feet",
    " 9 Feet ",        " 10 Feet ",
};

constexpr DistanceTable kSubjectDistanceClass5 = {
    "Under 3 Inches ", " 4 Inches ",    " 5 Inches ", " 6 Inches ", " 6.5  Inches ",
    " 8 inches ",      " 1 Foot",       " 1.2 Feet",  " 1.3 Feet",  " 1.5 Feet",
    " 1.6 Feet",       " 1.8 Feet",     " 2 Feet",    " 2.5 Feet",  " 3 Feet",
    " 3.5 Feet",       " 4 Feet",       " 5 Feet",    " 5.5 Feet",  " 6 Feet",
    " 7 Feet",         " 8 Feet",       " 9 Feet",    " 10 Feet",   " 11 Feet",
    " 11.5 Feet",      " 12 Feet",      " 12.5 Feet", " 13 Feet",   " 14 - 15 Feet",
    " 16 - 17 Feet",   " 18 -20 Feet ",
};

// A band of levels [first, last] that maps to one step.
struct StepBand {
    int first;
    int last;
    int step;
};

// After a level change. Level 11 of class 3 takes step 1, between the bands of steps 2 and 3:
// that is the step its flash is driven with at that level.
constexpr StepBand kLevelStepsClass3[] = {
    {1, 7, 1},   {8, 10, 2},  {11, 11, 1}, {12, 15, 3}, {16, 18, 4},
    {19, 21, 5}, {22, 27, 6}, {28, 30, 7}, {31, 32, 8},
};
constexpr StepBand kLevelStepsClass5[] = {
    {1, 7, 1},   {8, 10, 2},  {11, 13, 3}, {14, 17, 4},
    {18, 20, 5}, {21, 24, 6}, {25, 28, 7}, {29, 32, 8},
};

// At camera start-up.
constexpr StepBand kStartupStepsClass3[] = {
    {0, 11, 1},  {12, 15, 2}, {16, 18, 3}, {19, 21, 4},
    {22, 24, 5}, {25, 27, 6}, {28, 29, 7}, {30, 32, 8},
};
constexpr StepBand kStartupStepsClass45[] = {
    {0, 7, 1},   {8, 10, 2},  {11, 13, 3}, {14, 17, 4},
    {18, 20, 5}, {21, 24, 6}, {25, 28, 7}, {29, 32, 8},
};

std::optional<int> StepInBands(std::span<const StepBand> bands, int level) {
    for (const StepBand& band : bands) {
        if (level >= band.first && level <= band.last)
            return band.step;
    }
    return std::nullopt;
}

const DistanceTable* DistanceTableOf(int cameraType) {
    switch (cameraType) {
        case 1:
            return &kSubjectDistanceClass1;
        case 3:
            return &kSubjectDistanceClass3;
        case 4:
            return &kSubjectDistanceClass4;
        case 5:
            return &kSubjectDistanceClass5;
        default:
            return nullptr;
    }
}

}  // namespace

std::optional<std::string_view> SubjectDistanceText(int cameraType, int flashIrisLevel) {
    const DistanceTable* table = DistanceTableOf(cameraType);
    if (table == nullptr || flashIrisLevel < 1 || flashIrisLevel > 32)
        return std::nullopt;
    return (*table)[flashIrisLevel - 1];
}

std::optional<int> FlashStepForLevel(int cameraType, int flashIrisLevel) {
    if (cameraType == camera_class::kZoomRev2)
        return StepInBands(kLevelStepsClass3, flashIrisLevel);
    if (cameraType == camera_class::kPtzRev3)
        return StepInBands(kLevelStepsClass5, flashIrisLevel);
    return std::nullopt;
}

std::optional<int> StartupFlashStep(int cameraType, int flashIrisLevel) {
    if (cameraType == camera_class::kZoomRev2)
        return StepInBands(kStartupStepsClass3, flashIrisLevel);
    if (cameraType == camera_class::kPtzRev2 || cameraType == camera_class::kPtzRev3)
        return StepInBands(kStartupStepsClass45, flashIrisLevel);
    return std::nullopt;
}

void CTRIPOD01Dlg::UpdateSubjectDistance() {
    if (const auto text = SubjectDistanceText(m_CameraType, m_FlashIrisLevel)) {
        m_SubjectDistance = std::string(*text);
        if (const auto step = FlashStepForLevel(m_CameraType, m_FlashIrisLevel)) {
            m_FlashStep = *step;
        }
    }
    UpdateData(false);
}

void CTRIPOD01Dlg::InitFlashStep() {
    if (const auto step = StartupFlashStep(m_CameraType, m_FlashIrisLevel))
        m_FlashStep = *step;
}
