// Reads the entropy-coded data of a frame bit by bit, most significant bit first, and decodes
// Huffman symbols from it.
//
// A byte FF followed by 00 is a stuffed data byte FF; FF followed by anything else is a marker
// (a restart, or noise from the camera) and is dropped without touching the DC predictors.
// Reading never goes past the frame's length: once the data ends the bits read as 0, so a
// truncated frame decodes as if it were padded with zero bits. An FF that is the very last
// byte reads as data, as if the stuffing 00 had been cut off with the rest. The reader keeps
// count of the padding it added, so the decoder can tell a frame that held all its blocks from
// one that ran out.
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
    // common case, eight bytes ahead without an FF among them, takes them in one step inline;
    // the rest goes out of line.
    void Fill() {
        if (position_ + 8 <= length_) {
            const uint64_t word = WordAt(data_ + position_);
            const uint64_t inverted = ~word;
            const bool hasFF =
                ((inverted - 0x0101010101010101ull) & ~inverted & 0x8080808080808080ull) != 0;
            if (!hasFF) {
                const int bytes = (64 - count_) >> 3;
                buffer_ |= (word >> (64 - 8 * bytes)) << (64 - count_ - 8 * bytes);
                count_ += 8 * bytes;
                position_ += bytes;
                return;
            }
        }
        // The reader's state goes out and back in registers (the position and count packed
        // into one word), so a caller keeping it in registers does not have to store it.
        const Refilled refilled = FilledAroundMarkers(data_, length_, position_, buffer_, count_);
        buffer_ = refilled.buffer;
        position_ = static_cast<size_t>(refilled.positionAndCount >> 14);
        padded_ += static_cast<int>((refilled.positionAndCount >> 7) & 127);
        count_ = static_cast<int>(refilled.positionAndCount & 127);
    }

    // Whether a bit past the end of the data has been read. Padding always sits below the
    // frame's own bits, and padding more keeps padded_ - count_ as it was, so the reader has
    // gone past the data exactly when fewer bits are left than were padded.
    bool RanOut() const { return count_ < padded_; }

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

    // The same for up to two coefficients (see HuffmanTable::pairs).
    uint64_t PeekPair(const HuffmanTable& table) const {
        return table.pairs[Peek(kHuffmanLookupBits)];
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
    struct Refilled {
        uint64_t buffer;
        uint64_t positionAndCount;  // position << 14 | zero bits padded << 7 | count
    };

    static uint64_t WordAt(const uint8_t* at) {
        uint64_t word;
        std::memcpy(&word, at, sizeof word);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
        return word;
    }

    // While eight bytes lie ahead they are read as one word: the bytes before its first FF go
    // in at once, then the FF pair is dealt with. The frame's last bytes go one by one.
    [[gnu::noinline]] static Refilled FilledAroundMarkers(const uint8_t* data, size_t length,
                                                          size_t position, uint64_t buffer,
                                                          int count) {
        uint64_t padded = 0;
        while (count <= 56) {
            if (position + 8 > length) {
                // Byte by byte to the end of the frame.
                if (position >= length) {
                    // Past the end: the zeros already shifted into the buffer are the padding.
                    padded = static_cast<uint64_t>(64 - count);
                    count = 64;
                    break;
                }
                uint64_t byte = data[position++];
                if (byte == 0xFF && position < length) {
                    if (data[position++] != 0x00)
                        continue;
                }
                buffer |= byte << (56 - count);
                count += 8;
                continue;
            }
            const uint64_t word = WordAt(data + position);
            // 0x80 in each byte of the word that is FF, exactly (no borrow between bytes).
            constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
            const uint64_t inverted = ~word;
            const uint64_t isFF = ~(((inverted & kLow7) + kLow7) | inverted | kLow7);
            const int room = (64 - count) >> 3;
            const int beforeFF = isFF == 0 ? 8 : __builtin_clzll(isFF) >> 3;
            const int bytes = room < beforeFF ? room : beforeFF;
            if (bytes > 0) {
                buffer |= (word >> (64 - 8 * bytes)) << (64 - count - 8 * bytes);
                count += 8 * bytes;
                position += static_cast<size_t>(bytes);
            }
            if (bytes == room)
                break;
            // The next byte is FF. The very last byte of the frame is left to the byte path;
            // otherwise FF 00 is a data byte FF and FF with anything else a marker.
            if (position + 1 >= length)
                continue;
            if (data[position + 1] == 0x00) {
                buffer |= uint64_t{0xFF} << (56 - count);
                count += 8;
            }
            position += 2;
        }
        return {buffer, (static_cast<uint64_t>(position) << 14) | (padded << 7) |
                            static_cast<uint64_t>(count)};
    }

    const uint8_t* data_;
    size_t length_;
    size_t position_;
    uint64_t buffer_ = 0;  // unread bits, left-aligned
    int count_ = 0;        // how many of them are valid
    int padded_ = 0;       // zero bits added past the end of the data, read or not
};

}  // namespace decoder
