// The image record that carries a captured picture from the camera frame to the store: a small
// picture type over QImage with exactly the operations the capture needs.
//
// The picture is 24 bits per pixel, row 0 at the top, each row's bytes B G R per pixel like a
// bitmap's (rows are padded to 4 bytes in memory, never in the row calls). Colours in the pixel
// calls are 0x00BBGGRR: red in the low byte, then green, then blue. Every call checks its
// coordinates and sizes: a row or pixel outside the picture is refused, never read or written.
// The record also keeps the resolution of the bitmap it was made from, which the files record.
//
// Turns are in hundredths of a degree: +9000 turns clockwise (the top row becomes the right
// column, as the live preview shows rotation 1), -9000 anticlockwise.
//
// Used from the user-interface thread only (painting and the clipboard need it).
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>
#include <span>

#include "imaging/BitmapInfo.h"
#include "picture/BgrPicture.h"

class QPainter;

class ImageRecord {
  public:
    // Bytes of one picture row in the row calls: 3 per pixel, no padding.
    static constexpr int kBytesPerPixel = 3;

    ImageRecord() = default;

    // Fills the record from a 24-bit bottom-up (or top-down, negative height) bitmap: `bits`
    // holds the rows as the header describes them, each padded to 4 bytes. False (and the
    // record empty) when the header is not a plain 24-bit one or `bits` is too short.
    bool FromBitmap(const BitmapInfoHeader& info, std::span<const uint8_t> bits);
    // Fills the record with a copy of `pixels`; false (record empty) for an empty or oversized
    // picture. The resolution is left as it was.
    bool FromPicture(picture::ConstView pixels);
    // A record of the given size, every pixel black (tests, benchmarks).
    bool Allocate(int width, int height);
    // Releases the pixels; the record is empty afterwards.
    void Free();

    bool IsAllocated() const { return !m_Image.isNull(); }
    int Width() const { return m_Image.width(); }
    int Height() const { return m_Image.height(); }
    int32_t XPelsPerMeter() const { return m_XPelsPerMeter; }
    int32_t YPelsPerMeter() const { return m_YPelsPerMeter; }
    void SetResolution(int32_t xPelsPerMeter, int32_t yPelsPerMeter);

    // Cuts the record to the rectangle, which must lie wholly inside the picture and not be
    // empty; false (record unchanged) otherwise.
    bool Crop(int left, int top, int width, int height);
    // Turns by +9000 (clockwise) or -9000 (anticlockwise) hundredths of a degree; 640 x 480
    // becomes 480 x 640. Any other angle is refused (false, record unchanged).
    bool Rotate(int hundredthsOfDegree);
    // Stretches the picture vertically to `height` rows, keeping its width (picture/BgrPicture.h
    // gives the formula). False for a width other than the picture's own or a size <= 0.
    bool Resize(int width, int height);
    // Sharpens at strength 200, 250, 600 or 900 (picture/BgrPicture.h gives the formula); false for
    // any other strength.
    bool Sharpen(int strength);

    // The colour at (row, column), 0x00BBGGRR; 0 outside the picture.
    uint32_t GetPixel(int row, int column) const;
    // False outside the picture.
    bool SetPixel(int row, int column, uint32_t colour);
    // Copies picture row `row` into `buffer` (B G R per pixel), at most the row's own bytes;
    // returns the bytes copied, or -1 when the row is outside the picture.
    int GetRow(std::span<uint8_t> buffer, int row) const;
    // Copies `buffer` into row `row`, at most the row's bytes; bytes copied or -1.
    int PutRow(std::span<const uint8_t> buffer, int row);
    // Direct access to a row's Width() x 3 bytes; empty outside the picture.
    std::span<uint8_t> RowBytes(int row);
    std::span<const uint8_t> RowBytes(int row) const;
    // Direct access to every row (an empty view for an empty record).
    picture::View Pixels();
    picture::ConstView Pixels() const;

    // Paints the whole picture, scaled to `target` (a plain copy when the sizes agree).
    void Paint(QPainter& painter, const QRect& target) const;
    // Puts the picture on the desktop's clipboard as an image other programs can paste. False
    // when there is no picture or no clipboard.
    bool CopyToClipboard() const;

    // The picture itself (QImage::Format_BGR888), for painting and tests.
    const QImage& Image() const { return m_Image; }

  private:
    QImage m_Image;
    int32_t m_XPelsPerMeter = 0;
    int32_t m_YPelsPerMeter = 0;
};

// Whether the desktop offers a clipboard to put pictures on.
bool ClipboardAvailable();

// Colour values of the pixel calls.
constexpr uint32_t ColourFromRgb(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t{red} | uint32_t{green} << 8 | uint32_t{blue} << 16;
}
constexpr uint8_t RedOf(uint32_t colour) {
    return static_cast<uint8_t>(colour);
}
constexpr uint8_t GreenOf(uint32_t colour) {
    return static_cast<uint8_t>(colour >> 8);
}
constexpr uint8_t BlueOf(uint32_t colour) {
    return static_cast<uint8_t>(colour >> 16);
}
