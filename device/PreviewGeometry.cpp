// Crop clipping and quarter-turn sampling for the preview (see PreviewGeometry.h).
#include "device/PreviewGeometry.h"
#include "device/FrameGeometry.h"

#include <algorithm>
#include <limits>

FrameRect ClipToFrame(const FrameRect& rect, int32_t frameWidth, int32_t frameHeight) {
    if (rect.IsEmpty() || frameWidth <= 0 || frameHeight <= 0) {
        return {};
    }
    // 64-bit edges: offset plus size of two extreme 32-bit values must not wrap.
    const int64_t left = std::max<int64_t>(rect.x, 0);
    const int64_t top = std::max<int64_t>(rect.y, 0);
    const int64_t right = std::min<int64_t>(int64_t{rect.x} + rect.width, frameWidth);
    const int64_t bottom = std::min<int64_t>(int64_t{rect.y} + rect.height, frameHeight);
    if (right <= left || bottom <= top) {
        return {};
    }
    return {static_cast<int32_t>(left), static_cast<int32_t>(top),
            static_cast<int32_t>(right - left), static_cast<int32_t>(bottom - top)};
}

namespace {

int32_t Saturate32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

FrameRect PreviewSourceRect(int32_t rotation, int32_t cropWidth, int32_t cropHeight,
                            int32_t cropOffsetX, int32_t cropOffsetY) {
    // Turned clockwise, upright (x, y) lands at turned (479 - y, x); anticlockwise at
    // (y, 639 - x). An edge beyond 32 bits saturates: such a rectangle misses the frame either
    // way.
    if (rotation == 1) {
        return {cropOffsetY, Saturate32(int64_t{frame::kHeight} - cropOffsetX - cropWidth),
                cropHeight, cropWidth};
    }
    if (rotation == 2) {
        return {Saturate32(int64_t{frame::kWidth} - cropOffsetY - cropHeight), cropOffsetX,
                cropHeight, cropWidth};
    }
    return {cropOffsetX, cropOffsetY, cropWidth, cropHeight};
}

WindowExtent PreviewWindowExtent(int32_t rotation, int32_t cropWidth, int32_t cropHeight) {
    const frame::Size shown = frame::Shown(rotation);
    return {std::clamp(cropWidth, 0, shown.width), std::clamp(cropHeight, 0, shown.height)};
}

std::array<PlanePoint, 3> QuarterTurnCorners(int32_t rotation, int32_t windowWidth,
                                             int32_t windowHeight) {
    if (rotation == 2)
        return {PlanePoint{0, windowHeight}, PlanePoint{0, 0},
                PlanePoint{windowWidth, windowHeight}};
    return {PlanePoint{windowWidth, 0}, PlanePoint{windowWidth, windowHeight}, PlanePoint{0, 0}};
}

namespace {

// Source offset, 0 .. size-1, sampled by window pixel `pixel` on an edge that runs from
// window coordinate `from` to `to`: the floor of (pixel + 1/2 - from) / (to - from) * size,
// done in integers as ((2 pixel + 1 - 2 from) size) / (2 (to - from)).
int32_t SampleAlongEdge(int64_t pixel, int64_t from, int64_t to, int64_t size) {
    int64_t num = (2 * pixel + 1 - 2 * from) * size;
    int64_t den = 2 * (to - from);
    if (den < 0) {
        num = -num;
        den = -den;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(num / den, 0, size - 1));
}

}  // namespace

bool BuildQuarterTurnMap(std::span<const PlanePoint, 3> corners, const FrameRect& source,
                         QuarterTurnMap& map) {
    map.windowLeft = map.windowTop = map.windowWidth = map.windowHeight = 0;
    map.frameRowOfColumn.clear();
    map.frameColumnOfRow.clear();
    const PlanePoint& topLeft = corners[0];
    const PlanePoint& topRight = corners[1];
    const PlanePoint& bottomLeft = corners[2];
    const bool quarterTurn = topRight.x == topLeft.x && bottomLeft.y == topLeft.y &&
                             topRight.y != topLeft.y && bottomLeft.x != topLeft.x;
    if (source.IsEmpty() || !quarterTurn) {
        return false;
    }
    map.windowLeft = std::min(topLeft.x, bottomLeft.x);
    map.windowTop = std::min(topLeft.y, topRight.y);
    map.windowWidth = std::max(topLeft.x, bottomLeft.x) - map.windowLeft;
    map.windowHeight = std::max(topLeft.y, topRight.y) - map.windowTop;

    // Across the window runs the source's left edge (its rows), down it the top edge (columns).
    map.frameRowOfColumn.resize(static_cast<size_t>(map.windowWidth));
    for (int32_t column = 0; column < map.windowWidth; ++column) {
        map.frameRowOfColumn[static_cast<size_t>(column)] =
            source.y +
            SampleAlongEdge(map.windowLeft + column, topLeft.x, bottomLeft.x, source.height);
    }
    map.frameColumnOfRow.resize(static_cast<size_t>(map.windowHeight));
    for (int32_t row = 0; row < map.windowHeight; ++row) {
        map.frameColumnOfRow[static_cast<size_t>(row)] =
            source.x + SampleAlongEdge(map.windowTop + row, topLeft.y, topRight.y, source.width);
    }
    return true;
}
