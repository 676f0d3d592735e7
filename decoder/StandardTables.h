// The standard's fixed block tables that every side of the camera link shares: the zigzag
// order in which a block's 64 coefficients travel, and the example quantisation tables of
// ITU-T T.81 Annex K (K.1 luminance, K.2 chrominance) that the camera's tables are scaled from.
// The decoder reads coefficients through the zigzag order; the device layer builds the tables
// it sends the camera from K.1 and K.2; the simulated camera codes its frames with the same.
// Data only; anyone may include it.
#pragma once

#include <array>
#include <cstdint>

namespace decoder {

// Zigzag index to natural (row-major) position within an 8x8 block.
inline constexpr std::array<uint8_t, 64> kZigzagToNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// Table K.1, luminance, in natural order.
inline constexpr std::array<uint16_t, 64> kLuminanceQuantisation = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

// Table K.2, chrominance, in natural order.
inline constexpr std::array<uint16_t, 64> kChrominanceQuantisation = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

}  // namespace decoder
