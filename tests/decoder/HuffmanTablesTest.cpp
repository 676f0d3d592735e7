// The decoder's Huffman lookup (direct for short codes, a second lookup for long ones) against
// the canonical code of each standard table, for every 16-bit window of the stream.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "decoder/BitReader.h"
#include "decoder/HuffmanTables.h"
#include "tests/support/RowName.h"

namespace {

using decoder::HuffmanDefinition;
using decoder::HuffmanTable;

struct NamedTable {
    const char* name;
    const HuffmanTable* table;
    const HuffmanDefinition* definition;
};

class HuffmanLookup : public ::testing::TestWithParam<NamedTable> {};

// What the canonical code makes of each 16-bit window: (length << 8) | symbol of the code that
// starts it, or 0 when none does.
std::vector<uint16_t> CanonicalWindows(const HuffmanDefinition& definition) {
    std::vector<uint16_t> windows(1 << 16, 0);
    int code = 0;
    size_t index = 0;
    for (int length = 1; length <= 16; ++length) {
        for (int i = 0; i < definition.counts[length - 1]; ++i, ++code, ++index) {
            const int first = code << (16 - length);
            for (int fill = 0; fill < (1 << (16 - length)); ++fill)
                windows[first + fill] =
                    static_cast<uint16_t>((length << 8) | definition.symbols[index]);
        }
        code <<= 1;
    }
    return windows;
}

TEST_P(HuffmanLookup, EveryWindowDecodesToItsCanonicalCode) {
    const NamedTable& named = GetParam();
    const std::vector<uint16_t> expected = CanonicalWindows(*named.definition);
    int mismatches = 0;
    for (uint32_t window = 0; window < (1u << 16) && mismatches < 5; ++window) {
        // The window as entropy-coded bytes (an FF byte stuffed with 00), then zeros.
        std::vector<uint8_t> bytes;
        for (const uint8_t byte : {uint8_t(window >> 8), uint8_t(window)}) {
            bytes.push_back(byte);
            if (byte == 0xFF)
                bytes.push_back(0x00);
        }
        bytes.resize(bytes.size() + 8, 0);
        decoder::BitReader bits(bytes, 0);
        bits.FillForSymbol();
        const int symbol = bits.DecodeSymbol(*named.table);
        // A window that starts no code is read as symbol 0 over all 16 bits.
        const int length = expected[window] == 0 ? 16 : expected[window] >> 8;
        const int wanted = expected[window] & 0xFF;
        const uint32_t following = (window << length) & 0xFFFF;
        if (symbol != wanted || bits.Peek(16) != following) {
            ++mismatches;
            ADD_FAILURE() << "window " << std::hex << window << ": symbol " << symbol << ", wanted "
                          << wanted << " of length " << std::dec << length;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    StandardTables, HuffmanLookup,
    ::testing::Values(
        NamedTable{"LuminanceDc", &decoder::kLuminanceDcTable, &decoder::kLuminanceDcDefinition},
        NamedTable{"ChrominanceDc", &decoder::kChrominanceDcTable,
                   &decoder::kChrominanceDcDefinition},
        NamedTable{"LuminanceAc", &decoder::kLuminanceAcTable, &decoder::kLuminanceAcDefinition},
        NamedTable{"ChrominanceAc", &decoder::kChrominanceAcTable,
                   &decoder::kChrominanceAcDefinition}),
    RowName{});

}  // namespace
