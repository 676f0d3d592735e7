// A 24-bit BMP file in memory: the 14-byte file header, the 40-byte information header and the
// rows bottom first, each padded to 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

// The file's size for a picture of `width` x `height` (both above 0).
size_t Bmp24FileBytes(int width, int height);

// Writes the file into `file` (Bmp24FileBytes long). `row(i)` gives the `width` x 3 BGR bytes
// of the i-th row from the bottom.
void WriteBmp24(std::span<uint8_t> file, int width, int height, int32_t xPelsPerMeter,
                int32_t yPelsPerMeter, const std::function<std::span<const uint8_t>(int)>& row);
