// Converters from the 2-byte work pixels to 24-bit, 16-bit and grey pictures, bottom row
// first.
//
// Colour: B = Y + 1.732 u, G = Y - 0.699 v - 0.334 u, R = Y + 1.365 v with u = Cb - 128 and
// v = Cr - 128, in fixed point scaled by 1024 and floored. These are the camera's own factors,
// a little weaker than the usual full-range ones, and must be kept to match its colours.
// Because 1024 Y is a multiple of 1024, (1024 Y + t) >> 10 equals Y + (t >> 10): the chroma
// offsets are computed once per pixel pair and added to both luminance values.
//
// Odd widths: the last pixel of a row has no partner; it keeps its own luminance and takes the
// chroma of the pair before it (neutral chroma when the row is one pixel wide).
//
// The 24-bit converter, which runs on every preview frame, has an SSE2 path giving the same
// bytes as the portable one.
#include "decoder/PixelConvert.h"

#include <array>
#include <cstddef>

#include "decoder/PixelConvertPaths.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace decoder {
namespace {

// Y + offset lies in -222..476; the table clamps it to 0-255.
constexpr int kClampBias = 256;
constexpr std::array<uint8_t, 1024> BuildClamp() {
    std::array<uint8_t, 1024> table{};
    for (int i = 0; i < 1024; ++i) {
        const int value = i - kClampBias;
        table[i] = static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
    }
    return table;
}
constexpr std::array<uint8_t, 1024> kClamp = BuildClamp();

struct ChromaOffsets {
    int b, g, r;
};

inline ChromaOffsets OffsetsFor(int cb, int cr) {
    const int u = cb - 128;
    const int v = cr - 128;
    return {(1774 * u) >> 10, (-(716 * v + 342 * u)) >> 10, (1398 * v) >> 10};
}

inline uint8_t Clamped(int value) {
    return kClamp[value + kClampBias];
}

// Whether the picture fits both buffers.
bool Fits(size_t outputSize, int width, int height, size_t inputSize, size_t bytesPerPixel) {
    if (width <= 0 || height <= 0)
        return false;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    return inputSize / 2 >= pixels && outputSize / bytesPerPixel >= pixels;
}

// Converts pixels [first, width) of one row; `first` is even. `emit` writes one pixel.
template <size_t kBytesPerPixel, typename Emit>
inline void ConvertRow(const uint8_t* in, uint8_t* out, int first, int width, Emit emit) {
    const int pairs = width / 2;
    for (int p = first / 2; p < pairs; ++p) {
        const uint8_t* quad = in + 4 * p;
        const ChromaOffsets offsets = OffsetsFor(quad[1], quad[3]);
        emit(out + 2 * p * kBytesPerPixel, quad[0], offsets);
        emit(out + (2 * p + 1) * kBytesPerPixel, quad[2], offsets);
    }
    if (width & 1) {
        const ChromaOffsets offsets =
            pairs > 0 ? OffsetsFor(in[4 * pairs - 3], in[4 * pairs - 1]) : ChromaOffsets{0, 0, 0};
        emit(out + (width - 1) * kBytesPerPixel, in[2 * (width - 1)], offsets);
    }
}

template <size_t kBytesPerPixel, typename Emit>
void ConvertPicture(std::span<uint8_t> output, int width, int height,
                    std::span<const uint8_t> input, Emit emit) {
    if (!Fits(output.size(), width, height, input.size(), kBytesPerPixel))
        return;
    const size_t inStride = static_cast<size_t>(width) * 2;
    const size_t outStride = static_cast<size_t>(width) * kBytesPerPixel;
    for (int y = 0; y < height; ++y) {
        ConvertRow<kBytesPerPixel>(input.data() + static_cast<size_t>(y) * inStride,
                                   output.data() + static_cast<size_t>(height - 1 - y) * outStride,
                                   0, width, emit);
    }
}

inline void EmitBgr(uint8_t* out, int y, const ChromaOffsets& offsets) {
    out[0] = Clamped(y + offsets.b);
    out[1] = Clamped(y + offsets.g);
    out[2] = Clamped(y + offsets.r);
}

inline void EmitRgb565(uint8_t* out, int y, const ChromaOffsets& offsets) {
    const unsigned b = Clamped(y + offsets.b);
    const unsigned g = Clamped(y + offsets.g);
    const unsigned r = Clamped(y + offsets.r);
    const unsigned word = ((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3);
    out[0] = static_cast<uint8_t>(word & 0xFF);
    out[1] = static_cast<uint8_t>(word >> 8);
}

#if defined(__SSE2__)
// 16 pixels (8 pairs, 32 input bytes) to 48 bytes of B G R. Writes 2 bytes beyond the 48,
// which the caller must allow for.
inline void ConvertSixteenBgr(const uint8_t* in, uint8_t* out) {
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i centre = _mm_set1_epi16(128);
    const __m128i blueFactors = _mm_set1_epi32(1774);  // (u, v) . (1774, 0)
    const __m128i greenFactors = _mm_set1_epi32((-716 << 16) | (-342 & 0xFFFF));
    const __m128i redFactors = _mm_set1_epi32(1398 << 16);  // (u, v) . (0, 1398)

    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
    const __m128i luma0 = _mm_and_si128(first, lowBytes);   // pixels 0-7
    const __m128i luma1 = _mm_and_si128(second, lowBytes);  // pixels 8-15
    // (u, v) of each pair as 16-bit lanes.
    const __m128i uv0 = _mm_sub_epi16(_mm_srli_epi16(first, 8), centre);
    const __m128i uv1 = _mm_sub_epi16(_mm_srli_epi16(second, 8), centre);

    // One offset per pair, 32-bit and floored, packed to 16 bits (they are small) and then
    // doubled up so each pixel of the pair gets it.
    auto perPixel = [](__m128i pairs0, __m128i pairs1, __m128i& pixels0, __m128i& pixels1) {
        const __m128i offsets =
            _mm_packs_epi32(_mm_srai_epi32(pairs0, 10), _mm_srai_epi32(pairs1, 10));
        pixels0 = _mm_unpacklo_epi16(offsets, offsets);
        pixels1 = _mm_unpackhi_epi16(offsets, offsets);
    };
    auto channel = [&](__m128i factors) {
        __m128i offset0, offset1;
        perPixel(_mm_madd_epi16(uv0, factors), _mm_madd_epi16(uv1, factors), offset0, offset1);
        return _mm_packus_epi16(_mm_add_epi16(luma0, offset0), _mm_add_epi16(luma1, offset1));
    };
    const __m128i blue = channel(blueFactors);
    const __m128i green = channel(greenFactors);
    const __m128i red = channel(redFactors);

    // B G R 0 per pixel, then each 64-bit lane (two pixels) squeezed to 6 bytes.
    const __m128i zero = _mm_setzero_si128();
    const __m128i blueGreenLow = _mm_unpacklo_epi8(blue, green);
    const __m128i blueGreenHigh = _mm_unpackhi_epi8(blue, green);
    const __m128i redLow = _mm_unpacklo_epi8(red, zero);
    const __m128i redHigh = _mm_unpackhi_epi8(red, zero);
    const __m128i lowPixel = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    const __m128i highPixel = _mm_set_epi32(0x0000FFFF, static_cast<int>(0xFF000000), 0x0000FFFF,
                                            static_cast<int>(0xFF000000));
    // Four pixels, 12 bytes, as two 8-byte stores of which the last 2 bytes are overwritten
    // by what follows.
    auto storeFour = [&](__m128i quad, uint8_t* at) {
        const __m128i packed = _mm_or_si128(_mm_and_si128(quad, lowPixel),
                                            _mm_and_si128(_mm_srli_epi64(quad, 8), highPixel));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), packed);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at + 6), _mm_srli_si128(packed, 8));
    };
    storeFour(_mm_unpacklo_epi16(blueGreenLow, redLow), out);
    storeFour(_mm_unpackhi_epi16(blueGreenLow, redLow), out + 12);
    storeFour(_mm_unpacklo_epi16(blueGreenHigh, redHigh), out + 24);
    storeFour(_mm_unpackhi_epi16(blueGreenHigh, redHigh), out + 36);
}
#endif

}  // namespace

