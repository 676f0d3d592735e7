// The simulated lens: how many pan/tilt units one sensor pixel spans at a zoom position.
//
// The two newer pan/tilt heads (models 8 and 13, and model 14) carry the lenses that the
// station's face-centering tables were measured on, so a double-click that asks for d x factor
// units really moves the picture by d pixels. Their lenses zoom in the same steps of 200
// positions as those tables are indexed by. Every other model gets a smooth lens of about the
// same range.
#pragma once

#include <cstdint>

namespace sim {

// Units per sensor pixel, in pan and tilt alike, at `zoom` (0 to 15000).
double UnitsPerPixel(uint16_t model, int zoom);

}  // namespace sim
