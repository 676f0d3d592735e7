// Camera-form frames from a pixel function: the picture is rendered into RGB and encoded by the
// decoder tests' camera-form encoder, so every test folder builds its frames the same way.
#include "tests/support/CameraJpeg.h"

#include "tests/decoder/TestFrames.h"

namespace zelvo_test {

std::vector<uint8_t> MakeCameraJpeg(int width, int height,
                                    const std::function<Rgb(int x, int y)>& pixel, int quality) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    size_t i = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb p = pixel(x, y);
            rgb[i++] = p[0];
            rgb[i++] = p[1];
            rgb[i++] = p[2];
        }
    return testframes::EncodeCameraFrame(rgb, width, height, quality);
}

std::vector<uint8_t> MakeUniformCameraJpeg(int width, int height, Rgb colour, int quality) {
    return MakeCameraJpeg(
        width, height, [colour](int, int) { return colour; }, quality);
}

}  // namespace zelvo_test
