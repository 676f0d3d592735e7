// Where the preview takes its pixels from: the crop rectangle clipped to the camera frame, and
// the sampling of a picture turned by a quarter onto the preview window.
//
// Pure arithmetic on plain integers, so the main dialog, the capture code and the tests can use
// it without a window. Frame coordinates have (0, 0) at the picture's top-left pixel, whatever
// the row order of the memory that holds it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

struct FrameRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool operator==(const FrameRect&) const = default;
};

// The part of `rect` that lies inside a frame of the given size; an empty rectangle at (0, 0)
// when nothing does (negative or zero sizes included). The settings may hold any crop size and
// offset (a custom crop is not limited to the frame, and centring a crop wider than the frame
// gives a negative offset), so every reader of the frame clips first. Never overflows.
FrameRect ClipToFrame(const FrameRect& rect, int32_t frameWidth, int32_t frameHeight);

// The rectangle of the upright 640 x 480 frame that the preview shows, before clipping. The
// crop settings describe the picture as it is shown, so for a turned picture (rotation 1 or 2)
// they are taken crosswise (width = crop height, height = crop width), and the offsets count
// from the turned frame's top-left corner, which is the upright frame's bottom-left corner for
// rotation 1 (clockwise) and its top-right corner for rotation 2. So the preview shows the very
// pixels a capture cuts from the turned frame, also when the crop is not exactly centred
// (an odd margin leaves one pixel more on the far side).
FrameRect PreviewSourceRect(int32_t rotation, int32_t cropWidth, int32_t cropHeight,
                            int32_t cropOffsetX, int32_t cropOffsetY);

struct WindowExtent {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const WindowExtent&) const = default;
};

// The preview window's size: the crop size, so that the picture is shown one to one and the
// window shows exactly what a capture stores, limited to the frame as shown (640 x 480 upright,
// 480 x 640 turned by rotation 1 or 2) and never negative.
WindowExtent PreviewWindowExtent(int32_t rotation, int32_t cropWidth, int32_t cropHeight);

struct PlanePoint {
    int32_t x = 0;
    int32_t y = 0;
};

// Nearest-pixel sampling of a source rectangle turned by a quarter onto a window. The three
// corners are where the rectangle's top-left, top-right and bottom-left corners land; the
// top edge must run vertically and the left edge horizontally on the window. A frame pixel
// (xs, ys) lands, for corners P0 P1 P2, at
//     P0 + (xs - x) / width * (P1 - P0) + (ys - y) / height * (P2 - P0),
// so a window column always shows one frame row and a window row one frame column. Each window
// pixel takes the frame pixel under its centre.
struct QuarterTurnMap {
    int32_t windowLeft = 0;
    int32_t windowTop = 0;
    int32_t windowWidth = 0;
    int32_t windowHeight = 0;
    std::vector<int32_t> frameRowOfColumn;  // windowWidth entries, each inside the source rect
    std::vector<int32_t> frameColumnOfRow;  // windowHeight entries, each inside the source rect
};

// The corners that turn a source rectangle by a quarter onto a whole window of the given size:
// clockwise for rotation 1, anticlockwise for rotation 2 (for 480 x 600: (480, 0), (480, 600),
// (0, 0) and (0, 600), (0, 0), (480, 600)).
std::array<PlanePoint, 3> QuarterTurnCorners(int32_t rotation, int32_t windowWidth,
                                             int32_t windowHeight);

// Fills `map` (reusing its storage); false, and `map` left empty, when the source is empty or
// the corners do not describe a quarter turn.
bool BuildQuarterTurnMap(std::span<const PlanePoint, 3> corners, const FrameRect& source,
                         QuarterTurnMap& map);
