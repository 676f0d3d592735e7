// The booking room: a background by bands, then flat shapes painted back to front, row by row.
#include "simulator/Scene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace sim {

namespace {

constexpr Reflectance kPalette[kSceneColourCount] = {
    {0.52f, 0.48f, 0.38f},    // wall
    {0.36f, 0.33f, 0.26f},    // wall seam
    {0.16f, 0.09f, 0.05f},    // skirting
    {0.34f, 0.34f, 0.33f},    // floor, light tile
    {0.20f, 0.20f, 0.21f},    // floor, dark tile
    {0.70f, 0.70f, 0.68f},    // ceiling
    {0.50f, 0.49f, 0.46f},    // moulding
    {0.40f, 0.46f, 0.55f},    // backdrop
    {0.06f, 0.07f, 0.09f},    // chart line
    {0.05f, 0.06f, 0.08f},    // chart digit
    {0.22f, 0.13f, 0.06f},    // door frame
    {0.34f, 0.19f, 0.09f},    // door
    {0.28f, 0.15f, 0.07f},    // door panel
    {0.62f, 0.48f, 0.16f},    // brass handle
    {0.75f, 0.75f, 0.73f},    // window frame
    {1.30f, 1.40f, 1.60f},    // sky: brighter than any wall, so it clips when exposed for the room
    {0.08f, 0.08f, 0.08f},    // clock rim
    {0.85f, 0.85f, 0.82f},    // clock face
    {0.04f, 0.04f, 0.04f},    // clock hands
    {0.60f, 0.06f, 0.05f},    // clock second hand
    {0.04f, 0.04f, 0.04f},    // card frame
    {0.86f, 0.86f, 0.86f},    // card white
    {0.20f, 0.20f, 0.20f},    // card grey
    {0.03f, 0.03f, 0.03f},    // card black
    {0.55f, 0.05f, 0.04f},    // card red
    {0.07f, 0.36f, 0.08f},    // card green
    {0.04f, 0.08f, 0.50f},    // card blue
    {0.56f, 0.37f, 0.28f},    // skin
    {0.46f, 0.29f, 0.21f},    // skin in shade
    {0.06f, 0.045f, 0.035f},  // hair
    {0.78f, 0.76f, 0.74f},    // eye white
    {0.03f, 0.02f, 0.02f},    // pupil
    {0.42f, 0.10f, 0.10f},    // lips
    {0.12f, 0.06f, 0.05f},    // nostril
    {0.08f, 0.17f, 0.33f},    // shirt
    {0.80f, 0.80f, 0.80f},    // collar
};

enum class Kind : uint8_t { kRect, kEllipse, kCapsule, kDigit };

// kRect: corners (x0, y0)-(x1, y1). kEllipse: centre (x0, y0), radii (x1, y1).
// kCapsule: segment (x0, y0)-(x1, y1), radius r. kDigit: lower-left corner (x0, y0), digit in
// r, drawn from kDigitFont with cells of kDigitCell units.
struct Shape {
    Kind kind;
    SceneColour colour;
    double x0, y0, x1, y1;
    double r = 0;
    bool breathes = false;  // rises and falls with the shoulders
};

constexpr double kFloorY = -520;
constexpr double kSkirtingTop = -480;
constexpr double kMouldingY = 600;
constexpr double kCeilingY = 612;
constexpr double kSeamSpacing = 200;
constexpr double kSeamWidth = 2;
constexpr double kTile = 80;

constexpr double kCardX = kCardOrigin.x;
constexpr double kCardY = kCardOrigin.y;
constexpr double kFx = kFaceCentre.x;
constexpr double kFy = kFaceCentre.y;

// Everything but the height chart, back to front.
constexpr Shape kShapes[] = {
    {Kind::kRect, kBackdrop, -500, -520, 500, 520},
    // Door on the left wall.
    {Kind::kRect, kDoorFrame, -1420, kFloorY, -980, 360},
    {Kind::kRect, kDoor, -1400, kFloorY, -1000, 340},
    {Kind::kRect, kDoorPanel, -1360, 60, -1040, 300},
    {Kind::kRect, kDoorPanel, -1360, -460, -1040, 20},
    {Kind::kEllipse, kBrass, -1045, -60, 12, 12},
    // Window on the right wall.
    {Kind::kRect, kWindowFrame, 1100, -120, 1600, 420},
    {Kind::kRect, kSky, 1115, 160, 1343, 405},
    {Kind::kRect, kSky, 1357, 160, 1585, 405},
    {Kind::kRect, kSky, 1115, -105, 1343, 146},
    {Kind::kRect, kSky, 1357, -105, 1585, 146},
    // Clock face with the marks at 12, 6, 9 and 3; the hands are painted over it per frame.
    {Kind::kEllipse, kClockRim, kClockCentre.x, kClockCentre.y, kClockRadius, kClockRadius},
    {Kind::kEllipse, kClockFace, kClockCentre.x, kClockCentre.y, 58, 58},
    {Kind::kRect, kClockHand, 817, 344, 823, 354},
    {Kind::kRect, kClockHand, 817, 246, 823, 256},
    {Kind::kRect, kClockHand, 766, 297, 776, 303},
    {Kind::kRect, kClockHand, 864, 297, 874, 303},
    // Colour card on the backdrop: top row white, grey, black; bottom row red, green, blue.
    {Kind::kRect, kCardFrame, kCardX - 4, kCardY - kCardPatch - 4, kCardX + 3 * kCardPatch + 4,
     kCardY + kCardPatch + 4},
    {Kind::kRect, kCardWhite, kCardX, kCardY, kCardX + kCardPatch, kCardY + kCardPatch},
    {Kind::kRect, kCardGrey, kCardX + kCardPatch, kCardY, kCardX + 2 * kCardPatch,
     kCardY + kCardPatch},
    {Kind::kRect, kCardBlack, kCardX + 2 * kCardPatch, kCardY, kCardX + 3 * kCardPatch,
     kCardY + kCardPatch},
    {Kind::kRect, kCardRed, kCardX, kCardY - kCardPatch, kCardX + kCardPatch, kCardY},
    {Kind::kRect, kCardGreen, kCardX + kCardPatch, kCardY - kCardPatch, kCardX + 2 * kCardPatch,
     kCardY},
    {Kind::kRect, kCardBlue, kCardX + 2 * kCardPatch, kCardY - kCardPatch, kCardX + 3 * kCardPatch,
     kCardY},
    // The person.
    {Kind::kRect, kShirt, kFx - 150, -900, kFx + 150, kFy - 165, 0, true},
    {Kind::kEllipse, kShirt, kFx, kFy - 165, 150, 55, 0, true},
    {Kind::kEllipse, kCollar, kFx, kFy - 114, 34, 12, 0, true},
    {Kind::kRect, kSkinShade, kFx - 24, kFy - 116, kFx + 24, kFy - 50},
    {Kind::kEllipse, kHair, kFx, kFy + 18, 62, 68},
    {Kind::kEllipse, kSkin, kFx - 56, kFy + 2, 9, 15},
    {Kind::kEllipse, kSkin, kFx + 56, kFy + 2, 9, 15},
    {Kind::kEllipse, kSkin, kFx, kFy, 54, 72},
    {Kind::kRect, kHair, kFx - 32, kFy + 21, kFx - 10, kFy + 25},
    {Kind::kRect, kHair, kFx + 10, kFy + 21, kFx + 32, kFy + 25},
    {Kind::kEllipse, kEyeWhite, kFx - 21, kFy + 12, 11, 5.5},
    {Kind::kEllipse, kEyeWhite, kFx + 21, kFy + 12, 11, 5.5},
    {Kind::kEllipse, kPupil, kLeftPupil.x, kLeftPupil.y, kPupilRadius, kPupilRadius},
    {Kind::kEllipse, kPupil, kRightPupil.x, kRightPupil.y, kPupilRadius, kPupilRadius},
    {Kind::kEllipse, kSkinShade, kFx, kFy - 6, 7, 14},
    {Kind::kEllipse, kNostril, kFx - 4, kFy - 17, 2.5, 1.6},
    {Kind::kEllipse, kNostril, kFx + 4, kFy - 17, 2.5, 1.6},
    {Kind::kEllipse, kLips, kFx, kFy - 34, 15, 4.5},
};
constexpr size_t kChartInsertAt = 1;  // the chart goes on the backdrop, under everything else

// Height chart: 4 units per centimetre, 165 cm at y = 0.
constexpr double kUnitsPerCm = 4;
constexpr int kCmAtZero = 165;
constexpr int kLineFirstCm = 60, kLineLastCm = 280;
constexpr int kLabelFirstCm = 100, kLabelLastCm = 250;
constexpr double kChartLeft = -500, kChartRight = 500;
constexpr double kTickLength = 16;
// Numbers where the camera sees them from its home position, either side of the person.
constexpr double kLabelLeftX = -296, kLabelRightX = 232;

// 3 x 5 digits, top row first, bit 2 the left column.
constexpr uint8_t kDigitFont[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 2, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};
constexpr double kDigitCell = 5;
constexpr double kDigitAdvance = 20;

double ChartY(int cm) {
    return (cm - kCmAtZero) * kUnitsPerCm;
}

std::vector<Shape> BuildShapes() {
    std::vector<Shape> chart;
    for (int cm = kLineFirstCm; cm <= kLineLastCm; cm += 2) {
        const double y = ChartY(cm);
        if (cm % 10 == 0) {
            chart.push_back({Kind::kRect, kChartLine, kChartLeft, y - 0.75, kChartRight, y + 0.75});
        } else {
            chart.push_back(
                {Kind::kRect, kChartLine, kChartLeft, y - 0.5, kChartLeft + kTickLength, y + 0.5});
            chart.push_back({Kind::kRect, kChartLine, kChartRight - kTickLength, y - 0.5,
                             kChartRight, y + 0.5});
        }
    }
    for (int cm = kLabelFirstCm; cm <= kLabelLastCm; cm += 10) {
        const int digits[3] = {cm / 100, cm / 10 % 10, cm % 10};
        for (double x : {kLabelLeftX, kLabelRightX}) {
            for (int d = 0; d < 3; ++d) {
                const double x0 = x + d * kDigitAdvance;
                chart.push_back({Kind::kDigit, kChartDigit, x0, ChartY(cm) + 4, x0 + 3 * kDigitCell,
                                 ChartY(cm) + 4 + 5 * kDigitCell, static_cast<double>(digits[d])});
            }
        }
    }
    std::vector<Shape> shapes(std::begin(kShapes), std::end(kShapes));
    shapes.insert(shapes.begin() + kChartInsertAt, chart.begin(), chart.end());
    return shapes;
}

const std::vector<Shape>& Shapes() {
    static const std::vector<Shape> shapes = BuildShapes();
    return shapes;
}

double FloorDiv(double value, double step) {
    return std::floor(value / step);
}

// The clock's hands at `clockSeconds`, back to front: hour, minute, second, and the hub. The hour
// and minute hands move a little with every second, the second hand a whole step.
struct ClockHand {
    SceneColour colour;
    double length, radius;
    double turns;  // of the dial from 12, clockwise
};
std::array<Shape, 4> ClockHands(int64_t clockSeconds) {
    const int64_t dial = (clockSeconds % kClockDialSeconds + kClockDialSeconds) % kClockDialSeconds;
    const double seconds = static_cast<double>(dial);
    const ClockHand hands[3] = {
        {kClockHand, 28, 3.5, seconds / kClockDialSeconds},
        {kClockHand, 46, 2.5, std::fmod(seconds, 3600) / 3600},
        {kClockSecondHand, 52, 1.2, std::fmod(seconds, 60) / 60},
    };
    std::array<Shape, 4> shapes{};
    for (size_t i = 0; i < 3; ++i) {
        const double angle = 2 * std::numbers::pi * hands[i].turns;
        shapes[i] = {Kind::kCapsule,
                     hands[i].colour,
                     kClockCentre.x,
                     kClockCentre.y,
                     kClockCentre.x + hands[i].length * std::sin(angle),
                     kClockCentre.y + hands[i].length * std::cos(angle),
                     hands[i].radius};
    }
    shapes[3] = {Kind::kEllipse, kClockHand, kClockCentre.x, kClockCentre.y, 5, 5};
    return shapes;
}

// The eyes: the whites' centres and radii, as the shapes above draw them.
constexpr ScenePoint kEyeCentres[] = {{kFx - 21, kFy + 12}, {kFx + 21, kFy + 12}};
constexpr double kEyeHalfWidth = 11;
constexpr double kEyeHalfHeight = 5.5;
constexpr double kLashThickness = 1.5;

// The lids of both eyes lowered by `closed` (0 to 1) of the eye's height: skin down to the lid's
// edge, which is a dark line of lashes. Around the eyes there is only skin, so a lid drawn as a
// rectangle changes nothing but the eye.
std::array<Shape, 4> Eyelids(double closed) {
    std::array<Shape, 4> lids{};
    for (size_t i = 0; i < 2; ++i) {
        const ScenePoint& eye = kEyeCentres[i];
        const double left = eye.x - kEyeHalfWidth;
        const double right = eye.x + kEyeHalfWidth;
        const double top = eye.y + kEyeHalfHeight;
        const double edge = top - closed * 2 * kEyeHalfHeight;
        lids[2 * i] = {Kind::kRect, kSkin, left - 0.5, edge, right + 0.5, top + 0.5};
        lids[2 * i + 1] = {Kind::kRect, kHair, left + 1, edge - kLashThickness, right - 1, edge};
    }
    return lids;
}

// A fixed scramble of a whole number, for moments that look irregular but repeat exactly.
uint64_t Scramble(uint64_t v) {
    v ^= v >> 33;
    v *= 0xff51afd7ed558ccdULL;
    v ^= v >> 33;
    v *= 0xc4ceb9fe1a85ec53ULL;
    return v ^ (v >> 33);
}

// Extent of a shape, for skipping the ones a row or a picture does not cross.
struct Extent {
    double left, bottom, right, top;
};
Extent ExtentOf(const Shape& s) {
    switch (s.kind) {
        case Kind::kEllipse:
            return {s.x0 - s.x1, s.y0 - s.y1, s.x0 + s.x1, s.y0 + s.y1};
        case Kind::kCapsule:
            return {std::min(s.x0, s.x1) - s.r, std::min(s.y0, s.y1) - s.r,
                    std::max(s.x0, s.x1) + s.r, std::max(s.y0, s.y1) + s.r};
        default:
            return {s.x0, s.y0, s.x1, s.y1};
    }
}

// Fills the columns whose centres lie in [xa, xb].
void FillSpan(double xa, double xb, double left, double upp, SceneColour colour,
              std::span<uint8_t> row) {
    const double first = std::ceil((xa - left) / upp - 0.5);
    const double last = std::floor((xb - left) / upp - 0.5);
    const double end = static_cast<double>(row.size()) - 1;
    if (last < 0 || first > end || first > last)
        return;
    const size_t a = static_cast<size_t>(std::max(first, 0.0));
    const size_t b = static_cast<size_t>(std::min(last, end));
    std::fill(row.begin() + a, row.begin() + b + 1, colour);
}

double SegmentDistance(double px, double py, const Shape& s) {
    const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const double t =
        std::clamp(((px - s.x0) * dx + (py - s.y0) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(px - (s.x0 + t * dx), py - (s.y0 + t * dy));
}

void PaintShape(const Shape& s, double y, double left, double upp, std::span<uint8_t> row) {
    switch (s.kind) {
        case Kind::kRect:
            FillSpan(s.x0, s.x1, left, upp, s.colour, row);
            return;
        case Kind::kEllipse: {
            const double dy = (y - s.y0) / s.y1;
            const double half = s.x1 * std::sqrt(std::max(0.0, 1.0 - dy * dy));
            FillSpan(s.x0 - half, s.x0 + half, left, upp, s.colour, row);
            return;
        }
        case Kind::kCapsule: {
            const double xa = std::min(s.x0, s.x1) - s.r, xb = std::max(s.x0, s.x1) + s.r;
            const double first = std::max(0.0, std::ceil((xa - left) / upp - 0.5));
            const double last =
                std::min(static_cast<double>(row.size()) - 1, std::floor((xb - left) / upp - 0.5));
            for (double c = first; c <= last; ++c) {
                if (SegmentDistance(left + (c + 0.5) * upp, y, s) <= s.r) {
                    row[static_cast<size_t>(c)] = s.colour;
                }
            }
            return;
        }
        case Kind::kDigit: {
            const int line = static_cast<int>(FloorDiv(s.y1 - y, kDigitCell));
            if (line < 0 || line > 4)
                return;
            const uint8_t bits = kDigitFont[static_cast<int>(s.r)][line];
            for (int col = 0; col < 3; ++col) {
                if (bits & (4 >> col)) {
                    FillSpan(s.x0 + col * kDigitCell, s.x0 + (col + 1) * kDigitCell, left, upp,
                             s.colour, row);
                }
            }
            return;
        }
    }
}

void PaintBackground(double y, double left, double upp, std::span<uint8_t> row) {
    SceneColour band = kWall;
    if (y >= kCeilingY) {
        band = kCeiling;
    } else if (y >= kMouldingY) {
        band = kMoulding;
    } else if (y >= kFloorY && y < kSkirtingTop) {
        band = kSkirting;
    }
    if (band != kWall) {
        std::fill(row.begin(), row.end(), band);
        return;
    }
    for (size_t c = 0; c < row.size(); ++c) {
        const double x = left + (static_cast<double>(c) + 0.5) * upp;
        if (y < kFloorY) {
            const bool dark = static_cast<int64_t>(FloorDiv(x, kTile) + FloorDiv(y, kTile)) & 1;
            row[c] = dark ? kFloorDark : kFloorLight;
        } else {
            const double inPanel = x - FloorDiv(x, kSeamSpacing) * kSeamSpacing;
            row[c] = inPanel < kSeamWidth ? kWallSeam : kWall;
        }
    }
}

}  // namespace

std::span<const Reflectance> ScenePalette() {
    return kPalette;
}

SceneMoment PersonAt(int64_t sceneUs, int64_t clockSeconds) {
    SceneMoment moment;
    moment.clockSeconds = clockSeconds;
    const int64_t now = std::max<int64_t>(sceneUs, 0);
    const int64_t intoBreath = now % kBreathPeriodUs;
    const double phase = 2 * std::numbers::pi * static_cast<double>(intoBreath) / kBreathPeriodUs;
    moment.shoulderRise = kBreathDepth * (1 - std::cos(phase)) / 2;

    // One blink somewhere in the first part of every spacing, never running into the next: the
    // lids take a third of it to close, stay shut a third and open in the last.
    const int64_t spacing = now / kBlinkSpacingUs;
    const int64_t latestStart = kBlinkSpacingUs - 2 * kBlinkUs;
    const int64_t start =
        spacing * kBlinkSpacingUs + static_cast<int64_t>(Scramble(static_cast<uint64_t>(spacing)) %
                                                         static_cast<uint64_t>(latestStart));
    const int64_t intoBlink = now - start;
    if (intoBlink >= 0 && intoBlink < kBlinkUs) {
        const double third = kBlinkUs / 3.0;
        const double t = static_cast<double>(intoBlink);
        moment.eyesClosed = std::min({1.0, t / third, (kBlinkUs - t) / third});
    }
    return moment;
}

void PaintSceneRow(double worldY, double left, double unitsPerPixel, const SceneMoment& moment,
                   std::span<uint8_t> row) {
    PaintBackground(worldY, left, unitsPerPixel, row);
    const double right = left + static_cast<double>(row.size()) * unitsPerPixel;
    auto crosses = [&](const Extent& e) {
        return worldY >= e.bottom && worldY <= e.top && e.right >= left && e.left <= right;
    };
    for (const Shape& s : Shapes()) {
        if (!s.breathes || moment.shoulderRise == 0) {
            if (crosses(ExtentOf(s)))
                PaintShape(s, worldY, left, unitsPerPixel, row);
            continue;
        }
        Shape raised = s;
        raised.y0 += moment.shoulderRise;
        if (raised.kind == Kind::kRect)
            raised.y1 += moment.shoulderRise;
        if (crosses(ExtentOf(raised)))
            PaintShape(raised, worldY, left, unitsPerPixel, row);
    }
    if (moment.eyesClosed > 0) {
        for (const Shape& s : Eyelids(moment.eyesClosed)) {
            if (crosses(ExtentOf(s)))
                PaintShape(s, worldY, left, unitsPerPixel, row);
        }
    }
    // Nothing else overlaps the clock, so its hands can go last.
    const Extent clock{kClockCentre.x - kClockRadius, kClockCentre.y - kClockRadius,
                       kClockCentre.x + kClockRadius, kClockCentre.y + kClockRadius};
    if (crosses(clock)) {
        for (const Shape& s : ClockHands(moment.clockSeconds))
            PaintShape(s, worldY, left, unitsPerPixel, row);
    }
}

}  // namespace sim