void ConvertYuyvToBgr24Portable(std::span<uint8_t> output, int width, int height,
                                std::span<const uint8_t> input) {
    ConvertPicture<3>(output, width, height, input, EmitBgr);
}

#if defined(__SSE2__)
void ConvertYuyvToBgr24Sse2(std::span<uint8_t> output, int width, int height,
                            std::span<const uint8_t> input) {
    if (!Fits(output.size(), width, height, input.size(), 3))
        return;
    const size_t inStride = static_cast<size_t>(width) * 2;
    const size_t outStride = static_cast<size_t>(width) * 3;
    // Output rows in memory order, so the 2 bytes each vector step writes past its pixels land
    // on pixels written next; only the last row in memory keeps clear of its end.
    for (int row = 0; row < height; ++row) {
        const uint8_t* in = input.data() + static_cast<size_t>(height - 1 - row) * inStride;
        uint8_t* out = output.data() + static_cast<size_t>(row) * outStride;
        const int vectorLimit = row == height - 1 ? width - 1 : width;
        int x = 0;
        for (; x + 16 <= vectorLimit; x += 16) {
            ConvertSixteenBgr(in + 2 * x, out + 3 * x);
        }
        ConvertRow<3>(in, out, x, width, EmitBgr);
    }
}
#endif

}  // namespace decoder

void ConvertYuyvToBgr24(std::span<uint8_t> output, int width, int height,
                        std::span<const uint8_t> input) {
#if defined(__SSE2__)
    decoder::ConvertYuyvToBgr24Sse2(output, width, height, input);
#else
    decoder::ConvertYuyvToBgr24Portable(output, width, height, input);
#endif
}

void ConvertYuyvToRgb565(std::span<uint8_t> output, int width, int height,
                         std::span<const uint8_t> input) {
    decoder::ConvertPicture<2>(output, width, height, input, decoder::EmitRgb565);
}

void ConvertYuyvToGrey8(std::span<uint8_t> output, int width, int height,
                        std::span<const uint8_t> input) {
    if (!decoder::Fits(output.size(), width, height, input.size(), 1))
        return;
    const size_t inStride = static_cast<size_t>(width) * 2;
    const size_t outStride = static_cast<size_t>(width);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = input.data() + static_cast<size_t>(y) * inStride;
        uint8_t* out = output.data() + static_cast<size_t>(height - 1 - y) * outStride;
        for (int x = 0; x < width; ++x)
            out[x] = in[2 * x];
    }
}
