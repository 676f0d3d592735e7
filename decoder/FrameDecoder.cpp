// Decoder object lifecycle and frame decoding: entropy decoding of each block, its transform,
// and the hand-over of each macroblock row to the row writer.
#include "decoder/FrameDecoder.h"

#include <array>
#include <cstring>
#include <new>

#include "decoder/BitReader.h"
#include "decoder/FrameDecoderState.h"
#include "decoder/HuffmanTables.h"
#include "decoder/InverseDct.h"
#include "decoder/MacroblockWriters.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace decoder {
namespace {

struct ComponentTables {
    const HuffmanTable* dc;
    const HuffmanTable* ac;
    const uint16_t* quantisation;
};

// Zigzag index to natural position, continued past 63 with a spare slot: a corrupt zero run
// that carries the index beyond the block (at most 63 + 15) writes there instead of needing a
// test before every store, and the block ends at the loop's own test. An end of block is a
// run of kHuffmanEndOfBlockRun that writes a zero to the spare slot the same way.
constexpr int kSpareCoefficient = 64;
constexpr int kZigzagWithSpareSize = 64 + kHuffmanEndOfBlockRun;
constexpr std::array<uint8_t, kZigzagWithSpareSize> BuildZigzagWithSpare() {
    std::array<uint8_t, kZigzagWithSpareSize> table{};
    for (int k = 0; k < kZigzagWithSpareSize; ++k)
        table[k] = k < 64 ? kZigzagToNatural[k] : kSpareCoefficient;
    return table;
}
constexpr std::array<uint8_t, kZigzagWithSpareSize> kZigzagWithSpare = BuildZigzagWithSpare();

// One block's coefficients: 64 in natural order and the spare slot, zeroed between blocks.
struct alignas(16) CoefficientBlock {
    int16_t values[72];
};

// Zeroes what a block whose last zigzag index is `last` can have written: zigzag indices up to
// 2 lie in rows 0-1, up to 9 in rows 0-3; a block reaching further may have written any row
// and the spare slot.
inline void ClearCoefficients(CoefficientBlock& block, int last) {
    if (last == 0) {
        block.values[0] = 0;
        return;
    }
    // Straight-line stores: a loop here would be turned into a string store, which costs more
    // to start than these few stores take.
    auto clearRow = [&block](int row) {
#if defined(__SSE2__)
        _mm_store_si128(reinterpret_cast<__m128i*>(block.values + 8 * row), _mm_setzero_si128());
#else
        std::memset(block.values + 8 * row, 0, 8 * sizeof(int16_t));
#endif
    };
    if (last > 9) {
        clearRow(8);
        clearRow(7);
        clearRow(6);
        clearRow(5);
        clearRow(4);
    }
    if (last > 2) {
        clearRow(3);
        clearRow(2);
    }
    clearRow(1);
    clearRow(0);
}

// Decodes one block's coefficients (natural order) into `coefficients`, which must be zeroed.
// Returns the highest zigzag index that may be non-zero. A zero run that would carry the index
// past 63 only happens in corrupt data and ends the block there.
[[gnu::always_inline]] inline int DecodeBlock(BitReader& bits, const ComponentTables& tables,
                                              int32_t& predictor, CoefficientBlock& block) {
    int16_t* coefficients = block.values;
    bits.FillForSymbol();
    int32_t difference;
    if (const int32_t entry = bits.PeekWithValue(*tables.dc); entry != 0) {
        bits.Skip(entry & 0xFF);
        difference = entry >> 16;
    } else {
        difference = bits.ReceiveExtended(bits.DecodeSymbol(*tables.dc) & 15);
    }
    // Wrapping keeps corrupt data from overflowing; real predictors stay within +-2047.
    predictor =
        static_cast<int32_t>(static_cast<uint32_t>(predictor) + static_cast<uint32_t>(difference));
    coefficients[0] = static_cast<int16_t>(predictor);

    // After each coefficient k is one past it, so at the end of the block k - 1 is the last
    // index written (a zero written by a run of sixteen zeros included); after an end of
    // block it is that plus kHuffmanEndOfBlockRun + 1, after a run past the block at most 79.
    int k = 1;
    while (k < 64) {
        bits.FillForSymbol();
        if (const uint64_t pair = bits.PeekPair(*tables.ac); pair != 0) {
            const auto first = static_cast<uint32_t>(pair);
            bits.Skip(first & 0xFF);
            k += (first >> 8) & 0xFF;
            coefficients[kZigzagWithSpare[k]] = static_cast<int16_t>(first >> 16);
            ++k;
            // The second only while the block goes on: once it is full or ended, the next bits
            // belong to the next block. Without one, this writes a zero where nothing was
            // written yet and leaves k as it is.
            if (k < 64) {
                const auto second = static_cast<uint32_t>(pair >> 32);
                bits.Skip(second & 0xFF);
                k += (second >> 8) & 0xFF;
                coefficients[kZigzagWithSpare[k]] = static_cast<int16_t>(second >> 16);
                k += second != 0;
            }
            continue;
        }
        const int symbol = bits.DecodeSymbol(*tables.ac);
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (run == 0 && size == 0)
            break;  // end of block
        k += run;
        coefficients[kZigzagWithSpare[k]] = static_cast<int16_t>(bits.ReceiveExtended(size));
        ++k;
    }
    static_assert(kHuffmanEndOfBlockRun > 79);
    if (k > kHuffmanEndOfBlockRun)
        return k - kHuffmanEndOfBlockRun - 2;
    return k > 64 ? 63 : k - 1;
}

// DecodeBlock for the blocks of a partial macroblock, which are read only to be skipped: out of
// line, so that the common path is compiled for itself, and with the reader going in and out
// by value, so that the caller's copy never has its address taken.
[[gnu::noinline]] BitReader SkipBlock(BitReader bits, const ComponentTables& tables,
                                      int32_t& predictor, CoefficientBlock& block) {
    ClearCoefficients(block, DecodeBlock(bits, tables, predictor, block));
    return bits;
}

}  // namespace
}  // namespace decoder

