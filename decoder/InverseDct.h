// The accurate integer inverse DCT used for every block, with dequantisation folded in, and
// the range-limit table that turns its results into 8-bit samples.
#pragma once

#include <array>
#include <cstdint>

namespace decoder {

// 256 zeros, 0..255, 384 x 255, 384 x 0, 0..127. A descaled result s is read at
// kRangeLimitCentre + (s & 1023), which gives s + 128 clamped to 0-255 for s in -512..511.
inline constexpr int kRangeLimitCentre = 256 + 128;
extern const std::array<uint8_t, 1408> kRangeLimit;

// Transforms the 64 coefficients (natural order) with their quantisation table and writes 64
// samples, row by row, over the start of the same block. `lastIndex` is the highest zigzag
// index that may be non-zero; 0 takes the DC-only path. Both paths give the same bytes for
// any input.
void InverseDctPortable(int16_t* coefficients, const uint16_t* quantisation, int lastIndex,
                        uint8_t* samples);
#if defined(__SSE2__)
void InverseDctSse2(int16_t* coefficients, const uint16_t* quantisation, int lastIndex,
                    uint8_t* samples);
#endif

}  // namespace decoder
