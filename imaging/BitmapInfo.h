// The header of a 24-bit device-independent bitmap and the arithmetic around it: the camera
// frame's header, the row stride, the resolution in pixels per metre, and the 40 header bytes as
// a bitmap file stores them.
//
// Qt-free, so the camera side (the capture bitmap) and the file side (BMP writing) share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/FrameGeometry.h"

// The header of a device-independent bitmap, field for field as it is stored in a bitmap file
// after the file header (40 bytes, little-endian). Write it out with WriteBitmapInfoHeader, never
// by copying the struct.
struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;  // positive: bottom row first
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;  // 0: uncompressed
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

inline constexpr int32_t kFrameWidth = frame::kWidth;
inline constexpr int32_t kFrameHeight = frame::kHeight;
inline constexpr size_t kFrameStride = size_t{kFrameWidth} * 3;  // already a multiple of 4
inline constexpr size_t kFrameBytes = kFrameStride * kFrameHeight;
inline constexpr size_t kBitmapInfoHeaderBytes = 40;
inline constexpr size_t kBitmapFileHeaderBytes = 14;

// The header of a camera frame bitmap: 640 x 480, bottom row first, 24 bits, 921600 bytes, with
// the given resolution (0 when unknown).
BitmapInfoHeader FrameBitmapInfo(int32_t xPelsPerMeter = 0, int32_t yPelsPerMeter = 0);

// Dots per inch to pixels per metre as bitmap headers store them: dpi x 39.4, truncated toward
// zero, computed exactly in integers and saturated to the 32-bit range.
int32_t PelsPerMeterForDpi(int32_t dpi);

// Bytes of one row of a 24-bit bitmap `width` pixels wide, padded to 4 bytes; 0 if width <= 0.
size_t DibStride(int32_t width);

// The 40 header bytes, little-endian, as a bitmap file stores them.
void WriteBitmapInfoHeader(const BitmapInfoHeader& info,
                           std::span<uint8_t, kBitmapInfoHeaderBytes> out);