int CreateFrameDecoder(int mode, FrameDecoder** decoder) {
    if (decoder == nullptr)
        return 1;
    *decoder = nullptr;
    decoder::ModeRoutines routines{};
    if (!decoder::RoutinesForMode(mode, routines))
        return 2;
    FrameDecoder* created = new (std::nothrow) FrameDecoder();
    if (created == nullptr)
        return 1;
#if defined(__SSE2__)
    created->blockTransform = decoder::InverseDctSse2;
#else
    created->blockTransform = decoder::InverseDctPortable;
#endif
    created->pixelPacker = routines.pixelPacker;
    created->rowWriter = routines.rowWriter;
    created->mode = mode;
    created->bitsPerPixel = routines.bitsPerPixel;
    *decoder = created;
    return 0;
}

int DestroyFrameDecoder(FrameDecoder** decoder) {
    if (decoder == nullptr || *decoder == nullptr)
        return 1;
    delete *decoder;
    *decoder = nullptr;
    return 0;
}

int DecodeFrame(FrameDecoder* decoder, std::span<uint8_t> output) {
    using namespace decoder;
    if (decoder == nullptr)
        return 1;
    decoder->ranOut = true;
    // The picture must fit the caller's buffer as a whole, or nothing is written.
    if (decoder->outputSize > output.size())
        return 1;
    const size_t rowBytes = static_cast<size_t>(decoder->macroblocksPerRow) * kMacroblockBytes;
    // Only after a parse that failed part-way can the header describe a wider picture than the
    // row buffer was sized for.
    if (rowBytes > decoder->rowBufferSize)
        return 1;

    ComponentTables tables[3];
    for (int c = 0; c < 3; ++c) {
        const ComponentRecord& component = decoder->components[c];
        const bool luminance = component.tableSelector == 0;
        tables[c] = {luminance ? &kLuminanceDcTable : &kChrominanceDcTable,
                     luminance ? &kLuminanceAcTable : &kChrominanceAcTable,
                     decoder->quantisationTables[component.quantisationTable & 3].data()};
    }

    BitReader bits(decoder->frame, decoder->entropyDataStart);
    int32_t predictors[3] = {0, 0, 0};
    const int rows = decoder->height / 8;
    const bool partialMacroblock = decoder->width % 16 != 0;
    const BlockTransform blockTransform = decoder->blockTransform;
    // Coefficients go to one scratch block, cleared after each transform, and the samples to
    // their slot of the row buffer. With the camera's sampling, the only one the parser takes,
    // every slot the row writer reads is written anew for each row; should fewer blocks per
    // macroblock ever get through, the tail reads as zero samples, never as an older row.
    CoefficientBlock block{};
    size_t writtenBytes = 0;
    for (const ComponentRecord& component : decoder->components)
        writtenBytes += static_cast<size_t>(component.horizontalSampling) * kBlockSlotBytes;
    writtenBytes *= static_cast<size_t>(decoder->macroblocksPerRow);
    for (int row = 0; row < rows; ++row) {
        uint8_t* slot = decoder->rowBuffer.get();
        if (writtenBytes < rowBytes)
            std::memset(slot + writtenBytes, 0, rowBytes - writtenBytes);
        for (int m = 0; m < decoder->macroblocksPerRow; ++m) {
            for (int c = 0; c < 3; ++c) {
                for (int h = 0; h < decoder->components[c].horizontalSampling; ++h) {
                    const int last = DecodeBlock(bits, tables[c], predictors[c], block);
                    blockTransform(block.values, tables[c].quantisation, last, slot);
                    ClearCoefficients(block, last);
                    slot += kBlockSlotBytes;
                }
            }
        }
        if (partialMacroblock) {
            // The partial macroblock at the right edge is not written, but its blocks are in
            // the stream and must be read past to keep the next row in step.
            for (int c = 0; c < 3; ++c) {
                for (int h = 0; h < decoder->components[c].horizontalSampling; ++h) {
                    bits = SkipBlock(bits, tables[c], predictors[c], block);
                }
            }
        }
        decoder->rowWriter(*decoder, row, output);
    }
    decoder->ranOut = bits.RanOut();
    return 0;
}

bool LastDecodeRanOut(const FrameDecoder* decoder) {
    return decoder == nullptr || decoder->ranOut;
}
