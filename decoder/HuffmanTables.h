// The four Huffman tables the camera codes every frame with (the typical luminance and
// chrominance DC and AC tables of the JPEG standard, Annex K) and the lookup structure the
// decoder reads symbols through. The camera never sends its tables, so they are fixed here
// and built at compile time.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "decoder/StandardTables.h"  // the zigzag order, read with the codes

namespace decoder {

// Codes up to this many bits are found by one direct lookup; a longer code (up to 16 bits) by a
// second lookup of the remaining bits in the block of its first kHuffmanLookupBits bits.
inline constexpr int kHuffmanLookupBits = 10;
inline constexpr int kHuffmanLongBits = 16 - kHuffmanLookupBits;
// Distinct first-10-bit prefixes of the longer codes a table may have: the standard tables have
// at most 3; a table needing more is refused at compile time.
inline constexpr int kHuffmanLongPrefixes = 8;
// The run of an end of block in HuffmanTable::withValue.
inline constexpr int kHuffmanEndOfBlockRun = 128;
// Marks a lookup entry whose low bits name the block of longer codes to look in.
inline constexpr uint16_t kHuffmanLongCode = 0x8000;

struct HuffmanTable {
    // Indexed by the next kHuffmanLookupBits bits of the stream: (code length << 8) | symbol;
    // kHuffmanLongCode | block for the first bits of longer codes; 0 when no code starts so.
    std::array<uint16_t, 1 << kHuffmanLookupBits> lookup{};
    // Same index, for a code whose extra bits also lie within the lookup: (value << 16) |
    // (run << 8) | (code length + extra bits), the coefficient decoded in one step; 0 when
    // the slower path must be taken. An AC table's end of block has the run
    // kHuffmanEndOfBlockRun, which carries the coefficient index past any block.
    std::array<int32_t, 1 << kHuffmanLookupBits> withValue{};
    // Same index, for an AC table: the withValue entry of the first coefficient in the low 32
    // bits and, when the code and extra bits of a second one also lie within the lookup, its
    // withValue entry in the high 32 bits (0 otherwise). Two coefficients for one lookup.
    std::array<uint64_t, 1 << kHuffmanLookupBits> pairs{};
    // The longer codes: block b, indexed by the kHuffmanLongBits bits after the prefix, holds
    // (code length << 8) | symbol, or 0 where no code of the table matches.
    std::array<std::array<uint16_t, 1 << kHuffmanLongBits>, kHuffmanLongPrefixes> longCodes{};
};

// Builds the canonical code of a table given as the number of codes of each length 1-16 and
// the symbols in code order.
constexpr HuffmanTable BuildHuffmanTable(const std::array<uint8_t, 16>& counts,
                                         const uint8_t* symbols, int symbolCount, bool dc) {
    HuffmanTable table;
    int32_t code = 0;
    int index = 0;
    int longPrefixes = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = counts[length - 1];
        for (int i = 0; i < count; ++i, ++code, ++index) {
            const int symbol = symbols[index];
            if (length > kHuffmanLookupBits) {
                // Every 16-bit window that starts with this code decodes to it.
                const int below = length - kHuffmanLookupBits;
                const int prefix = code >> below;
                if (table.lookup[prefix] == 0) {
                    if (longPrefixes == kHuffmanLongPrefixes)
                        throw "too many long-code prefixes";  // only reachable at compile time
                    table.lookup[prefix] = static_cast<uint16_t>(kHuffmanLongCode | longPrefixes++);
                }
                auto& block = table.longCodes[table.lookup[prefix] & 0xFF];
                const int start = (code & ((1 << below) - 1)) << (16 - length);
                for (int fill = 0; fill < (1 << (16 - length)); ++fill)
                    block[start + fill] = static_cast<uint16_t>((length << 8) | symbol);
                continue;
            }
            // Every lookup index that starts with this code decodes to it.
            const int spare = kHuffmanLookupBits - length;
            const int size = symbol & 15;
            const int run = dc ? 0 : (symbol == 0 ? kHuffmanEndOfBlockRun : symbol >> 4);
            for (int fill = 0; fill < (1 << spare); ++fill) {
                const int at = (code << spare) | fill;
                table.lookup[at] = static_cast<uint16_t>((length << 8) | symbol);
                if (length + size > kHuffmanLookupBits)
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
    if (index != symbolCount)
        throw "symbol count does not match the code lengths";
    // A second coefficient after one that leaves bits over: the rest of the index, padded with
    // zeros, looked up again; it counts only if it does not reach into the padding. Nothing
    // follows an end of block, whose next bits belong to the next block.
    for (int at = 0; at < (1 << kHuffmanLookupBits) && !dc; ++at) {
        const uint32_t first = static_cast<uint32_t>(table.withValue[at]);
        if (first == 0)
            continue;
        const int used = first & 0xFF;
        const int rest = kHuffmanLookupBits - used;
        uint32_t second = 0;
        if (rest > 0 && ((first >> 8) & 0xFF) != kHuffmanEndOfBlockRun) {
            const int following = (at << used) & ((1 << kHuffmanLookupBits) - 1);
            second = static_cast<uint32_t>(table.withValue[following]);
            if ((second & 0xFF) > static_cast<uint32_t>(rest))
                second = 0;
        }
        table.pairs[at] = (static_cast<uint64_t>(second) << 32) | first;
    }
    return table;
}

extern const HuffmanTable kLuminanceDcTable;
extern const HuffmanTable kChrominanceDcTable;
extern const HuffmanTable kLuminanceAcTable;
extern const HuffmanTable kChrominanceAcTable;

// The same four tables as the standard lists them: how many codes there are of each length
// 1-16, and the symbols in code order. The decoder reads the tables above; these let a test
// check them against the canonical code.
struct HuffmanDefinition {
    std::array<uint8_t, 16> counts;
    std::span<const uint8_t> symbols;
};
extern const HuffmanDefinition kLuminanceDcDefinition;
extern const HuffmanDefinition kChrominanceDcDefinition;
extern const HuffmanDefinition kLuminanceAcDefinition;
extern const HuffmanDefinition kChrominanceAcDefinition;

}  // namespace decoder
