// Renders what the simulated camera sees into Y, Cb and Cr planes sampled 2 x 1.
//
// The scene (simulator/Scene.h) gives a reflectance per point; the renderer lights it with the
// room light (and the flash on one interlaced field), applies the head's exposure and
// white-balance gains, the tone curve the host sent, the colour matrix that the station's
// converter undoes, the sensor's noise, and the head's brightness, contrast, colour level and
// sharpness. The same
// planes become a JPEG frame or a raw frame, so both forms show the same picture.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "simulator/CameraHead.h"
#include "simulator/Scene.h"

namespace sim {

enum class FlashField { kNone, kOddRows, kEvenRows };

struct FrameRequest {
    int width = 640;  // picture size in pixels (even width)
    int height = 480;
    double centreX = 0;  // world point at the centre of the picture (pan, tilt units)
    double centreY = 0;
    double unitsPerPixelX = 1.0;  // world units one picture pixel spans
    double unitsPerPixelY = 1.0;
    PictureSettings picture;
    const std::array<uint8_t, 256>* toneCurve = nullptr;  // nullptr: the head's own curve
    FlashField flash = FlashField::kNone;
    int64_t clockSeconds = kTenPastTen;  // the time on the wall clock, seconds past twelve
    // A live room: the person breathes and blinks (PersonAt) and the sensor adds a little noise
    // to the luminance, all as they are `sceneUs` into the run. A still room (false) renders
    // the same picture for the same head and clock at any time.
    bool alive = false;
    int64_t sceneUs = 0;
};

// Planes padded to whole 16 x 8 macroblocks (edges repeated), as the encoder wants them.
struct YccPlanes {
    int width = 0;
    int height = 0;
    int stride = 0;        // luminance row length, a multiple of 16
    int paddedHeight = 0;  // a multiple of 8
    std::vector<uint8_t> y;
    std::vector<uint8_t> cb;  // stride / 2 per row
    std::vector<uint8_t> cr;
};

void RenderFrame(const FrameRequest& request, YccPlanes& planes);

// Y0 Cb Y1 Cr per pixel pair, top row first: the camera's raw frame.
void PackRawFrame(const YccPlanes& planes, std::vector<uint8_t>& frame);

}  // namespace sim
