// Pixel packers (one decoded 16 x 8 macroblock to output pixels) and row writers (where a row
// of macroblocks lands in the output) for the four output modes.
//
// A macroblock's samples sit in four blocks of the row buffer: luminance of the left 8
// pixels, luminance of the right 8, then Cb and Cr, each 8 x 8 samples row by row. Pixel pair
// p of a line shares Cb and Cr sample p of that line.
#include "decoder/MacroblockWriters.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace decoder {
namespace {

constexpr size_t kLeftLuma = 0;
constexpr size_t kRightLuma = kBlockSlotBytes;
constexpr size_t kCb = 2 * kBlockSlotBytes;
constexpr size_t kCr = 3 * kBlockSlotBytes;

// Luminance of pixel x (0-15) on line `line` of the macroblock.
inline uint8_t Luma(const uint8_t* macroblock, int line, int x) {
    const size_t block = x < 8 ? kLeftLuma : kRightLuma;
    return macroblock[block + line * 8 + (x & 7)];
}

template <int kOrder>  // 1: Y0 Cb Y1 Cr, 2: Cb Y0 Cr Y1
void PackTwoBytePixels(const uint8_t* macroblock, uint8_t* destination, ptrdiff_t lineStep) {
    for (int line = 0; line < 8; ++line) {
        uint8_t* out = destination + line * lineStep;
        const uint8_t* cb = macroblock + kCb + line * 8;
        const uint8_t* cr = macroblock + kCr + line * 8;
        for (int pair = 0; pair < 8; ++pair) {
            const uint8_t y0 = Luma(macroblock, line, 2 * pair);
            const uint8_t y1 = Luma(macroblock, line, 2 * pair + 1);
            uint8_t* quad = out + 4 * pair;
            if constexpr (kOrder == 1) {
                quad[0] = y0, quad[1] = cb[pair], quad[2] = y1, quad[3] = cr[pair];
            } else {
                quad[0] = cb[pair], quad[1] = y0, quad[2] = cr[pair], quad[3] = y1;
            }
        }
    }
}

// Modes 3 and 4 convert straight to colour with the camera's video-range coefficients
// (scaled by 1024): Y is 16-235, Cb and Cr are centred on 128.
inline uint8_t Clamp255(int32_t value) {
    return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

template <bool kBgr>
void PackThreeBytePixels(const uint8_t* macroblock, uint8_t* destination, ptrdiff_t lineStep) {
    for (int line = 0; line < 8; ++line) {
        uint8_t* out = destination + line * lineStep;
        const uint8_t* cbLine = macroblock + kCb + line * 8;
        const uint8_t* crLine = macroblock + kCr + line * 8;
        for (int x = 0; x < 16; ++x) {
            const int32_t y = 1192 * (Luma(macroblock, line, x) - 16);
            const int32_t cb = cbLine[x / 2] - 128;
            const int32_t cr = crLine[x / 2] - 128;
            const uint8_t b = Clamp255((y + 2066 * cb) >> 10);
            const uint8_t g = Clamp255((y - 832 * cr - 400 * cb) >> 10);
            const uint8_t r = Clamp255((y + 1634 * cr) >> 10);
            uint8_t* pixel = out + 3 * x;
            pixel[0] = kBgr ? b : r;
            pixel[1] = g;
            pixel[2] = kBgr ? r : b;
        }
    }
}

// Top row first: macroblock row r fills output lines 8r to 8r + 7.
void WriteRowTopDown(const FrameDecoder& decoder, int row, std::span<uint8_t> output) {
    const ptrdiff_t stride = static_cast<ptrdiff_t>(decoder.outputStride);
    const size_t macroblockWidth = 16 * static_cast<size_t>(decoder.bitsPerPixel) / 8;
    uint8_t* band = output.data() + static_cast<size_t>(row) * 8 * decoder.outputStride;
    for (int m = 0; m < decoder.macroblocksPerRow; ++m) {
        decoder.pixelPacker(decoder.rowBuffer.get() + m * kMacroblockBytes,
                            band + m * macroblockWidth, stride);
    }
}

// Bottom row first: the macroblock's first line lands on the last line of the band that starts
// (r + 1) x 8 lines above the end of the output, and its lines go upwards from there.
void WriteRowBottomUp(const FrameDecoder& decoder, int row, std::span<uint8_t> output) {
    const ptrdiff_t stride = static_cast<ptrdiff_t>(decoder.outputStride);
    const size_t macroblockWidth = 16 * static_cast<size_t>(decoder.bitsPerPixel) / 8;
    const size_t firstLine = static_cast<size_t>(decoder.height) - 1 - 8 * static_cast<size_t>(row);
    uint8_t* start = output.data() + firstLine * decoder.outputStride;
    for (int m = 0; m < decoder.macroblocksPerRow; ++m) {
        decoder.pixelPacker(decoder.rowBuffer.get() + m * kMacroblockBytes,
                            start + m * macroblockWidth, -stride);
    }
}

}  // namespace

void PackYuyvPortable(const uint8_t* macroblock, uint8_t* destination, ptrdiff_t lineStep) {
    PackTwoBytePixels<1>(macroblock, destination, lineStep);
}

void PackUyvyPortable(const uint8_t* macroblock, uint8_t* destination, ptrdiff_t lineStep) {
    PackTwoBytePixels<2>(macroblock, destination, lineStep);
}

#if defined(__SSE2__)
void PackYuyvSse2(const uint8_t* macroblock, uint8_t* destination, ptrdiff_t lineStep) {
    for (int line = 0; line < 8; ++line) {
        const __m128i left =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(macroblock + kLeftLuma + line * 8));
        const __m128i right =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(macroblock + kRightLuma + line * 8));
        const __m128i cb =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(macroblock + kCb + line * 8));
        const __m128i cr =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(macroblock + kCr + line * 8));
        // Cb Cr of each pair interleaved, then woven between the luminance bytes: Y0 Cb Y1 Cr.
        const __m128i luma = _mm_unpacklo_epi64(left, right);
        const __m128i chroma = _mm_unpacklo_epi8(cb, cr);
        uint8_t* out = destination + line * lineStep;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(luma, chroma));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi8(luma, chroma));
    }
}
#endif

bool RoutinesForMode(int mode, ModeRoutines& routines) {
    switch (mode) {
        case kDecodeModeYuyv:
#if defined(__SSE2__)
            routines = {16, PackYuyvSse2, WriteRowTopDown};
#else
            routines = {16, PackYuyvPortable, WriteRowTopDown};
#endif
            return true;
        case kDecodeModeUyvy:
            routines = {16, PackUyvyPortable, WriteRowTopDown};
            return true;
        case kDecodeModeBgrBottomUp:
            routines = {24, PackThreeBytePixels<true>, WriteRowBottomUp};
            return true;
        case kDecodeModeRgbBottomUp:
            routines = {24, PackThreeBytePixels<false>, WriteRowBottomUp};
            return true;
        default:
            return false;
    }
}

}  // namespace decoder
