// The head's lens, measured in zoom steps of 200 positions.
#include "head/HeadLens.h"

#include <algorithm>
#include <iterator>

namespace head {

namespace {

// Units per pixel by zoom step (position / 200, a remainder above 100 rounding up).
constexpr double kLens[] = {
    0.9756, 0.9478, 0.9375, 0.9202, 0.909,  0.8875, 0.872,  0.8571, 0.8426, 0.8152, 0.8021,
    0.7853, 0.7692, 0.7537, 0.7425, 0.7309, 0.7062, 0.6906, 0.6773, 0.6642, 0.647,  0.6351,
    0.6218, 0.6097, 0.5938, 0.5827, 0.5668, 0.5543, 0.5429, 0.5298, 0.5168, 0.5032, 0.4941,
    0.4816, 0.4719, 0.4587, 0.447,  0.4357, 0.4235, 0.4109, 0.4009, 0.3926, 0.3791, 0.3703,
    0.3579, 0.3496, 0.3381, 0.3278, 0.317,  0.3073, 0.2948, 0.2857, 0.2736, 0.2644, 0.2551,
    0.2463, 0.2356, 0.2305, 0.224,  0.2144, 0.2067, 0.1994, 0.1927, 0.1808, 0.1736, 0.1662,
    0.1591, 0.1515, 0.1409, 0.1312, 0.1262, 0.1219, 0.1139, 0.1086, 0.1036, 0.0968,
};

constexpr unsigned kZoomStep = 200;

}  // namespace

double UnitsPerPixel(int zoom) {
    const unsigned position = static_cast<unsigned>(std::max(zoom, 0));
    const unsigned step = position / kZoomStep + (position % kZoomStep > kZoomStep / 2 ? 1 : 0);
    return kLens[std::min<size_t>(step, std::size(kLens) - 1)];
}

}  // namespace head
