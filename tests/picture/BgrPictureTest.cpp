// The picture arithmetic on pictures whose pixels encode their own coordinates: every quarter
// turn and cut checked pixel by pixel against where each pixel must land, the stretch and the
// sharpening against their formulas.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "picture/BgrPicture.h"

namespace {

using picture::Picture;
using Pixel = std::array<uint8_t, 3>;

// Pixel (row, column) of a coordinate picture: B = column low byte, G = row low byte,
// R = the high bits of both.
Pixel Coordinate(int row, int column) {
    return {static_cast<uint8_t>(column), static_cast<uint8_t>(row),
            static_cast<uint8_t>(column >> 8 | (row >> 8) << 4)};
}

Pixel At(picture::ConstView view, int row, int column) {
    const uint8_t* p = view.Row(row) + column * picture::kBytesPerPixel;
    return {p[0], p[1], p[2]};
}

Picture Painted(int width, int height, const std::function<Pixel(int, int)>& pixel) {
    Picture p(width, height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const Pixel value = pixel(row, column);
            std::copy(value.begin(), value.end(), p.Pixels().Row(row) + column * 3);
        }
    return p;
}

// How many pixels of `view` differ from `expected(row, column)`.
int Wrong(picture::ConstView view, const std::function<Pixel(int, int)>& expected) {
    int wrong = 0;
    for (int row = 0; row < view.height; ++row)
        for (int column = 0; column < view.width; ++column)
            wrong += At(view, row, column) != expected(row, column);
    return wrong;
}

TEST(BgrPicture, QuarterTurnsMoveEveryPixelWhereTheTurnSays) {
    constexpr int W = 640, H = 480;
    const Picture in = Painted(W, H, Coordinate);
    // Clockwise the top row becomes the right column, read top to bottom; anticlockwise the
    // left column, read bottom to top.
    Picture clockwise(H, W), anticlockwise(H, W);
    picture::TurnQuarter(in.Pixels(), clockwise.Pixels(), true);
    picture::TurnQuarter(in.Pixels(), anticlockwise.Pixels(), false);
    EXPECT_EQ(Wrong(clockwise.Pixels(), [](int r, int c) { return Coordinate(H - 1 - c, r); }), 0);
    EXPECT_EQ(Wrong(anticlockwise.Pixels(), [](int r, int c) { return Coordinate(c, W - 1 - r); }),
              0);
}

TEST(BgrPicture, CutIsAViewOfTheRectangleAndCopyKeepsItsPixels) {
    const Picture in = Painted(640, 480, Coordinate);
    const picture::ConstView cut = picture::Cut(in.Pixels(), 8, 15, 624, 450);
    ASSERT_EQ(cut.width, 624);
    ASSERT_EQ(cut.height, 450);
    EXPECT_EQ(cut.Row(0), in.Pixels().Row(15) + 8 * 3);
    Picture copy(624, 450);
    picture::Copy(cut, copy.Pixels());
    EXPECT_EQ(Wrong(copy.Pixels(), [](int r, int c) { return Coordinate(r + 15, c + 8); }), 0);
}

TEST(BgrPicture, VerticalStretchBlendsNeighbouringRowsAndKeepsBothEnds) {
    // Row r of the source is grey 2r: a stretch of 120 rows to 240 must stay a ramp.
    const Picture in = Painted(4, 120, [](int r, int) {
        const auto v = static_cast<uint8_t>(2 * r);
        return Pixel{v, v, v};
    });
    Picture out(4, 240);
    picture::Stretch(in.Pixels(), out.Pixels());
    const auto grey = [&](int row, int column) { return At(out.Pixels(), row, column)[2]; };
    EXPECT_EQ(grey(0, 0), 0);      // before the first centre: the first row
    EXPECT_EQ(grey(239, 3), 238);  // after the last centre: the last row
    // Output row 2k + 1 samples source k + 1/4, row 2k + 2 samples k + 3/4.
    EXPECT_EQ(grey(21, 0), 21);  // 2 * 10.25 = 20.5, rounded
    EXPECT_EQ(grey(22, 0), 22);  // 2 * 10.75 = 21.5, rounded
}

TEST(BgrPicture, SharpenFollowsTheUnsharpMaskAtEachStrength) {
    struct Row {
        int strength;
        int centre;     // a 200 dot on a 100 ground: 200 + 800 * s / 9000
        int neighbour;  // a ground pixel beside it: 100 - 100 * s / 9000
    };
    const Row rows[] = {{200, 218, 98}, {250, 222, 97}, {600, 253, 93}, {900, 255, 90}};
    const Picture dot = Painted(5, 5, [](int r, int c) {
        const uint8_t v = r == 2 && c == 2 ? 200 : 100;
        return Pixel{v, v, v};
    });
    for (const Row& row : rows) {
        SCOPED_TRACE(row.strength);
        ASSERT_TRUE(picture::IsSharpenStrength(row.strength));
        Picture out(5, 5);
        picture::Sharpen(dot.Pixels(), out.Pixels(), row.strength);
        const auto centre = static_cast<uint8_t>(row.centre);
        EXPECT_EQ(At(out.Pixels(), 2, 2), (Pixel{centre, centre, centre}));
        EXPECT_EQ(At(out.Pixels(), 2, 3)[0], row.neighbour);
        EXPECT_EQ(At(out.Pixels(), 0, 0)[1], 100);  // far from the dot, flat stays flat
    }
    EXPECT_FALSE(picture::IsSharpenStrength(300));
}

}  // namespace
