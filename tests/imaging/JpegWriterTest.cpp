// JPEG files read back by libjpeg's own decoder: baseline, three components, the JFIF density
// from the DPI settings, the rows the right way up and the colours in their places, and the
// file shrinking as the compression factor grows.
#include "imaging/JpegWriter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

namespace {

struct Decoded {
    bool ok = false;
    bool jfif = false, progressive = false;
    int unit = -1, xDensity = 0, yDensity = 0, components = 0, width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first
};

struct DecodeErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

Decoded Decode(const std::vector<uint8_t>& file) {
    Decoded d;
    jpeg_decompress_struct cinfo{};
    DecodeErrors errors{};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<DecodeErrors*>(c->err)->jump, 1);
    };
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return d;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    d.jfif = cinfo.saw_JFIF_marker;
    d.progressive = cinfo.progressive_mode;
    d.unit = cinfo.density_unit;
    d.xDensity = cinfo.X_density;
    d.yDensity = cinfo.Y_density;
    d.components = cinfo.num_components;
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    d.width = static_cast<int>(cinfo.output_width);
    d.height = static_cast<int>(cinfo.output_height);
    d.rgb.resize(static_cast<size_t>(d.width) * d.height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = d.rgb.data() + static_cast<size_t>(cinfo.output_scanline) * d.width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    d.ok = true;
    return d;
}

// A bitmap-like picture: B G R, bottom row first, rows padded to 4 bytes. The top half is
// red, the bottom half blue, with some texture so the compression has work to do.
constexpr int kWidth = 98, kHeight = 64;
constexpr size_t kStride = 296;
std::vector<uint8_t> BottomUpBgr() {
    std::vector<uint8_t> bytes(kStride * kHeight, 0xEE);
    std::srand(7);
    for (int y = 0; y < kHeight; ++y) {  // y counts from the top
        uint8_t* row = bytes.data() + (kHeight - 1 - y) * kStride;
        for (int x = 0; x < kWidth; ++x) {
            const int grain = std::rand() % 24;
            const bool top = y < kHeight / 2;
            row[3 * x + 0] = static_cast<uint8_t>(top ? grain : 200 + grain);  // B
            row[3 * x + 1] = static_cast<uint8_t>(40 + grain);                 // G
            row[3 * x + 2] = static_cast<uint8_t>(top ? 200 + grain : grain);  // R
        }
    }
    return bytes;
}

PictureRows Rows(const std::vector<uint8_t>& bytes) {
    return {bytes, kWidth, kHeight, kStride, true, PixelOrder::kBgr};
}

TEST(JpegWriter, ReadBackAsBaselineColourWithTheDpiAndTheRowsUpright) {
    const std::vector<uint8_t> bytes = BottomUpBgr();
    const Decoded d = Decode(EncodeJpeg(Rows(bytes), 10, 300, 200));
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(d.jfif);
    EXPECT_FALSE(d.progressive);
    EXPECT_EQ(d.components, 3);
    EXPECT_EQ(d.unit, 1);  // dots per inch
    EXPECT_EQ(d.xDensity, 300);
    EXPECT_EQ(d.yDensity, 200);
    ASSERT_EQ(d.width, kWidth);
    ASSERT_EQ(d.height, kHeight);
    // Mean error against the source, and red on top, blue below.
    double error = 0;
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* src = bytes.data() + (kHeight - 1 - y) * kStride;
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 0; c < 3; ++c)
                error += std::abs(d.rgb[(y * kWidth + x) * 3 + c] - src[3 * x + 2 - c]);
        }
    }
    EXPECT_LT(error / (kWidth * kHeight * 3), 12.0);
    EXPECT_GT(d.rgb[(5 * kWidth + 5) * 3 + 0], 150);              // red at the top
    EXPECT_GT(d.rgb[((kHeight - 5) * kWidth + 5) * 3 + 2], 150);  // blue at the bottom
}

TEST(JpegWriter, HigherFactorSmallerFile) {
    const std::vector<uint8_t> bytes = BottomUpBgr();
    size_t previous = SIZE_MAX;
    for (int factor : {4, 10, 40, 255}) {
        const size_t size = EncodeJpeg(Rows(bytes), factor, 96, 96).size();
        EXPECT_LT(size, previous) << factor;
        previous = size;
    }
    EXPECT_EQ(JpegTableScalePercent(10), 50);  // the tables of the usual quality 75
    EXPECT_EQ(JpegTableScalePercent(-3), 0);
    EXPECT_EQ(JpegTableScalePercent(300), 1275);
}

TEST(JpegWriter, ResolutionOutsideTheFieldsGivesSquarePixelsOnly) {
    const std::vector<uint8_t> bytes = BottomUpBgr();
    for (int dpi : {0, -96, 70000}) {
        const Decoded d = Decode(EncodeJpeg(Rows(bytes), 10, dpi, 96));
        ASSERT_TRUE(d.ok) << dpi;
        EXPECT_EQ(d.unit, 0) << dpi;
        EXPECT_EQ(d.xDensity, d.yDensity) << dpi;
    }
}

TEST(JpegWriter, RowsThatDoNotFitTheirBytesGiveNothing) {
    const std::vector<uint8_t> bytes = BottomUpBgr();
    PictureRows shortRows = Rows(bytes);
    shortRows.bytes = shortRows.bytes.first(bytes.size() - 3);  // a byte short of the last row
    EXPECT_TRUE(EncodeJpeg(shortRows, 10, 96, 96).empty());
    PictureRows narrowStride = Rows(bytes);
    narrowStride.stride = kWidth * 3 - 1;
    EXPECT_TRUE(EncodeJpeg(narrowStride, 10, 96, 96).empty());
    EXPECT_TRUE(EncodeJpeg(QImage(), 10, 96, 96).empty());
}

TEST(JpegWriter, AnyQImageFormat) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(10, 220, 30));
    const Decoded d = Decode(EncodeJpeg(picture, 4, 96, 96));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, 40);
    EXPECT_NEAR(d.rgb[1], 220, 4);
    EXPECT_NEAR(d.rgb[0], 10, 4);
}

}  // namespace
