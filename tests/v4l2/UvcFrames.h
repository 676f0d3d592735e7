// JPEG frames as UVC cameras send them, made with libjpeg from a test picture, and libjpeg's
// own decoding of a frame, for the frame-form tests and the benchmark.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zelvo_test {

struct UvcJpegForm {
    int lumaRows = 1;         // vertical sampling of luminance: 1 for 4:2:2, 2 for 4:2:0
    bool ownHuffman = false;  // tables optimised for the picture instead of the standard ones
    int restartRows = 0;      // a restart interval of this many block rows
    bool progressive = false;
    bool huffmanTables = true;  // the standard tables written into the frame
};

// A 640 x 480 frame of the RGB picture (3 bytes a pixel, top row first), quality 80.
std::vector<uint8_t> MakeUvcJpeg(std::span<const uint8_t> rgb, const UvcJpegForm& form);

// libjpeg's decoding to Y Cb Cr (3 bytes a pixel, chroma replicated, no smoothing); empty when
// libjpeg rejects the frame.
std::vector<uint8_t> ReferenceYcc(std::span<const uint8_t> jpeg);

// Mean absolute difference per channel (Y, Cb, Cr) between Y0 Cb Y1 Cr pixels and a reference
// Y Cb Cr picture of the same size, each pair's reference chroma averaged.
std::vector<double> MeanAbsoluteDifference(std::span<const uint8_t> yuyv,
                                           std::span<const uint8_t> ycc);

}  // namespace zelvo_test
