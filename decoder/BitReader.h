// Reads the entropy-coded data of a frame bit by bit, most significant bit first, and decodes
// Huffman symbols from it.
//
// A byte FF followed by 00 is a stuffed data byte FF; FF followed by anything else is a marker
// (a restart, or noise from the camera) and is dropped without touching the DC predictors.
// Reading never goes past the frame's length: once the data ends the bits read as 0, so a
// truncated frame decodes as if it were padded with zero bits. An FF that is the very last
// byte reads as data, as if the stuffing 00 had been cut off with the rest.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "decoder/HuffmanTables.h"

namespace decoder {

class BitReader {
  public:
    BitReader(std::span<const uint8_t> data, size_t start)
        : data_(data.data()), length_(data.size()), position_(start) {}

    // Makes at least 57 bits available (the longest symbol plus its extra bits needs 27). The
    // common case, eight bytes ahead without an FF among them, takes them in one step; the
    // rest goes byte by byte out of line, on a copy, so that a reader kept in registers by
    // its caller stays there.
    void Fill() {
        if (position_ + 8 <= length_ && FillFast())
            return;
        const State filled = FilledByBytes({data_, length_, position_, buffer_, count_});
        position_ = filled.position;
        buffer_ = filled.buffer;
        count_ = filled.count;
    }

    // Ensures the next symbol and its extra bits can be read without another fill.
    void FillForSymbol() {
        if (count_ < 32)
            Fill();
    }

    uint32_t Peek(int bits) const { return static_cast<uint32_t>(buffer_ >> (64 - bits)); }

    void Skip(int bits) {
        buffer_ <<= bits;
        count_ -= bits;
    }

    // Reads `size` bits (0-16) and extends them to a signed value the usual way: a leading 0
    // bit means the value is negative, bits - (2^size - 1).
    int32_t ReceiveExtended(int size) {
        if (size == 0)
            return 0;
        const int32_t bits = static_cast<int32_t>(Peek(size));
        Skip(size);
        return bits < (1 << (size - 1)) ? bits - ((1 << size) - 1) : bits;
    }

    // The combined lookup entry for the next bits (see HuffmanTable::withValue); the caller
    // skips its length when it is not 0.
    int32_t PeekWithValue(const HuffmanTable& table) const {
        return table.withValue[Peek(kHuffmanLookupBits)];
    }

    // Decodes one Huffman symbol. A bit pattern that is no code of the table (only corrupt
    // data has one) consumes 16 bits and reads as symbol 0.
    int DecodeSymbol(const HuffmanTable& table) {
        uint16_t entry = table.lookup[Peek(kHuffmanLookupBits)];
        if (entry & kHuffmanLongCode) {
            const uint32_t rest = Peek(16) & ((1u << kHuffmanLongBits) - 1);
            entry = table.longCodes[entry & 0xFF][rest];
        }
        if (entry == 0) {
            Skip(16);
            return 0;
        }
        Skip(entry >> 8);
        return entry & 0xFF;
    }

  private:
    struct State {
        const uint8_t* data;
        size_t length;
        size_t position;
        uint64_t buffer;
        int count;
    };

    // Takes whole bytes from the 8-byte window at the position, as many as fit, unless one of
    // them is FF (stuffing or a marker, left to the byte path). Needs 8 bytes left and at most
    // 56 bits held.
    bool FillFast() {
        uint64_t word;
        std::memcpy(&word, data_ + position_, sizeof word);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
        const uint64_t inverted = ~word;
        const bool hasFF =
            ((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0;
        if (hasFF)
            return false;
        const int bytes = (64 - count_) >> 3;
        buffer_ |= (word >> (64 - 8 * bytes)) << (64 - count_ - 8 * bytes);
        count_ += 8 * bytes;
        position_ += bytes;
        return true;
    }

    [[gnu::noinline]] static State FilledByBytes(State state) {
        while (state.count <= 56) {
            if (state.position >= state.length) {
                // Past the end: the zeros already shifted into the buffer are the padding.
                state.count = 64;
                break;
            }
            uint64_t byte = state.data[state.position++];
            if (byte == 0xFF && state.position < state.length) {
                if (state.data[state.position++] != 0x00)
                    continue;
            }
            state.buffer |= byte << (56 - state.count);
            state.count += 8;
        }
        return state;
    }

    const uint8_t* data_;
    size_t length_;
    size_t position_;
    uint64_t buffer_ = 0;  // unread bits, left-aligned
    int count_ = 0;        // how many of them are valid
};

}  // namespace decoder
