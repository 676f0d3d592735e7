// The head's own lens: how many pan/tilt units one picture pixel spans at a zoom position.
//
// This is what gives the head's units a meaning in the picture. The station's face centering
// asks for d x factor units to move the picture by d pixels, with its factor from the same
// measurements; a camera whose lens differs converts the units back into pixels through this
// table and then into angles through its own field of view.
#pragma once

namespace head {

// Units per picture pixel, in pan and tilt alike, at zoom position `zoom` (kZoomMin to
// kZoomMax; positions beyond are taken as the nearest end).
double UnitsPerPixel(int zoom);

}  // namespace head
