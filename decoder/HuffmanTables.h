// The four Huffman tables the camera codes every frame with (the typical luminance and
// chrominance DC and AC tables of the JPEG standard, Annex K) and the lookup structure the
// decoder reads symbols through. The camera never sends its tables, so they are fixed here
// and built at compile time.
#pragma once

#include <array>
#include <cstdint>

#include "decoder/StandardTables.h"  // the zigzag order, read with the codes

namespace decoder {

// Codes up to this many bits are found by one direct lookup; the rare longer codes are found
// by walking the canonical code ranges from there on.
inline constexpr int kHuffmanLookupBits = 10;

struct HuffmanTable {
    // Indexed by the next kHuffmanLookupBits bits of the stream: (code length << 8) | symbol,
    // or 0 when the code is longer than the lookup.
    std::array<uint16_t, 1 << kHuffmanLookupBits> lookup{};
    // Same index, for a code whose extra bits also lie within the lookup: (value << 16) |
    // (run << 8) | (code length + extra bits), the coefficient decoded in one step; 0 when
    // the slower path must be taken (and always for the end-of-block and zero-run symbols
    // of an AC table).
    std::array<int32_t, 1 << kHuffmanLookupBits> withValue{};
    // Largest code of each length 1-16 (-1 if there is none), and the index into `symbols`
    // of the first code of that length minus that code.
    std::array<int32_t, 17> maxCode{};
    std::array<int32_t, 17> symbolOffset{};
    std::array<uint8_t, 256> symbols{};
};

// Builds the canonical code of a table given as the number of codes of each length 1-16 and
// the symbols in code order.
constexpr HuffmanTable BuildHuffmanTable(const std::array<uint8_t, 16>& counts,
                                         const uint8_t* symbols, int symbolCount, bool dc) {
    HuffmanTable table;
    for (int i = 0; i < symbolCount; ++i)
        table.symbols[i] = symbols[i];
    int32_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = counts[length - 1];
        table.maxCode[length] = count == 0 ? -1 : code + count - 1;
        table.symbolOffset[length] = index - code;
        for (int i = 0; i < count; ++i, ++code, ++index) {
            if (length > kHuffmanLookupBits)
                continue;
            // Every lookup index that starts with this code decodes to it.
            const int spare = kHuffmanLookupBits - length;
            const int symbol = symbols[index];
            const int run = dc ? 0 : symbol >> 4;
            const int size = symbol & 15;
            for (int fill = 0; fill < (1 << spare); ++fill) {
                const int at = (code << spare) | fill;
                table.lookup[at] = static_cast<uint16_t>((length << 8) | symbol);
                if ((size == 0 && !dc) || length + size > kHuffmanLookupBits)
                    continue;
                const int bits = (fill >> (spare - size)) & ((1 << size) - 1);
                const int value =
                    size == 0 ? 0 : (bits < (1 << (size - 1)) ? bits - ((1 << size) - 1) : bits);
                table.withValue[at] = static_cast<int32_t>(static_cast<uint32_t>(value) << 16) |
                                      (run << 8) | (length + size);
            }
        }
        code <<= 1;
    }
    return table;
}

extern const HuffmanTable kLuminanceDcTable;
extern const HuffmanTable kChrominanceDcTable;
extern const HuffmanTable kLuminanceAcTable;
extern const HuffmanTable kChrominanceAcTable;

}  // namespace decoder
