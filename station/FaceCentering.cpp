// The face-centering arithmetic (see FaceCentering.h).
//
// The axes: with the picture upright, a feature right of the target needs a pan right
// (argument A) and a feature above it a tilt up (argument B). Turned by 90 degrees the
// picture's x runs along the camera's tilt and its y against the pan; turned by 270 degrees
// the picture's x runs against the tilt and its y along the pan. A drag uses the same mapping
// with the press-to-release distance.
#include "station/FaceCentering.h"

#include "device/FrameGeometry.h"
#include "device/PreviewGeometry.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

namespace face {

namespace {

// Units per pixel by zoom step, class 5 heads.
constexpr double kClass5Scale[kZoomSteps] = {
    0.9756, 0.9478, 0.9375, 0.9202, 0.909,  0.8875, 0.872,  0.8571, 0.8426, 0.8152, 0.8021,
    0.7853, 0.7692, 0.7537, 0.7425, 0.7309, 0.7062, 0.6906, 0.6773, 0.6642, 0.647,  0.6351,
    0.6218, 0.6097, 0.5938, 0.5827, 0.5668, 0.5543, 0.5429, 0.5298, 0.5168, 0.5032, 0.4941,
    0.4816, 0.4719, 0.4587, 0.447,  0.4357, 0.4235, 0.4109, 0.4009, 0.3926, 0.3791, 0.3703,
    0.3579, 0.3496, 0.3381, 0.3278, 0.317,  0.3073, 0.2948, 0.2857, 0.2736, 0.2644, 0.2551,
    0.2463, 0.2356, 0.2305, 0.224,  0.2144, 0.2067, 0.1994, 0.1927, 0.1808, 0.1736, 0.1662,
    0.1591, 0.1515, 0.1409, 0.1312, 0.1262, 0.1219, 0.1139, 0.1086, 0.1036, 0.0968,
    // steps 76 to 89 were never measured: no move
};

// Units per pixel by zoom step, class 4 heads. Step 12 is 1.1363, between its neighbours
// 1.1589 and 1.1182; written 1.363 (a digit dropped) it would overshoot every gesture at zoom
// 2301 to 2500 by a fifth.
constexpr double kClass4Scale[kZoomSteps] = {
    1.4285, 1.4056, 1.3725, 1.3565, 1.3257, 1.3011, 1.2727, 1.2544, 1.228,  1.2069, 1.1824,
    1.1589, 1.1363, 1.1182, 1.0903, 1.0736, 1.0683, 1.046,  1.0162, 1.0,    0.9842, 0.9708,
    0.9523, 0.9259, 0.909,  0.8928, 0.8695, 0.8474, 0.8296, 0.8119, 0.7983, 0.7786, 0.7582,
    0.7441, 0.7305, 0.7042, 0.6944, 0.673,  0.6542, 0.6422, 0.625,  0.606,  0.5882, 0.5741,
    0.5555, 0.5418, 0.5263, 0.5116, 0.4954, 0.4803, 0.468,  0.4524, 0.4385, 0.4285, 0.4109,
    0.3964, 0.3864, 0.3738, 0.3619, 0.3493, 0.3389, 0.3255, 0.3153, 0.3043, 0.2941, 0.2845,
    0.2752, 0.2643, 0.2564, 0.2463, 0.238,  0.2298, 0.2222, 0.2158, 0.2068, 0.2,
};

constexpr uint32_t kZoomStepWidth = 200;

int32_t Saturate16(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

int32_t Saturate32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The amounts for a distance (dx right, dy up, picture pixels) under `rotation`.
std::optional<RelativeMove> MoveFor(int32_t rotation, float factor, int64_t dx, int64_t dy,
                                    bool beepWhenTurnedBack) {
    // Negated before saturating, so -(-32768) becomes 32767, never -32768 again.
    const auto amount = [factor](int64_t d) { return Saturate16(AmountOfDistance(d, factor)); };
    const auto negated = [factor](int64_t d) {
        return Saturate16(-int64_t{AmountOfDistance(d, factor)});
    };
    switch (rotation) {
        case 0:
            return RelativeMove{false,
                                {{{HeadArgument::A, amount(dx)}, {HeadArgument::B, amount(dy)}}}};
        case 1:
            return RelativeMove{false,
                                {{{HeadArgument::B, amount(dx)}, {HeadArgument::A, negated(dy)}}}};
        case 2:
            return RelativeMove{beepWhenTurnedBack,
                                {{{HeadArgument::B, negated(dx)}, {HeadArgument::A, amount(dy)}}}};
        default:
            return std::nullopt;
    }
}

}  // namespace

uint32_t ZoomStep(uint32_t zoomPosition) {
    const uint32_t step = zoomPosition / kZoomStepWidth +
                          (zoomPosition % kZoomStepWidth > kZoomStepWidth / 2 ? 1 : 0);
    return std::min(step, kZoomSteps - 1);
}

double LensScale(int32_t cameraType, uint32_t step) {
    step = std::min(step, kZoomSteps - 1);
    switch (cameraType) {
        case 4:
            return kClass4Scale[step];
        case 5:
            return kClass5Scale[step];
        default:
            return 0.0;
    }
}

float AutoCorrectionFactor(int32_t cameraType, uint32_t zoomPosition) {
    return static_cast<float>(LensScale(cameraType, ZoomStep(zoomPosition)));
}

int32_t AmountOfDistance(int64_t distance, float factor) {
    const long double amount = std::trunc(static_cast<long double>(distance) * factor);
    if (std::isnan(amount)) {
        return 0;
    }
    return static_cast<int32_t>(std::clamp<long double>(amount, std::numeric_limits<int16_t>::min(),
                                                        std::numeric_limits<int16_t>::max()));
}

PicturePoint WindowToPicture(int32_t rotation, int32_t cropWidth, int32_t cropHeight, int32_t x,
                             int32_t y) {
    const bool turned = frame::QuarterTurn(rotation);
    const WindowExtent window = PreviewWindowExtent(rotation, cropWidth, cropHeight);
    if (!turned || cropWidth <= 0 || cropHeight <= 0 || window.width <= 0 || window.height <= 0 ||
        (cropWidth == window.width && cropHeight == window.height)) {
        return {x, y};
    }
    // A window pixel covers picture pixels [x W / w, (x + 1) W / w): take the first.
    const auto scale = [](int64_t v, int64_t size, int64_t extent) {
        const int64_t n = v * size;
        return n >= 0 ? n / extent : -((-n + extent - 1) / extent);
    };
    return {scale(x, cropWidth, window.width), scale(y, cropHeight, window.height)};
}

PicturePoint TargetPoint(const CenteringFrame& frame) {
    return {int64_t{frame.cropWidth / 2} + frame.xCenterOffset,
            int64_t{frame.cropHeight / 2} - frame.yCenterOffset};
}

std::pair<int32_t, int32_t> OffsetsForTarget(const CenteringFrame& frame, PicturePoint point) {
    return {Saturate32(point.x - frame.cropWidth / 2), Saturate32(frame.cropHeight / 2 - point.y)};
}

std::optional<RelativeMove> CenteringMove(const CenteringFrame& frame, float factor, int32_t x,
                                          int32_t y) {
    const PicturePoint at =
        WindowToPicture(frame.rotation, frame.cropWidth, frame.cropHeight, x, y);
    const PicturePoint target = TargetPoint(frame);
    return MoveFor(frame.rotation, factor, at.x - target.x, target.y - at.y, true);
}

bool IsClick(int32_t pressX, int32_t pressY, int32_t x, int32_t y) {
    return std::abs(int64_t{pressX} - x) < 2 && std::abs(int64_t{pressY} - y) < 2;
}

std::optional<RelativeMove> DragMove(const CenteringFrame& frame, float factor, int32_t pressX,
                                     int32_t pressY, int32_t x, int32_t y) {
    const PicturePoint from =
        WindowToPicture(frame.rotation, frame.cropWidth, frame.cropHeight, pressX, pressY);
    const PicturePoint to =
        WindowToPicture(frame.rotation, frame.cropWidth, frame.cropHeight, x, y);
    return MoveFor(frame.rotation, factor, from.x - to.x, to.y - from.y, false);
}

}  // namespace face
