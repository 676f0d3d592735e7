// The emulated UVC camera's pictures: what its controls do to the rendered room, and the MJPEG
// forms its frames come in.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "simulator/EmulatedUvcProfiles.h"
#include "simulator/FrameRenderer.h"

namespace sim {

using UvcPicture = decltype(FrameRequest::picture);

// The picture the camera's controls make; `values` holds one value per control of `profile`, in
// its order. Every control at its default, and the automatic modes on, give the room's neutral
// picture. Exposure, gain, iris and brightness change the light, white balance the colour gains
// and sharpness the sharpening.
UvcPicture PictureFromControls(const UvcProfile& profile, std::span<const int32_t> values);

// Encodes rendered 4:2:2 planes as an MJPEG frame of the given form into `frame`; `scratch` keeps
// the 4:2:0 chroma rows between calls. False only when the JPEG library fails.
bool EncodeUvcJpeg(const YccPlanes& planes, UvcJpegForm form, std::vector<uint8_t>& frame,
                   std::vector<uint8_t>& scratch);

}  // namespace sim
