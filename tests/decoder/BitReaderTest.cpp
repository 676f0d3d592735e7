// The bit reader against a byte-by-byte reading of the same entropy-coded data: FF 00 is a
// data byte FF, FF with anything else a dropped marker, a last FF is data, and past the end
// every bit reads 0. The streams are dense with FF so that pairs fall at every place of the
// reader's 8-byte windows, across their edges and at the frame's end.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "decoder/BitReader.h"
#include "tests/support/RowName.h"

namespace {

struct StreamCase {
    const char* name;
    int ffPercent;      // share of FF bytes
    int markerPercent;  // share of them followed by a marker code instead of 00
    bool endsWithFF;
};

class BitReaderStreams : public ::testing::TestWithParam<StreamCase> {};

std::vector<uint8_t> Destuffed(const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> data;
    for (size_t i = 0; i < stream.size();) {
        const uint8_t byte = stream[i++];
        if (byte == 0xFF && i < stream.size()) {
            if (stream[i++] != 0x00)
                continue;
        }
        data.push_back(byte);
    }
    return data;
}

TEST_P(BitReaderStreams, ReadsWhatAByteByByteReadingGives) {
    const StreamCase& param = GetParam();
    std::mt19937 random(5);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<uint8_t> stream;
        const size_t size = 1 + random() % 64;
        while (stream.size() < size) {
            if (static_cast<int>(random() % 100) < param.ffPercent) {
                stream.push_back(0xFF);
                const bool marker = static_cast<int>(random() % 100) < param.markerPercent;
                stream.push_back(marker ? static_cast<uint8_t>(0xD0 + random() % 8) : 0x00);
            } else {
                stream.push_back(static_cast<uint8_t>(random() % 0xFF));
            }
        }
        if (param.endsWithFF)
            stream.push_back(0xFF);
        const std::vector<uint8_t> data = Destuffed(stream);
        auto referenceBit = [&](size_t at) {
            return at / 8 < data.size() ? (data[at / 8] >> (7 - at % 8)) & 1 : 0;
        };

        decoder::BitReader bits(stream, 0);
        size_t at = 0;
        while (at < 8 * data.size() + 64) {
            bits.FillForSymbol();
            const int width = 1 + static_cast<int>(random() % 16);
            uint32_t expected = 0;
            for (int i = 0; i < width; ++i)
                expected = (expected << 1) | referenceBit(at + i);
            ASSERT_EQ(bits.Peek(width), expected) << "trial " << trial << ", bit " << at;
            bits.Skip(width);
            at += width;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Streams, BitReaderStreams,
                         ::testing::Values(StreamCase{"PlainBytes", 0, 0, false},
                                           StreamCase{"StuffedBytes", 30, 0, false},
                                           StreamCase{"MostlyStuffed", 80, 0, false},
                                           StreamCase{"Markers", 30, 50, false},
                                           StreamCase{"OnlyMarkers", 60, 100, false},
                                           StreamCase{"LastByteFF", 30, 20, true}),
                         RowName{});

}  // namespace
