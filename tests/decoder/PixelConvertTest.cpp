// The three work-pixel converters: colour arithmetic on known pixels, row order, and the
// size rules (nothing written when the buffers do not fit, nothing outside the output).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "decoder/PixelConvert.h"
#include "tests/support/RowName.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct ColourCase {
    const char* name;
    uint8_t y, cb, cr;
    uint8_t b, g, r;
};

class ConvertColour : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ConvertColour, Bgr24AndRgb565) {
    const ColourCase& c = GetParam();
    const Bytes pair = {c.y, c.cb, c.y, c.cr};
    Bytes bgr(6), rgb565(4);
    ConvertYuyvToBgr24(bgr, 2, 1, pair);
    EXPECT_EQ(bgr, (Bytes{c.b, c.g, c.r, c.b, c.g, c.r}));
    ConvertYuyvToRgb565(rgb565, 2, 1, pair);
    const unsigned word = ((c.r & 0xF8) << 8) | ((c.g & 0xFC) << 3) | (c.b >> 3);
    EXPECT_EQ(rgb565,
              (Bytes{uint8_t(word), uint8_t(word >> 8), uint8_t(word), uint8_t(word >> 8)}));
}

INSTANTIATE_TEST_SUITE_P(
    KnownPixels, ConvertColour,
    ::testing::Values(ColourCase{"Black", 0, 128, 128, 0, 0, 0},
                      ColourCase{"White", 255, 128, 128, 255, 255, 255},
                      // B = (131072 + 225298) >> 10 = 348, clamped; G = 85; R = 128.
                      ColourCase{"StrongBlueClamps", 128, 255, 128, 255, 85, 128},
                      // u = v = -128: B = (102400 - 227072) >> 10 = -122 -> 0,
                      // G = (102400 + 135424) >> 10 = 232, R = (102400 - 178944) >> 10 -> 0.
                      ColourCase{"NegativeChromaFloorsAndClamps", 100, 0, 0, 0, 232, 0},
                      // v = 80: G = (102400 - 57280) >> 10 = 44 and R = (102400 + 111840) >> 10
                      // = 209, where the full-range factors would give 42 and 212.
                      ColourCase{"CamerasOwnFactorsNotFullRange", 100, 128, 208, 100, 44, 209}),
    RowName{});

TEST(PixelConvert, FirstInputRowEndsUpInTheLastOutputRow) {
    // Two rows of two pixels: a bright top row over a dark bottom row.
    const Bytes input = {200, 128, 210, 128, 10, 128, 20, 128};
    Bytes bgr(12), rgb565(8), grey(4);
    ConvertYuyvToBgr24(bgr, 2, 2, input);
    EXPECT_EQ(bgr, (Bytes{10, 10, 10, 20, 20, 20, 200, 200, 200, 210, 210, 210}));
    ConvertYuyvToGrey8(grey, 2, 2, input);
    EXPECT_EQ(grey, (Bytes{10, 20, 200, 210}));
    ConvertYuyvToRgb565(rgb565, 2, 2, input);
    // The last pixel is the top row's grey 210: (208 << 8) | (208 << 3) | (210 >> 3) = 0xD69A.
    EXPECT_EQ(rgb565[6], 0x9A);
    EXPECT_EQ(rgb565[7], 0xD6);
}

TEST(PixelConvert, BuffersThatDoNotFitAreLeftUntouched) {
    const Bytes input(4 * 4 * 2, 128);
    struct Sizes {
        const char* name;
        size_t inputBytes, outputBytes;
        int width, height;
    };
    const Sizes cases[] = {
        {"ShortInput", 4 * 4 * 2 - 1, 4 * 4 * 3, 4, 4},
        {"ShortOutput", 4 * 4 * 2, 4 * 4 * 3 - 1, 4, 4},
        {"ZeroWidth", 4 * 4 * 2, 4 * 4 * 3, 0, 4},
        {"NegativeHeight", 4 * 4 * 2, 4 * 4 * 3, 4, -4},
        {"HugeSize", 4 * 4 * 2, 4 * 4 * 3, 1 << 30, 1 << 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out(c.outputBytes, 0xEE);
        const std::span<const uint8_t> in(input.data(), c.inputBytes);
        ConvertYuyvToBgr24(out, c.width, c.height, in);
        ConvertYuyvToRgb565(std::span(out).first(std::min(out.size(), c.outputBytes * 2 / 3)),
                            c.width, c.height, in);
        ConvertYuyvToGrey8(std::span(out).first(c.outputBytes / 3), c.width, c.height, in);
        EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t v) { return v == 0xEE; }));
    }
}

TEST(PixelConvert, OddWidthStaysInsideItsRows) {
    // Three pixels wide: the third pixel keeps its own luminance with the chroma of the pair
    // before it, and not a byte lands outside the 3 x 2 picture.
    const Bytes input = {100, 255, 110, 128, 120, 0,  // top row: a pair and a lone pixel
                         50,  128, 60,  128, 70,  128};
    Bytes bgr(3 * 2 * 3 + 1, 0xEE);
    ConvertYuyvToBgr24(std::span(bgr).first(18), 3, 2, input);
    EXPECT_EQ(bgr[18], 0xEE);
    EXPECT_EQ(Bytes(bgr.begin(), bgr.begin() + 9), (Bytes{50, 50, 50, 60, 60, 60, 70, 70, 70}));
    // Top row, third pixel: Y 120 with u = 127, v = 0 from the first pair.
    EXPECT_EQ(Bytes(bgr.begin() + 15, bgr.begin() + 18), (Bytes{255, 77, 120}));
    Bytes grey(3 * 2);
    ConvertYuyvToGrey8(grey, 3, 2, input);
    EXPECT_EQ(grey, (Bytes{50, 60, 70, 100, 110, 120}));
}

}  // namespace

#if defined(__SSE2__)
#include <random>

#include "decoder/PixelConvertPaths.h"

namespace {

// The vector 24-bit converter against the portable one on random pixels, for widths around its
// 16-pixel steps and the camera's own size; the output buffer is exactly the picture, so a
// byte written past it shows under the address sanitizer.
TEST(PixelConvert, VectorPathMatchesThePortableOne) {
    std::mt19937 random(5);
    constexpr std::pair<int, int> kSizes[] = {{1, 3},  {15, 2}, {16, 1}, {16, 3},   {17, 2},
                                              {18, 2}, {33, 5}, {47, 4}, {640, 480}};
    for (auto [width, height] : kSizes) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        Bytes input(static_cast<size_t>(width) * height * 2);
        for (auto& byte : input)
            byte = static_cast<uint8_t>(random());
        Bytes portable(static_cast<size_t>(width) * height * 3, 0xEE);
        Bytes vector(portable.size(), 0xEE);
        decoder::ConvertYuyvToBgr24Portable(portable, width, height, input);
        decoder::ConvertYuyvToBgr24Sse2(vector, width, height, input);
        EXPECT_EQ(vector, portable);
    }
}

}  // namespace
#endif
