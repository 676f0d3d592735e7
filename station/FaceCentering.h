// Face centering on the preview: the arithmetic that turns a double-click or a drag on the
// live picture into one relative pan/tilt move of the camera head.
//
// Pure functions on plain integers, beside the preview window's mouse handlers
// (DisplayWindow.cpp) and the dialog's move (FaceCenteringMoves.cpp), so they can be tested
// without a window or a camera.
//
// A pixel distance d on the picture asks for d x factor units of pan or tilt, the factor read
// from the lens table of the camera class at the current zoom step. The head takes 16-bit
// signed amounts, so distances are worked out in 64 bits and the amounts held to the 16-bit
// range: a huge amount stays a huge move the same way instead of wrapping round the other way.
#pragma once

#include "control/HeadLink.h"

#include <array>
#include <cstdint>
#include <optional>

namespace face {

// Both lens tables have this many zoom steps; a position past the last step uses the last.
inline constexpr uint32_t kZoomSteps = 90;

// The zoom step of a head zoom position: position / 200, one more when the remainder exceeds
// 100 (so 100 rounds down and 101 up), never past the last step.
uint32_t ZoomStep(uint32_t zoomPosition);

// The table entry (units per pixel) of camera class 4 or 5 at `step` (clamped to the table);
// 0 for any other class, which has no face centering.
double LensScale(int32_t cameraType, uint32_t step);

// The factor in use, in single precision as the settings keep it.
float AutoCorrectionFactor(int32_t cameraType, uint32_t zoomPosition);

// d x factor in extended precision, truncated toward zero, held to -32768..32767.
int32_t AmountOfDistance(int64_t distance, float factor);

struct ArgumentWrite {
    HeadArgument argument = HeadArgument::A;
    int32_t value = 0;
    bool operator==(const ArgumentWrite&) const = default;
};

// One relative move: an optional beep, then the two argument writes in order, then command
// 159.
struct RelativeMove {
    bool beep = false;
    std::array<ArgumentWrite, 2> writes{};
    bool operator==(const RelativeMove&) const = default;
};

// The beep that announces a centering on a picture turned by 270 degrees.
inline constexpr int kTurnedBeepHz = 150;
inline constexpr int kTurnedBeepMs = 40;

// A point in the picture's own pixels (64 bits: it comes from arithmetic on settings).
struct PicturePoint {
    int64_t x = 0;
    int64_t y = 0;
    bool operator==(const PicturePoint&) const = default;
};

// The picture pixel under window point (x, y). The preview window has the crop's size, so the
// picture is shown unscaled; only a turned crop larger than the turned frame (480 x 640) is
// stretched over the window, and the point is then scaled back to the crop's own pixels.
PicturePoint WindowToPicture(int32_t rotation, int32_t cropWidth, int32_t cropHeight, int32_t x,
                             int32_t y);

// What a centering reads of the settings.
struct CenteringFrame {
    int32_t cropWidth = 0;
    int32_t cropHeight = 0;
    int32_t xCenterOffset = 0;
    int32_t yCenterOffset = 0;
    int32_t rotation = 0;
};

// The target point a centering brings a feature to, in picture pixels: the crop's centre moved
// xCenterOffset to the right and yCenterOffset up.
PicturePoint TargetPoint(const CenteringFrame& frame);

// The offsets that make `point` (picture pixels) the target, held to the 32-bit range.
std::pair<int32_t, int32_t> OffsetsForTarget(const CenteringFrame& frame, PicturePoint point);

// The move that brings the feature at window point (x, y) to the target; nothing for a
// rotation other than 0, 1 and 2.
std::optional<RelativeMove> CenteringMove(const CenteringFrame& frame, float factor, int32_t x,
                                          int32_t y);

// Whether a release this close to the press (under 2 pixels each way) is a click, not a drag.
bool IsClick(int32_t pressX, int32_t pressY, int32_t x, int32_t y);

// The move that carries the picture from the press point to the release point (window
// pixels); nothing for a rotation other than 0, 1 and 2.
std::optional<RelativeMove> DragMove(const CenteringFrame& frame, float factor, int32_t pressX,
                                     int32_t pressY, int32_t x, int32_t y);

}  // namespace face
