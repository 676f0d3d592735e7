// Decoder object lifecycle and frame decoding: entropy decoding of each block, its transform,
// and the hand-over of each macroblock row to the row writer.
#include "decoder/FrameDecoder.h"

#include <cstring>
#include <new>

#include "decoder/BitReader.h"
#include "decoder/FrameDecoderState.h"
#include "decoder/HuffmanTables.h"
#include "decoder/InverseDct.h"
#include "decoder/MacroblockWriters.h"

namespace decoder {
namespace {

struct ComponentTables {
    const HuffmanTable* dc;
    const HuffmanTable* ac;
    const uint16_t* quantisation;
};

// Decodes one block's coefficients (natural order) into `coefficients`, which must be zeroed.
// Returns the highest zigzag index written. A zero run that would carry the index past 63 only
// happens in corrupt data and ends the block there.
inline int DecodeBlock(BitReader& bits, const ComponentTables& tables, int32_t& predictor,
                       int16_t* coefficients) {
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

    int last = 0;
    for (int k = 1; k < 64;) {
        bits.FillForSymbol();
        if (const int32_t entry = bits.PeekWithValue(*tables.ac); entry != 0) {
            bits.Skip(entry & 0xFF);
            k += (entry >> 8) & 0xFF;
            if (k > 63)
                break;
            coefficients[kZigzagToNatural[k]] = static_cast<int16_t>(entry >> 16);
            last = k;
            ++k;
            continue;
        }
        const int symbol = bits.DecodeSymbol(*tables.ac);
        const int run = symbol >> 4;
        const int size = symbol & 15;
        if (run == 0 && size == 0)
            break;  // end of block
        k += run;
        const int32_t value = bits.ReceiveExtended(size);
        if (k > 63)
            break;
        coefficients[kZigzagToNatural[k]] = static_cast<int16_t>(value);
        last = k;
        ++k;
    }
    return last;
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
    uint8_t* rowBuffer = decoder->rowBuffer.get();
    for (int row = 0; row < rows; ++row) {
        if (rowBytes != 0)  // no row buffer yet when no whole macroblock fits the width
            std::memset(rowBuffer, 0, rowBytes);
        uint8_t* slot = rowBuffer;
        for (int m = 0; m < decoder->macroblocksPerRow; ++m) {
            for (int c = 0; c < 3; ++c) {
                for (int h = 0; h < decoder->components[c].horizontalSampling; ++h) {
                    auto* coefficients = reinterpret_cast<int16_t*>(slot);
                    const int last = DecodeBlock(bits, tables[c], predictors[c], coefficients);
                    decoder->blockTransform(coefficients, tables[c].quantisation, last, slot);
                    slot += kBlockSlotBytes;
                }
            }
        }
        if (partialMacroblock) {
            // The partial macroblock at the right edge is not written, but its blocks are in
            // the stream and must be read past to keep the next row in step.
            for (int c = 0; c < 3; ++c) {
                for (int h = 0; h < decoder->components[c].horizontalSampling; ++h) {
                    int16_t scratch[64] = {};
                    DecodeBlock(bits, tables[c], predictors[c], scratch);
                }
            }
        }
        decoder->rowWriter(*decoder, row, output);
    }
    return 0;
}
