// The lens tables of the pan/tilt models and the smooth lens of the others.
#include "simulator/Optics.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "head/HeadLens.h"

namespace sim {

namespace {

// Step 12 reads 1.363 in the station's copy of this table, which no lens can do between
// 1.1589 and 1.1182 (the picture would widen while zooming in); the glass has 1.1363.
constexpr double kRev2Lens[] = {
    1.4285, 1.4056, 1.3725, 1.3565, 1.3257, 1.3011, 1.2727, 1.2544, 1.228,  1.2069, 1.1824,
    1.1589, 1.1363, 1.1182, 1.0903, 1.0736, 1.0683, 1.046,  1.0162, 1.0,    0.9842, 0.9708,
    0.9523, 0.9259, 0.909,  0.8928, 0.8695, 0.8474, 0.8296, 0.8119, 0.7983, 0.7786, 0.7582,
    0.7441, 0.7305, 0.7042, 0.6944, 0.673,  0.6542, 0.6422, 0.625,  0.606,  0.5882, 0.5741,
    0.5555, 0.5418, 0.5263, 0.5116, 0.4954, 0.4803, 0.468,  0.4524, 0.4385, 0.4285, 0.4109,
    0.3964, 0.3864, 0.3738, 0.3619, 0.3493, 0.3389, 0.3255, 0.3153, 0.3043, 0.2941, 0.2845,
    0.2752, 0.2643, 0.2564, 0.2463, 0.238,  0.2298, 0.2222, 0.2158, 0.2068, 0.2,
};

constexpr int kZoomStep = 200;

template <size_t N>
double Stepped(const double (&lens)[N], int zoom) {
    const unsigned position = static_cast<unsigned>(std::max(zoom, 0));
    const unsigned step = position / kZoomStep + (position % kZoomStep > kZoomStep / 2 ? 1 : 0);
    return lens[std::min<size_t>(step, N - 1)];
}

}  // namespace

double UnitsPerPixel(uint16_t model, int zoom) {
    switch (model) {
        case 8:
        case 13:
            return Stepped(kRev2Lens, zoom);
        case 14:
            return head::UnitsPerPixel(zoom);  // the head's own lens
        default:
            // 1.25 units per pixel wide, 0.2 at the long end, the same ratio per position.
            return 1.25 * std::pow(0.16, std::clamp(zoom, 0, 15000) / 15000.0);
    }
}

}  // namespace sim
