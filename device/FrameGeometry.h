// The camera frame and the two ways a rotation turns it.
//
// The camera always sends 640 x 480. A rotation setting of 1 turns the picture a quarter turn
// clockwise, 2 a quarter turn anticlockwise; the preview, the capture and face centering turn
// the picture only for those two values. The layouts and the crop sizes, however, treat every
// rotation other than 0 as turned, so a stored rotation outside 0 to 2 lays the controls out
// for a turned crop over an upright picture. The two questions are named apart here so that
// each place asks the one it means.
#pragma once

#include <cstdint>

namespace frame {

inline constexpr int32_t kWidth = 640;
inline constexpr int32_t kHeight = 480;

struct Size {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// The picture is turned by a quarter (rotation 1 or 2): it is shown and stored 480 x 640.
constexpr bool QuarterTurn(int32_t rotation) {
    return rotation == 1 || rotation == 2;
}

// The crop and the layouts are those of a turned picture (any rotation but 0).
constexpr bool CropTurned(int32_t rotation) {
    return rotation != 0;
}

// The frame upright or turned.
constexpr Size Oriented(bool turned) {
    return turned ? Size{kHeight, kWidth} : Size{kWidth, kHeight};
}

// The frame as the preview and the capture show it for a rotation.
constexpr Size Shown(int32_t rotation) {
    return Oriented(QuarterTurn(rotation));
}

}  // namespace frame
