// The booking room the simulated camera looks at, in the head's own pan/tilt units.
//
// World x grows to the right and y upwards; the head at pan p, tilt t looks at the point
// (p, t). In front of the camera stands a backdrop with a height chart (a line every 10 cm,
// numbered in centimetres at both edges); before it a person, head and shoulders, with eyes,
// nose and mouth; a colour card is pinned to the backdrop's upper right. Around it: a wall
// with panel seams, a door on the left, a clock and a window on the right, skirting, floor
// tiles and ceiling, so that any motion shows. The clock's hands show the time they are given,
// its red second hand stepping once a second, so a live picture of it changes every second; the
// person breathes (the shoulders rise and fall) and blinks now and then. The
// scene is flat-coloured: every point has one of a few reflectances (the palette), which lets the
// renderer light a colour once per frame instead of once per pixel.
#pragma once

#include <cstdint>
#include <span>

namespace sim {

struct Reflectance {
    float r, g, b;  // linear, 0 to 1 (a little above 1 for the sky through the window)
};

enum SceneColour : uint8_t {
    kWall,
    kWallSeam,
    kSkirting,
    kFloorLight,
    kFloorDark,
    kCeiling,
    kMoulding,
    kBackdrop,
    kChartLine,
    kChartDigit,
    kDoorFrame,
    kDoor,
    kDoorPanel,
    kBrass,
    kWindowFrame,
    kSky,
    kClockRim,
    kClockFace,
    kClockHand,
    kClockSecondHand,
    kCardFrame,
    kCardWhite,
    kCardGrey,
    kCardBlack,
    kCardRed,
    kCardGreen,
    kCardBlue,
    kSkin,
    kSkinShade,
    kHair,
    kEyeWhite,
    kPupil,
    kLips,
    kNostril,
    kShirt,
    kCollar,
    kSceneColourCount
};

std::span<const Reflectance> ScenePalette();

// Seconds past twelve on the wall clock's 12-hour dial.
inline constexpr int kClockDialSeconds = 12 * 3600;
inline constexpr int kTenPastTen = 10 * 3600 + 10 * 60;

// What changes in the room from one moment to the next.
struct SceneMoment {
    int64_t clockSeconds = kTenPastTen;  // the wall clock's time, taken modulo the dial
    double shoulderRise = 0;             // units the shoulders stand above their rest
    double eyesClosed = 0;               // 0 open to 1 shut
};

// The person at `sceneUs` microseconds into the run: breathing lifts the shoulders by up to
// kBreathDepth once every kBreathPeriodUs, and a blink of kBlinkUs comes at an uneven moment of
// every kBlinkSpacingUs. The same time always gives the same person.
inline constexpr double kBreathDepth = 5;
inline constexpr int64_t kBreathPeriodUs = 4'200'000;
inline constexpr int64_t kBlinkSpacingUs = 4'000'000;
inline constexpr int64_t kBlinkUs = 240'000;
SceneMoment PersonAt(int64_t sceneUs, int64_t clockSeconds);

// Paints one picture row: the row's world y, and for column c the world x
// left + (c + 0.5) * unitsPerPixel; one palette index per column.
void PaintSceneRow(double worldY, double left, double unitsPerPixel, const SceneMoment& moment,
                   std::span<uint8_t> row);

// Places tests and demonstrations can aim at.
struct ScenePoint {
    double x, y;
};
inline constexpr ScenePoint kFaceCentre{40, 60};
inline constexpr ScenePoint kLeftPupil{19, 72};  // the person's right eye, on the left
inline constexpr ScenePoint kRightPupil{61, 72};
inline constexpr double kPupilRadius = 4;
// The colour card: 3 x 2 patches of kCardPatch units, top row white, grey, black, bottom row
// red, green, blue, the top-left patch's lower-left corner at kCardOrigin.
inline constexpr ScenePoint kCardOrigin{190, 162};
inline constexpr double kCardPatch = 32;
// The wall clock: everything it shows lies within kClockRadius of its centre.
inline constexpr ScenePoint kClockCentre{820, 300};
inline constexpr double kClockRadius = 64;

}  // namespace sim
