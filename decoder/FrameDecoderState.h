// The decoder object behind the opaque FrameDecoder handle, shared by the parser, the block
// decoder and the macroblock writers. Only decoder/ and its tests include this.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "decoder/FrameDecoder.h"

namespace decoder {

// One 8x8 block in the macroblock row buffer: a slot the size of its 64 coefficients, whose
// first 64 bytes take its samples (8 rows of 8). The coefficients themselves are decoded into
// one scratch block, which the transform reads and the decoder clears for the next block.
inline constexpr size_t kBlockSlotBytes = 128;
// The camera's macroblock: two luminance blocks side by side, then one Cb and one Cr block,
// covering 16 x 8 pixels.
inline constexpr int kBlocksPerMacroblock = 4;
inline constexpr size_t kMacroblockBytes = kBlocksPerMacroblock * kBlockSlotBytes;

// Inverse DCT of one block with its quantisation table. `lastIndex` is the highest zigzag
// index that may be non-zero (0 when only the DC coefficient is set).
using BlockTransform = void (*)(int16_t* coefficients, const uint16_t* quantisation, int lastIndex,
                                uint8_t* samples);
// Writes one decoded macroblock (its four sample blocks) as 8 lines of 16 pixels; line j goes
// to `destination + j * lineStep`.
using PixelPacker = void (*)(const uint8_t* macroblock, uint8_t* destination, ptrdiff_t lineStep);
// Places macroblock row `row` of the row buffer into the output.
using RowWriter = void (*)(const FrameDecoder& decoder, int row, std::span<uint8_t> output);

struct ComponentRecord {
    int horizontalSampling = 0;
    int quantisationTable = 0;
    int tableSelector = 0;  // 0: luminance tables, anything else: chrominance tables
};

}  // namespace decoder

struct FrameDecoder {
    decoder::BlockTransform blockTransform = nullptr;
    decoder::PixelPacker pixelPacker = nullptr;
    decoder::RowWriter rowWriter = nullptr;
    int mode = 0;
    int bitsPerPixel = 0;
    size_t outputSize = 0;
    size_t outputStride = 0;

    // The frame last given to ParseFrame; borrowed, it must outlive the following decode.
    std::span<const uint8_t> frame;
    size_t scanHeaderPosition = 0;  // 0: no scan header found in this frame
    size_t entropyDataStart = 0;

    int height = 0;
    int width = 0;
    int componentCount = 0;  // 3 once a frame header has been accepted
    int macroblocksPerRow = 0;

    bool ranOut = true;  // the last decode read past its data, or wrote nothing

    std::unique_ptr<uint8_t[]> rowBuffer;  // kMacroblockBytes per macroblock, 32 x width bytes
    size_t rowBufferSize = 0;

    std::array<decoder::ComponentRecord, 3> components{};
    std::array<std::array<uint16_t, 64>, 4> quantisationTables{};  // natural order
};
