// Test frames in the camera's own compressed form, made with libjpeg: start of image, the
// quantisation tables, a baseline frame header (three components sampled 2x1, 1x1, 1x1), the
// scan header and the entropy-coded data with the standard Huffman tables left out of the
// stream, end of image.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace zelvo_test {

using Rgb = std::array<uint8_t, 3>;

// A frame of the picture `pixel(x, y)`, quantised as the camera does at quality 0-100.
std::vector<uint8_t> MakeCameraJpeg(int width, int height,
                                    const std::function<Rgb(int x, int y)>& pixel,
                                    int quality = 90);

// A frame of one colour.
std::vector<uint8_t> MakeUniformCameraJpeg(int width, int height, Rgb colour, int quality = 90);

}  // namespace zelvo_test
