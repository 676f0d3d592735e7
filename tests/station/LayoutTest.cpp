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

// A control's expected place in the column right of a W x H picture: x = W + dx; y as upright,
// kUnder for H + 1, and in the turned Law Enforcement layout yTurned, where the column from
// "Zoom Control" down is lower; width 0 means the layout only moves it (its size stays).
constexpr int kUnder = -1;
constexpr int kSame = -2;
struct Spot {
    int id;
    int dx, y, width, height;
    int yTurned = kSame;
};
using Table = std::vector<Spot>;

const Table kLawEnforcement = {
    {1079, 15, 6, 85, 22, 6},     {1206, 15, 35, 100, 140, 75}, {1207, 20, 55, 0, 0, 90},
    {1208, 20, 75, 0, 0, 110},    {1209, 20, 95, 0, 0, 130},    {1213, 20, 115, 0, 0, 150},
    {1004, 22, 135, 25, 25, 180}, {1006, 61, 135, 25, 25, 180}, {1095, 5, 205, 115, 100, 265},
    {1008, 20, 225, 0, 0, 285},   {1007, 58, 225, 0, 0, 285},   {1096, 12, 255, 0, 0, 315},
    {1033, 25, 270, 65, 20, 325}, {1097, 14, 321, 93, 55, 415}, {1026, 20, 336, 75, 16, 430},
    {1027, 20, 358, 75, 16, 452}, {1044, 11, kUnder, 95, 22},   {1098, 14, 388, 96, 55, 498},
    {1031, 26, 402, 44, 16, 512}, {1030, 26, 425, 38, 16, 535},
};

const Table kStandard = {
    {1079, 11, 130, 85, 22},  {1093, 16, 153, 80, 54}, {1004, 22, 171, 25, 25},
    {1006, 61, 171, 25, 25},  {1094, 15, 6, 80, 120},  {1039, 22, 56, 0, 0},
    {1040, 55, 56, 0, 0},     {1037, 40, 24, 0, 0},    {1038, 40, 89, 0, 0},
    {1095, 5, 216, 115, 100}, {1008, 20, 236, 0, 0},   {1007, 58, 236, 0, 0},
    {1096, 12, 265, 0, 0},    {1033, 25, 281, 65, 20}, {1097, 14, 321, 93, 55},
    {1026, 20, 336, 75, 16},  {1027, 20, 358, 75, 16}, {1044, 11, kUnder, 95, 22},
    {1098, 14, 388, 96, 55},  {1031, 26, 402, 44, 16}, {1030, 26, 425, 38, 16},
};

const std::vector<int> kPanTiltSet = {1094, 1039, 1040, 1037, 1038, 1093};
const std::vector<int> kZoomPresetSet = {1206, 1207, 1208, 1209, 1213};

// A main dialog in a layout, for a picture turned by `rotation` and cut to w x h, laid out.
void LayOut(CTRIPOD01Dlg& dlg, int interface, int rotation, int w, int h) {
    dlg.m_Interface = interface;
    dlg.m_RotationAngle = rotation;
    dlg.m_CropWidth = w;
    dlg.m_CropHeight = h;
    if (interface == 0) {
        dlg.ApplyLawEnforcementLayout();
    } else {
        dlg.ApplyStandardLayout();
    }
}

struct LayoutCase {
    const char* name;
    int interface;
    int rotation;
    int w, h;
    int offsetX, offsetY;
    int windowWidth, windowHeight;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class Layouts : public testing::TestWithParam<LayoutCase> {};

TEST_P(Layouts, PlaceEveryControlOfTheColumn) {
    const LayoutCase& c = GetParam();
    const Table& table = c.interface == 0 ? kLawEnforcement : kStandard;
    CTRIPOD01Dlg dlg;
    std::map<int, QSize> sizeBefore;
    for (const Spot& s : table)
        sizeBefore[s.id] = dlg.ItemRect(s.id).size();

    LayOut(dlg, c.interface, c.rotation, c.w, c.h);

    const auto expectShownAt = [&dlg](int id, QRect place) {
        EXPECT_EQ(dlg.ItemRect(id), place) << "control " << id;
        EXPECT_TRUE(dlg.IsItemVisible(id)) << "control " << id;
    };
    expectShownAt(ids::kCapture, QRect(0, c.h + 1, c.w, 25));
    for (const Spot& s : table) {
        const int y = c.rotation != 0 && s.yTurned != kSame ? s.yTurned : s.y;
        const QSize size = s.width == 0 ? sizeBefore[s.id] : QSize(s.width, s.height);
        expectShownAt(s.id, QRect(QPoint(c.w + s.dx, y == kUnder ? c.h + 1 : y), size));
    }
    for (int id : c.interface == 0 ? kPanTiltSet : kZoomPresetSet)
        EXPECT_FALSE(dlg.IsItemVisible(id)) << "control " << id;
    EXPECT_EQ(dlg.m_CropOffsetX, c.offsetX);
    EXPECT_EQ(dlg.m_CropOffsetY, c.offsetY);
    EXPECT_EQ(dlg.frameGeometry().size(), QSize(c.windowWidth, c.windowHeight));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

INSTANTIATE_TEST_SUITE_P(
    Station, Layouts,
    testing::Values(LayoutCase{"LawEnforcementUpright", 0, 0, 624, 468, 8, 6, 754, 528},
                    LayoutCase{"LawEnforcementTurned90Portrait", 0, 1, 468, 624, 6, 8, 598, 684},
                    LayoutCase{"LawEnforcementTurned270Portrait", 0, 2, 468, 624, 6, 8, 598, 684},
                    LayoutCase{"StandardUpright", 1, 0, 624, 468, 8, 6, 754, 528},
                    LayoutCase{"StandardTurnedIsTheSame", 1, 1, 624, 468, -72, 86, 754, 528},
                    LayoutCase{"StandardTurnedPortrait", 1, 1, 468, 624, 6, 8, 598, 684}),
    RowName{});

TEST(Layouts, LawEnforcementWithAnUnknownRotationLeavesTheColumnWhereItIs) {
    CTRIPOD01Dlg dlg;
    LayOut(dlg, 0, 0, 624, 468);
    const QRect home = dlg.ItemRect(ids::kHome);
    LayOut(dlg, 0, 3, 500, 468);
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
    LayOut(dlg, 1, 0, 560, 420);
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
    LayOut(dlg, 0, 1, 468, 420);
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
