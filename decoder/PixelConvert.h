// Converters from the 2-byte work pixels (Y0 Cb Y1 Cr per pixel pair, rows of width x 2
// bytes, top row first) to the station's output pixel formats. Every converter writes the
// picture bottom row first, the row order of a bottom-up device-independent bitmap, with rows
// packed without padding.
//
// Each converter writes nothing when `input` holds fewer than width x height x 2 bytes or
// `output` fewer than the converted picture, and never writes outside `output`.
#pragma once

#include <cstdint>
#include <span>

// 3 bytes per pixel, B G R.
void ConvertYuyvToBgr24(std::span<uint8_t> output, int width, int height,
                        std::span<const uint8_t> input);

// 2 bytes per pixel, little-endian 16-bit word with red in bits 15-11, green in 10-5, blue in
// 4-0.
void ConvertYuyvToRgb565(std::span<uint8_t> output, int width, int height,
                         std::span<const uint8_t> input);

// 1 byte per pixel, the luminance.
void ConvertYuyvToGrey8(std::span<uint8_t> output, int width, int height,
                        std::span<const uint8_t> input);
