// The image record on pictures whose pixels encode their own coordinates: the bottom-up bitmap
// it is made from, the crop, the pixel and row calls at the picture's edges, the operations it
// hands to the picture layer; the BMP file byte for byte and through Qt's own BMP reader.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QImage>
#include <QTemporaryDir>
#include <vector>

#include "imaging/ImageFile.h"
#include "imaging/ImageRecord.h"

namespace {

// Pixel (row, column) of a coordinate picture: red = column low byte, green = row low byte,
// blue = the high bits of both.
uint32_t CoordinateColour(int row, int column) {
    return ColourFromRgb(static_cast<uint8_t>(column), static_cast<uint8_t>(row),
                         static_cast<uint8_t>((column >> 8) | (row >> 8) << 4));
}

// A bottom-up 24-bit bitmap of the coordinate picture, as the camera frame is stored.
ImageRecord CoordinateRecord(int width, int height) {
    BitmapInfoHeader info = FrameBitmapInfo(3782, 11811);
    info.biWidth = width;
    info.biHeight = height;
    const size_t stride = DibStride(width);
    std::vector<uint8_t> bits(stride * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row) {
        uint8_t* p = bits.data() + static_cast<size_t>(height - 1 - row) * stride;
        for (int column = 0; column < width; ++column, p += 3) {
            const uint32_t c = CoordinateColour(row, column);
            p[0] = BlueOf(c);
            p[1] = GreenOf(c);
            p[2] = RedOf(c);
        }
    }
    ImageRecord image;
    EXPECT_TRUE(image.FromBitmap(info, bits));
    return image;
}

// The arithmetic itself is checked in the picture layer's tests; the record refuses what the
// layer does not take and hands it its own pixels.
TEST(ImageRecord, TurnsStretchesAndSharpensThroughThePictureLayer) {
    ImageRecord image = CoordinateRecord(8, 4);
    EXPECT_FALSE(image.Rotate(4500));
    EXPECT_FALSE(image.Resize(9, 8));
    EXPECT_FALSE(image.Sharpen(300));
    EXPECT_EQ(image.Width(), 8);
    ASSERT_TRUE(image.Rotate(9000));  // the top row becomes the right column
    ASSERT_EQ(image.Width(), 4);
    ASSERT_EQ(image.Height(), 8);
    EXPECT_EQ(image.GetPixel(0, 3), CoordinateColour(0, 0));
    EXPECT_EQ(image.GetPixel(7, 0), CoordinateColour(3, 7));
    ASSERT_TRUE(image.Rotate(-9000));
    EXPECT_EQ(image.GetPixel(3, 7), CoordinateColour(3, 7));
    ASSERT_TRUE(image.Resize(8, 8));
    EXPECT_EQ(image.GetPixel(7, 7), CoordinateColour(3, 7));
    EXPECT_TRUE(image.Sharpen(200));
}

TEST(ImageRecord, FromBitmapAndCropKeepEveryPixelInPlace) {
    ImageRecord image = CoordinateRecord(640, 480);
    EXPECT_EQ(image.GetPixel(479, 0), CoordinateColour(479, 0));  // the memory's first row
    EXPECT_EQ(image.XPelsPerMeter(), 3782);
    EXPECT_EQ(image.YPelsPerMeter(), 11811);
    ImageRecord shortOne;
    EXPECT_FALSE(shortOne.FromBitmap(FrameBitmapInfo(), std::vector<uint8_t>(kFrameBytes - 1)));

    EXPECT_FALSE(image.Crop(600, 0, 41, 10));
    EXPECT_FALSE(image.Crop(-1, 0, 10, 10));
    EXPECT_FALSE(image.Crop(0, 0, 0, 10));
    ASSERT_TRUE(image.Crop(8, 15, 624, 450));
    EXPECT_EQ(image.Width(), 624);
    EXPECT_EQ(image.Height(), 450);
    EXPECT_EQ(image.GetPixel(0, 0), CoordinateColour(15, 8));
    EXPECT_EQ(image.GetPixel(449, 623), CoordinateColour(464, 631));
}

TEST(ImageRecord, PixelAndRowCallsStayInsideThePicture) {
    ImageRecord image = CoordinateRecord(5, 3);
    EXPECT_EQ(image.GetPixel(3, 0), 0u);
    EXPECT_EQ(image.GetPixel(0, -1), 0u);
    EXPECT_FALSE(image.SetPixel(0, 5, 0xFFFFFF));
    EXPECT_TRUE(image.SetPixel(2, 4, 0x123456));
    EXPECT_EQ(image.GetPixel(2, 4), 0x123456u);

    std::vector<uint8_t> big(100, 0xEE);
    EXPECT_EQ(image.GetRow(big, 3), -1);
    EXPECT_EQ(image.GetRow(big, -1), -1);
    EXPECT_EQ(image.GetRow(big, 1), 15);  // the row's own bytes, no more
    EXPECT_EQ(big[15], 0xEE);
    EXPECT_EQ(big[0], BlueOf(CoordinateColour(1, 0)));
    EXPECT_EQ(big[2], RedOf(CoordinateColour(1, 0)));
    std::vector<uint8_t> small(4, 0);
    EXPECT_EQ(image.PutRow(small, 0), 4);  // a short buffer writes only what it has: pixel 0
                                           // and the blue byte of pixel 1
    EXPECT_EQ(image.GetPixel(0, 1), CoordinateColour(0, 1) & 0x00FFFFu);  // its blue byte only
    EXPECT_EQ(image.PutRow(big, 3), -1);
}

TEST(ImageFile, BmpOfAnOddWidthIsExactAndReadsBackThroughAnotherReader) {
    ImageRecord image = CoordinateRecord(5, 3);  // rows of 15 bytes padded to 16
    image.SetResolution(3782, 19700);
    const std::string bmp = EncodeBmp24(image);
    ASSERT_EQ(bmp.size(), 14u + 40u + 3u * 16u);
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(bmp[i]); };
    const auto le32 = [&](size_t i) {
        return uint32_t{byte(i)} | uint32_t{byte(i + 1)} << 8 | uint32_t{byte(i + 2)} << 16 |
               uint32_t{byte(i + 3)} << 24;
    };
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(le32(2), 102u);             // file size
    EXPECT_EQ(le32(6), 0u);               // reserved
    EXPECT_EQ(le32(10), 54u);             // pixels start after both headers
    EXPECT_EQ(le32(14), 40u);             // header size
    EXPECT_EQ(le32(18), 5u);              // width
    EXPECT_EQ(le32(22), 3u);              // height, positive: bottom row first
    EXPECT_EQ(le32(26), 1u | 24u << 16);  // one plane, 24 bits
    EXPECT_EQ(le32(30), 0u);              // uncompressed
    EXPECT_EQ(le32(34), 48u);             // pixel bytes
    EXPECT_EQ(le32(38), 3782u);           // pixels per metre
    EXPECT_EQ(le32(42), 19700u);
    // The first stored row is the picture's bottom row, B G R, then one zero byte of padding.
    EXPECT_EQ(byte(54), BlueOf(CoordinateColour(2, 0)));
    EXPECT_EQ(byte(55), GreenOf(CoordinateColour(2, 0)));
    EXPECT_EQ(byte(56), RedOf(CoordinateColour(2, 0)));
    EXPECT_EQ(byte(54 + 15), 0);
    EXPECT_EQ(byte(54 + 16 + 2), RedOf(CoordinateColour(1, 0)));

    QTemporaryDir dir;
    const std::string file = (dir.path() + "/picture.bmp").toStdString();
    std::string error;
    ASSERT_EQ(WriteImageFile(file, image, kFileFormatBmp, 24, 0, 0600, error), 1) << error;
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const QImage read(QString::fromStdString(file), "BMP");
    ASSERT_FALSE(read.isNull());
    ASSERT_EQ(read.size(), QSize(5, 3));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c) {
            const uint32_t want = CoordinateColour(r, c);
            EXPECT_EQ(read.pixel(c, r), qRgb(RedOf(want), GreenOf(want), BlueOf(want)));
        }
    EXPECT_EQ(read.dotsPerMeterX(), 3782);
    EXPECT_EQ(WriteImageFile(file, image, kFileFormatJpeg, 24, 10, 0600, error), 0);
    EXPECT_EQ(WriteImageFile(file, ImageRecord{}, kFileFormatBmp, 24, 0, 0600, error), 0);
}

}  // namespace
