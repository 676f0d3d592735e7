// Test pictures and camera-form frames for any test that needs what the camera sends: baseline
// JPEG with 2x1, 1x1, 1x1 sampling, quantisation tables as the camera programs them for a
// quality setting, and the standard Huffman tables left out of the stream. Built with libjpeg;
// test-only (library zelvo_testframes).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

struct jpeg_compress_struct;

namespace testframes {

enum class Scene {
    kFlat,      // one mid-grey colour
    kGradient,  // smooth diagonal colour ramps
    kFace,      // a face-like oval with soft shading on a plain background
    kEdges,     // hard-edged stripes and squares in saturated colours
    kNoise,     // independent random pixels
    // Detailed pictures, where most blocks carry many coefficients:
    kPlasma,      // a fractal plasma texture in rolling colours
    kGranite,     // polished granite: small grains of quartz, feldspar and mica
    kPhotograph,  // a landscape photograph: sky and clouds, hills, a lake, a meadow, sensor noise
};
std::string_view SceneName(Scene scene);

// An RGB picture (3 bytes per pixel, top row first), the same for the same arguments.
std::vector<uint8_t> RenderScene(Scene scene, int width, int height, uint32_t seed = 1);

// The camera's quantisation table for quality 0-100, natural order: each entry of twice the
// example table of the JPEG standard scaled by (100 - quality) / 100, at least 1.
std::array<uint16_t, 64> CameraQuantisationTable(int quality, bool chrominance);

// Encodes an RGB picture as the camera would.
std::vector<uint8_t> EncodeCameraFrame(std::span<const uint8_t> rgb, int width, int height,
                                       int quality);
inline std::vector<uint8_t> EncodeScene(Scene scene, int width, int height, int quality = 75) {
    return EncodeCameraFrame(RenderScene(scene, width, height), width, height, quality);
}

// Encodes an RGB picture with libjpeg's defaults, the accurate transform and luminance sampled
// twice across, once `configure` has set the rest; empty when libjpeg refuses.
std::vector<uint8_t> EncodeJpeg(std::span<const uint8_t> rgb, int width, int height,
                                const std::function<void(jpeg_compress_struct&)>& configure);
// Marks the standard Huffman tables as sent, so the frame carries none, as cameras send it.
void LeaveOutHuffmanTables(jpeg_compress_struct& info);

// Decoded planes from a reference decoder: Y at full width, Cb and Cr at half width, each
// padded to whole blocks (stride = planeWidth).
struct ReferencePlanes {
    int lumaWidth = 0;
    int chromaWidth = 0;
    int rows = 0;
    std::vector<uint8_t> y, cb, cr;
};

// Decodes a camera frame with libjpeg's accurate integer transform, without upsampling or
// colour conversion. Returns false if libjpeg rejects the frame.
bool DecodeReferencePlanes(std::span<const uint8_t> frame, ReferencePlanes& planes);

}  // namespace testframes
