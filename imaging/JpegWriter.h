// JPEG files of captured pictures: baseline, three colour components, and the resolution the
// station's DPI settings give, written as JFIF dots per inch.
//
// The picture comes as 24-bit rows (or a QImage) and leaves as the bytes of a whole file, so
// the caller decides how the file is written (atomically, beside the other picture files).
//
// The compression factor is the station's own setting ("Compression Factor", kept within 4 to
// 255 by the Capture Type page, 10 by default): the higher the factor, the coarser the
// quantisation and the smaller the file. JpegTableScalePercent gives the mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class QImage;

enum class PixelOrder : uint8_t { kBgr, kRgb };

// 24-bit picture rows in memory. Every row holds `width` pixels of three bytes; rows start
// `stride` bytes apart (padding allowed), the top row first unless `bottomUp` (a bitmap's
// order).
struct PictureRows {
    std::span<const uint8_t> bytes;
    int width = 0;
    int height = 0;
    size_t stride = 0;
    bool bottomUp = false;
    PixelOrder order = PixelOrder::kBgr;
};

// How a compression factor scales the standard quantisation tables, in percent.
//
// The quality q (1 to 100) of the usual JPEG encoders scales the example tables of the JPEG
// standard (ITU-T T.81 Annex K, tables K.1 and K.2) by 5000/q percent below 50 and 200 - 2q
// above. A compression factor f scales them by 5f percent, with f taken within 0 to 255:
//   f = 4    20 %    quality 90   (the finest the Capture Type page allows)
//   f = 10   50 %    quality 75   (the station's default: a good-quality file)
//   f = 20  100 %    quality 50   (the standard's tables as printed)
//   f = 255 1275 %   quality 4
// Every table entry is then kept within 1 to 255, as a baseline file requires.
int JpegTableScalePercent(int compressionFactor);

// The bytes of a JPEG file of `picture`, or nothing (an empty vector) when the picture is
// empty or its rows do not fit in its bytes. A resolution is written when both DPI values lie
// within 1 to 65535 (what the file's fields hold); otherwise the file states only square
// pixels.
std::vector<uint8_t> EncodeJpeg(const PictureRows& picture, int compressionFactor,
                                int horizontalDpi, int verticalDpi);
std::vector<uint8_t> EncodeJpeg(const QImage& picture, int compressionFactor, int horizontalDpi,
                                int verticalDpi);
