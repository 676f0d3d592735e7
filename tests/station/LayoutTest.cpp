// The two screen layouts as an operator sees them: every control of the column where the
// tables put it, for both modes, upright and turned, at the default and a portrait crop; the
// window size rule; the crop centring.
#include <climits>

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QRect>
#include <map>

#include "station/ControlIds.h"
#include "station/Layout.h"
#include "station/MainDialog.h"
#include "tests/support/RowName.h"

namespace {

// A control's expected place; width 0 means the layout only moves it (its size stays).
struct Spot {
    int id;
    int x, y, width, height;
};
using Table = std::vector<Spot>;

// Law Enforcement, upright, W = 624, H = 468.
const Table kLawUpright = {
    {1079, 639, 6, 85, 22},   {1206, 639, 35, 100, 140}, {1207, 644, 55, 0, 0},
    {1208, 644, 75, 0, 0},    {1209, 644, 95, 0, 0},     {1213, 644, 115, 0, 0},
    {1004, 646, 135, 25, 25}, {1006, 685, 135, 25, 25},  {1095, 629, 205, 115, 100},
    {1008, 644, 225, 0, 0},   {1007, 682, 225, 0, 0},    {1096, 636, 255, 0, 0},
    {1033, 649, 270, 65, 20}, {1023, 0, 469, 624, 25},   {1097, 638, 321, 93, 55},
    {1026, 644, 336, 75, 16}, {1027, 644, 358, 75, 16},  {1044, 635, 469, 95, 22},
    {1098, 638, 388, 96, 55}, {1031, 650, 402, 44, 16},  {1030, 650, 425, 38, 16},
};

// Law Enforcement, turned, W = 468, H = 624: the column from "Zoom Control" down is lower.
const Table kLawTurnedPortrait = {
    {1079, 483, 6, 85, 22},   {1206, 483, 75, 100, 140}, {1207, 488, 90, 0, 0},
    {1208, 488, 110, 0, 0},   {1209, 488, 130, 0, 0},    {1213, 488, 150, 0, 0},
    {1004, 490, 180, 25, 25}, {1006, 529, 180, 25, 25},  {1095, 473, 265, 115, 100},
    {1008, 488, 285, 0, 0},   {1007, 526, 285, 0, 0},    {1096, 480, 315, 0, 0},
    {1033, 493, 325, 65, 20}, {1023, 0, 625, 468, 25},   {1097, 482, 415, 93, 55},
    {1026, 488, 430, 75, 16}, {1027, 488, 452, 75, 16},  {1044, 479, 625, 95, 22},
    {1098, 482, 498, 96, 55}, {1031, 494, 512, 44, 16},  {1030, 494, 535, 38, 16},
};

// Standard, W = 624, H = 468 (any rotation).
const Table kStandard = {
    {1079, 635, 130, 85, 22},   {1093, 640, 153, 80, 54}, {1004, 646, 171, 25, 25},
    {1006, 685, 171, 25, 25},   {1094, 639, 6, 80, 120},  {1039, 646, 56, 0, 0},
    {1040, 679, 56, 0, 0},      {1037, 664, 24, 0, 0},    {1038, 664, 89, 0, 0},
    {1095, 629, 216, 115, 100}, {1008, 644, 236, 0, 0},   {1007, 682, 236, 0, 0},
    {1096, 636, 265, 0, 0},     {1033, 649, 281, 65, 20}, {1023, 0, 469, 624, 25},
    {1097, 638, 321, 93, 55},   {1026, 644, 336, 75, 16}, {1027, 644, 358, 75, 16},
    {1044, 635, 469, 95, 22},   {1098, 638, 388, 96, 55}, {1031, 650, 402, 44, 16},
    {1030, 650, 425, 38, 16},
};

// Standard, W = 468, H = 624.
const Table kStandardPortrait = {
    {1079, 479, 130, 85, 22},   {1093, 484, 153, 80, 54}, {1004, 490, 171, 25, 25},
    {1006, 529, 171, 25, 25},   {1094, 483, 6, 80, 120},  {1039, 490, 56, 0, 0},
    {1040, 523, 56, 0, 0},      {1037, 508, 24, 0, 0},    {1038, 508, 89, 0, 0},
    {1095, 473, 216, 115, 100}, {1008, 488, 236, 0, 0},   {1007, 526, 236, 0, 0},
    {1096, 480, 265, 0, 0},     {1033, 493, 281, 65, 20}, {1023, 0, 625, 468, 25},
    {1097, 482, 321, 93, 55},   {1026, 488, 336, 75, 16}, {1027, 488, 358, 75, 16},
    {1044, 479, 625, 95, 22},   {1098, 482, 388, 96, 55}, {1031, 494, 402, 44, 16},
    {1030, 494, 425, 38, 16},
};

const std::vector<int> kPanTiltSet = {1094, 1039, 1040, 1037, 1038, 1093};
const std::vector<int> kZoomPresetSet = {1206, 1207, 1208, 1209, 1213};

struct LayoutCase {
    const char* name;
    int interface;
    int rotation;
    int w, h;
    const Table* table;
    const std::vector<int>* hidden;
    int offsetX, offsetY;
    int windowWidth, windowHeight;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class Layouts : public testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, PlaceEveryControlOfTheColumn) {
    const LayoutCase& c = GetParam();
    CTRIPOD01Dlg dlg;
    dlg.m_Interface = c.interface;
    dlg.m_RotationAngle = c.rotation;
    dlg.m_CropWidth = c.w;
    dlg.m_CropHeight = c.h;
    std::map<int, QSize> sizeBefore;
    for (const Spot& s : *c.table)
        sizeBefore[s.id] = dlg.ItemRect(s.id).size();

    if (c.interface == 0) {
        dlg.ApplyLawEnforcementLayout();
    } else {
        dlg.ApplyStandardLayout();
    }

    for (const Spot& s : *c.table) {
        const QRect r = dlg.ItemRect(s.id);
        const QSize size = s.width == 0 ? sizeBefore[s.id] : QSize(s.width, s.height);
        EXPECT_EQ(r, QRect(QPoint(s.x, s.y), size)) << "control " << s.id;
        EXPECT_TRUE(dlg.IsItemVisible(s.id)) << "control " << s.id;
    }
    for (int id : *c.hidden)
        EXPECT_FALSE(dlg.IsItemVisible(id)) << "control " << id;
    EXPECT_EQ(dlg.m_CropOffsetX, c.offsetX);
    EXPECT_EQ(dlg.m_CropOffsetY, c.offsetY);
    EXPECT_EQ(dlg.frameGeometry().size(), QSize(c.windowWidth, c.windowHeight));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

INSTANTIATE_TEST_SUITE_P(
    Station, Layouts,
    testing::Values(LayoutCase{"LawEnforcementUpright", 0, 0, 624, 468, &kLawUpright, &kPanTiltSet,
                               8, 6, 754, 528},
                    LayoutCase{"LawEnforcementTurned90Portrait", 0, 1, 468, 624,
                               &kLawTurnedPortrait, &kPanTiltSet, 6, 8, 598, 684},
                    LayoutCase{"LawEnforcementTurned270Portrait", 0, 2, 468, 624,
                               &kLawTurnedPortrait, &kPanTiltSet, 6, 8, 598, 684},
                    LayoutCase{"StandardUpright", 1, 0, 624, 468, &kStandard, &kZoomPresetSet, 8, 6,
                               754, 528},
                    LayoutCase{"StandardTurnedIsTheSame", 1, 1, 624, 468, &kStandard,
                               &kZoomPresetSet, -72, 86, 754, 528},
                    LayoutCase{"StandardTurnedPortrait", 1, 1, 468, 624, &kStandardPortrait,
                               &kZoomPresetSet, 6, 8, 598, 684}),
    RowName{});

TEST(Layouts, LawEnforcementWithAnUnknownRotationLeavesTheColumnWhereItIs) {
    CTRIPOD01Dlg dlg;
    dlg.m_Interface = 0;
    dlg.m_CropWidth = 624;
    dlg.m_CropHeight = 468;
    dlg.m_RotationAngle = 0;
    dlg.ApplyLawEnforcementLayout();
    const QRect home = dlg.ItemRect(ids::kHome);
    dlg.m_CropWidth = 500;
    dlg.m_RotationAngle = 3;
    dlg.ApplyLawEnforcementLayout();
    EXPECT_EQ(dlg.ItemRect(ids::kHome), home);
    EXPECT_EQ(dlg.frameGeometry().width(), 630);  // the window still follows the crop
}

TEST(Layouts, WindowHeightNeverBelow483) {
    struct Case {
        int h;
        int height;
    };
    for (const Case& c : {Case{420, 493}, Case{422, 493}, Case{423, 483}, Case{468, 528},
                          Case{0, 493}, Case{640, 700}}) {
        EXPECT_EQ(DialogOuterSize(624, c.h).height, c.height) << "H = " << c.h;
        EXPECT_EQ(DialogOuterSize(624, c.h).width, 754) << "H = " << c.h;
    }
    CTRIPOD01Dlg dlg;
    dlg.m_Interface = 1;
    dlg.m_CropWidth = 560;
    dlg.m_CropHeight = 420;
    dlg.ApplyStandardLayout();
    EXPECT_EQ(dlg.frameGeometry().size(), QSize(690, 493));
}

// A turned picture shorter than column B puts "&Adjust" under the column and makes the window
// tall enough for both; every other picture keeps "&Adjust" on its bottom edge and the window
// its size rule.
TEST(Layouts, LawEnforcementTurnedShortPictureKeepsTheColumnInTheWindow) {
    struct Case {
        const char* name;
        int w, h, rotation;
        int adjustY;
        int clientHeight;  // 0: the size rule alone
    };
    const Case cases[] = {
        {"custom 468 x 420 turned 90", 468, 420, 1, 559, 587},
        {"1/1 turned 270", 468, 468, 2, 559, 587},
        {"just short of the column", 480, 557, 1, 559, 587},
        {"just below the column", 480, 558, 1, 559, 0},
        {"no cropping turned", 480, 600, 1, 601, 0},
        {"upright", 624, 468, 0, 469, 0},
        {"unknown rotation", 468, 420, 3, -1, 0},
    };
    for (const Case& c : cases) {
        int adjustY = -1;
        for (const ControlPlacement& p : LawEnforcementPlacements(c.w, c.h, c.rotation)) {
            if (p.id == ids::kAdjust)
                adjustY = p.y;
        }
        EXPECT_EQ(adjustY, c.adjustY) << c.name;
        EXPECT_EQ(LawEnforcementClientHeight(c.w, c.h, c.rotation), c.clientHeight) << c.name;
    }

    CTRIPOD01Dlg dlg;
    dlg.m_Interface = 0;
    dlg.m_RotationAngle = 1;
    dlg.m_CropWidth = 468;
    dlg.m_CropHeight = 420;
    dlg.ApplyLawEnforcementLayout();
    EXPECT_TRUE(dlg.rect().contains(dlg.ItemRect(ids::kPreviewCaptureGroup)));
    EXPECT_TRUE(dlg.rect().contains(dlg.ItemRect(ids::kAdjust)));
}

TEST(Layouts, CropCentredInTheFrameTruncatingTowardZero) {
    struct Case {
        const char* name;
        int rotation, w, h;
        int x, y;
    };
    const Case cases[] = {
        {"default", 0, 624, 468, 8, 6},
        {"portrait turned", 1, 468, 624, 6, 8},
        {"whole turned frame", 2, 480, 640, 0, 0},
        {"odd remainder", 0, 101, 99, 269, 190},
        {"one wider than the frame", 0, 641, 481, 0, 0},
        {"much wider than the frame", 0, 700, 500, -30, -10},
        {"upright crop read turned", 1, 624, 468, -72, 86},
        {"most negative stored height", 0, 624, INT_MIN, 8, 1073742064},
        {"largest stored width turned", 1, INT_MAX, 624, -1073741583, 8},
    };
    for (const Case& c : cases) {
        const CropOffsets o = CenteredCropOffsets(c.rotation, c.w, c.h);
        EXPECT_EQ(o.x, c.x) << c.name;
        EXPECT_EQ(o.y, c.y) << c.name;
    }
}

TEST(Layouts, EveryPictureButtonHasItsPicture) {
    CTRIPOD01Dlg dlg;
    dlg.LoadButtonPictures();
    for (int id : {1004, 1006, 1037, 1038, 1039, 1040, 1008, 1007}) {
        auto* button = dlg.Item<QPushButton>(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_FALSE(button->icon().isNull()) << id;
        // Drawn for both scales: a high-density screen gets the picture drawn at twice the
        // size, not the small one blown up.
        const QImage doubled = button->icon().pixmap(QSize(20, 20), 2.0).toImage();
        EXPECT_EQ(doubled.size(), QSize(40, 40)) << id;
        const QImage small = button->icon().pixmap(QSize(20, 20), 1.0).toImage();
        EXPECT_NE(doubled.convertToFormat(QImage::Format_ARGB32),
                  small.scaled(40, 40).convertToFormat(QImage::Format_ARGB32))
            << id;
    }
    EXPECT_FALSE(dlg.m_hIcon.isNull());
}

}  // namespace
