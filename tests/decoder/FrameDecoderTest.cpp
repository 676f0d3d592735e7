// The decoder's handling of the camera's frame structure: lifecycle, what the parser refuses,
// state kept across frames, the safety rules, the output modes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <string>

#include "decoder/FrameDecoder.h"
#include "decoder/FrameDecoderState.h"
#include "decoder/HuffmanTables.h"
#include "decoder/InverseDct.h"
#include "decoder/MacroblockWriters.h"
#include "tests/decoder/TestFrames.h"
#include "tests/support/RowName.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testframes::EncodeScene;

Bytes QuantisationSegment() {
    Bytes segment = {0xFF, 0xDB, 0x00, 0x84, 0x00};
    segment.insert(segment.end(), 64, 1);
    segment.push_back(0x01);
    segment.insert(segment.end(), 64, 1);
    return segment;
}

Bytes FrameHeader(int width, int height, uint8_t precision = 8, uint8_t lumaSampling = 0x21,
                  uint8_t lumaTable = 0, uint8_t marker = 0xC0) {
    Bytes header = {0xFF, marker,       0x00,      0x11, precision, 0,    0,    0,    0,   0x03,
                    0x01, lumaSampling, lumaTable, 0x02, 0x11,      0x01, 0x03, 0x11, 0x01};
    header[5] = uint8_t(height >> 8), header[6] = uint8_t(height);
    header[7] = uint8_t(width >> 8), header[8] = uint8_t(width);
    return header;
}

const Bytes kScanHeader = {0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00,
                           0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00};

// Entropy-coded bytes from a string of code bits ('0' and '1'; anything else is ignored),
// padded with 1 bits and with every FF stuffed, as an encoder writes them.
Bytes EntropyBytes(const std::string& bits) {
    std::string clean;
    for (char c : bits) {
        if (c == '0' || c == '1')
            clean += c;
    }
    while (clean.size() % 8 != 0)
        clean += '1';
    Bytes bytes;
    for (size_t i = 0; i < clean.size(); i += 8) {
        bytes.push_back(static_cast<uint8_t>(std::stoi(clean.substr(i, 8), nullptr, 2)));
        if (bytes.back() == 0xFF)
            bytes.push_back(0x00);
    }
    return bytes;
}

Bytes CameraFrame(int width, int height, const std::string& bits) {
    Bytes frame = {0xFF, 0xD8};
    for (const Bytes& part : {QuantisationSegment(), FrameHeader(width, height), kScanHeader,
                              EntropyBytes(bits), Bytes{0xFF, 0xD9}})
        frame.insert(frame.end(), part.begin(), part.end());
    return frame;
}

// One macroblock whose every coefficient and DC difference is zero: luminance DC size 0 is
// "00" and its end of block "1010"; both chrominance codes are "00".
const std::string kGreyMacroblock = "00 1010 00 1010 00 00 00 00 ";

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

struct Decoder {
    explicit Decoder(int mode = kDecodeModeYuyv) { EXPECT_EQ(CreateFrameDecoder(mode, &d), 0); }
    ~Decoder() { DestroyFrameDecoder(&d); }
    int Parse(const Bytes& frame) { return ParseFrame(d, frame, &width, &height); }
    FrameDecoder* d = nullptr;
    int width = -1, height = -1;
};

Bytes Decode(const Bytes& frame, int mode = kDecodeModeYuyv, uint8_t fill = 0xEE) {
    Decoder decoder(mode);
    EXPECT_EQ(decoder.Parse(frame), 0);
    Bytes out(static_cast<size_t>(decoder.width) * decoder.height * (mode <= 2 ? 2 : 3), fill);
    EXPECT_EQ(DecodeFrame(decoder.d, out), 0);
    return out;
}

bool AllAre(const Bytes& bytes, uint8_t value) {
    return std::all_of(bytes.begin(), bytes.end(), [value](uint8_t v) { return v == value; });
}

TEST(FrameDecoderLifecycle, UnknownModesAndEmptyReferencesAreRefused) {
    for (int mode : {0, 5, -1}) {
        FrameDecoder* decoder = nullptr;
        EXPECT_EQ(CreateFrameDecoder(mode, &decoder), 2) << "mode " << mode;
        EXPECT_EQ(decoder, nullptr);
    }
    FrameDecoder* decoder = nullptr;
    ASSERT_EQ(CreateFrameDecoder(kDecodeModeYuyv, &decoder), 0);
    EXPECT_EQ(DestroyFrameDecoder(&decoder), 0);
    EXPECT_EQ(decoder, nullptr);
    EXPECT_EQ(DestroyFrameDecoder(&decoder), 1);
    Bytes out(16);
    EXPECT_EQ(DecodeFrame(nullptr, out), 1);
}

TEST(FrameDecoder, ZeroCoefficientsDecodeToMidGrey) {
    const Bytes out = Decode(CameraFrame(640, 480, Repeat(kGreyMacroblock, 40 * 60)));
    EXPECT_TRUE(AllAre(out, 128));
}

struct RejectedFrame {
    const char* name;
    Bytes frame;
};

class ParseRejects : public ::testing::TestWithParam<RejectedFrame> {};

TEST_P(ParseRejects, WithResultOne) {
    Decoder decoder;
    EXPECT_EQ(decoder.Parse(GetParam().frame), 1);
}

Bytes WithSegmentAfterStart(Bytes segment) {
    Bytes frame = CameraFrame(16, 8, kGreyMacroblock);
    frame.insert(frame.begin() + 2, segment.begin(), segment.end());
    return frame;
}

Bytes Truncated(size_t length, int width = 16, int height = 8) {
    Bytes frame = CameraFrame(width, height, kGreyMacroblock);
    frame.resize(length);
    return frame;
}

INSTANTIATE_TEST_SUITE_P(
    CameraStream, ParseRejects,
    ::testing::Values(
        RejectedFrame{"MissingStartOfImage", Bytes{0xFF, 0xD9, 0xFF, 0xDA, 0x00, 0x0C}},
        RejectedFrame{"HuffmanTableSegment", WithSegmentAfterStart({0xFF, 0xC4, 0x00, 0x02})},
        RejectedFrame{"RestartInterval",
                      WithSegmentAfterStart({0xFF, 0xDD, 0x00, 0x04, 0x00, 0x01})},
        RejectedFrame{"ProgressiveFrame",
                      WithSegmentAfterStart(FrameHeader(16, 8, 8, 0x21, 0, 0xC2))},
        RejectedFrame{"FillByteBetweenSegments", WithSegmentAfterStart({0xFF})},
        RejectedFrame{"EndsBeforeScanHeader", Truncated(2 + 134 + 19)},
        RejectedFrame{"EndsInsideSegmentLength", Truncated(2 + 134 + 3)},
        RejectedFrame{"OnlyStartOfImage", Bytes{0xFF, 0xD8}}),
    RowName{});

TEST(FrameDecoder, FrameHeaderThatFailsItsChecksKeepsThePreviousState) {
    const Bytes good = EncodeScene(testframes::Scene::kFace, 48, 16);
    const Bytes expected = Decode(good);
    struct BadHeader {
        const char* name;
        Bytes header;
    };
    const BadHeader cases[] = {
        {"TwelveBitPrecision", FrameHeader(640, 480, 12)},
        {"LumaSampledOneByOne", FrameHeader(640, 480, 8, 0x11)},
        {"QuantisationTableFour", FrameHeader(640, 480, 8, 0x21, 4)},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.name);
        Decoder decoder;
        ASSERT_EQ(decoder.Parse(good), 0);
        // The same picture, re-parsed through a frame whose header is not the camera's form.
        Bytes frame = good;
        const Bytes marker = {0xFF, 0xC0};
        auto at = std::search(frame.begin(), frame.end(), marker.begin(), marker.end());
        ASSERT_NE(at, frame.end());
        std::copy(bad.header.begin(), bad.header.end(), at);
        ASSERT_EQ(decoder.Parse(frame), 0);
        EXPECT_EQ(decoder.width, 48);
        EXPECT_EQ(decoder.height, 16);
        Bytes out(expected.size(), 0xEE);
        ASSERT_EQ(DecodeFrame(decoder.d, out), 0);
        EXPECT_EQ(out, expected);
    }
}

TEST(FrameDecoderSafety, PictureLargerThanTheOutputIsRefusedUntouched) {
    Decoder decoder;
    ASSERT_EQ(decoder.Parse(CameraFrame(640, 480, Repeat(kGreyMacroblock, 40 * 60))), 0);
    Bytes out(320 * 240 * 2, 0xEE);
    EXPECT_EQ(DecodeFrame(decoder.d, out), 1);
    EXPECT_TRUE(AllAre(out, 0xEE));
}

// A wider or taller header is taken, but the frame ends before its scan header; the output
// has room for the wider picture, or still for 16 x 8 only.
TEST(FrameDecoderSafety, LargerHeaderFromAFailedParseIsNotDecoded) {
    const struct {
        const char* name;
        int width, height;
        size_t room;
    } rows[] = {{"wider", 640, 8, 640 * 8 * 2}, {"taller", 16, 480, 16 * 8 * 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Decoder decoder;
        ASSERT_EQ(decoder.Parse(CameraFrame(16, 8, kGreyMacroblock)), 0);
        EXPECT_EQ(decoder.Parse(Truncated(2 + 134 + 19, row.width, row.height)), 1);
        Bytes out(row.room + 64, 0xEE);
        EXPECT_EQ(DecodeFrame(decoder.d, std::span(out).first(row.room)), 1);
        EXPECT_TRUE(AllAre(out, 0xEE));
    }
}

TEST(FrameDecoderSafety, ZeroRunPastTheLastCoefficientEndsTheBlock) {
    // Luminance block 1: DC size 0, three runs of 16 zeros (k = 49), then run 15 with a 10-bit
    // value 1023 ("1111111111111110" and ten 1 bits), which would carry k to 64. Ending the
    // block there leaves it flat; storing the value anywhere would not.
    const std::string overrun =
        "00 11111111001 11111111001 11111111001 1111111111111110 "
        "1111111111";
    const Bytes out = Decode(CameraFrame(16, 8, overrun + "00 1010 00 00 00 00"));
    EXPECT_TRUE(AllAre(out, 128));
}

TEST(FrameDecoderSafety, PartialMacroblocksAndLinesAreLeftUntouched) {
    const Bytes out = Decode(EncodeScene(testframes::Scene::kFace, 40, 12));
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 40; ++x) {
            if (x >= 32 || y >= 8) {  // outside the whole macroblocks: luma never written
                EXPECT_EQ(out[(y * 40 + x) * 2], 0xEE) << x << "," << y;
            }
        }
}

TEST(FrameDecoderStream, TruncatedDataDecodesAsIfPaddedWithZeroBits) {
    Bytes frame = EncodeScene(testframes::Scene::kNoise, 64, 32);
    frame.resize(frame.size() * 2 / 3);
    Bytes padded = frame;
    padded.insert(padded.end(), 4096, 0x00);
    // Exactly sized, so a read past the end shows under the address sanitizer.
    Bytes exact(frame);
    EXPECT_EQ(Decode(exact), Decode(padded));
}

TEST(FrameDecoderStream, TellsWhetherTheDataHeldEveryBlock) {
    // Two macroblock rows of one grey macroblock each: 40 bits, exactly five entropy bytes.
    const Bytes whole = CameraFrame(16, 16, Repeat(kGreyMacroblock, 2));
    const struct {
        const char* name;
        size_t cut;  // bytes taken off the end
        bool ranOut;
    } rows[] = {
        {"whole", 0, false},
        {"without its end marker", 2, false},
        {"last entropy byte missing", 3, true},
        {"only the first row", 4, true},
        {"no entropy data", 7, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Decoder decoder;
        const Bytes frame(whole.begin(), whole.end() - static_cast<ptrdiff_t>(row.cut));
        ASSERT_EQ(decoder.Parse(frame), 0);
        Bytes out(16 * 16 * 2);
        ASSERT_EQ(DecodeFrame(decoder.d, out), 0);
        EXPECT_EQ(LastDecodeRanOut(decoder.d), row.ranOut);
    }
}

TEST(FrameDecoderStream, MarkersInsideTheEntropyDataAreDropped) {
    const Bytes frame = EncodeScene(testframes::Scene::kFace, 64, 32);
    // Put a restart marker in the middle of the entropy data, between two whole bytes.
    size_t at = frame.size() / 2;
    while (frame[at - 1] == 0xFF || frame[at] == 0x00)
        ++at;
    Bytes withMarker = frame;
    const Bytes marker = {0xFF, 0xD3};
    withMarker.insert(withMarker.begin() + static_cast<ptrdiff_t>(at), marker.begin(),
                      marker.end());
    EXPECT_EQ(Decode(withMarker), Decode(frame));
}

TEST(FrameDecoderStream, StateCarriesAcrossFramesOfDifferentSizes) {
    const Bytes small = EncodeScene(testframes::Scene::kEdges, 16, 8, 95);
    const Bytes large = EncodeScene(testframes::Scene::kFace, 320, 240, 50);
    Decoder decoder;
    for (const Bytes* frame : {&small, &large, &small, &large}) {
        ASSERT_EQ(decoder.Parse(*frame), 0);
        Bytes out(static_cast<size_t>(decoder.width) * decoder.height * 2, 0xEE);
        ASSERT_EQ(DecodeFrame(decoder.d, out), 0);
        EXPECT_EQ(out, Decode(*frame));
    }
}

// Modes 2 to 4 rearrange and convert exactly the samples of mode 1.
TEST(FrameDecoderModes, OtherModesCarryTheSameSamples) {
    const int width = 48, height = 16;
    const Bytes frame = EncodeScene(testframes::Scene::kGradient, width, height);
    const Bytes yuyv = Decode(frame, kDecodeModeYuyv);
    const Bytes uyvy = Decode(frame, kDecodeModeUyvy);
    const Bytes bgr = Decode(frame, kDecodeModeBgrBottomUp);
    const Bytes rgb = Decode(frame, kDecodeModeRgbBottomUp);
    auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t pair = (static_cast<size_t>(y) * width + (x & ~1)) * 2;
            const int luma = yuyv[pair + (x & 1) * 2], cb = yuyv[pair + 1], cr = yuyv[pair + 3];
            ASSERT_EQ(uyvy[pair + (x & 1) * 2 + 1], luma);
            ASSERT_EQ(uyvy[pair], cb);
            ASSERT_EQ(uyvy[pair + 2], cr);
            const int scaled = 1192 * (luma - 16);
            const int b = clamp((scaled + 2066 * (cb - 128)) >> 10);
            const int g = clamp((scaled - 832 * (cr - 128) - 400 * (cb - 128)) >> 10);
            const int r = clamp((scaled + 1634 * (cr - 128)) >> 10);
            const size_t at = (static_cast<size_t>(height - 1 - y) * width + x) * 3;
            ASSERT_EQ(bgr[at], b) << x << "," << y;
            ASSERT_EQ(bgr[at + 1], g);
            ASSERT_EQ(bgr[at + 2], r);
            ASSERT_EQ(rgb[at], r);
            ASSERT_EQ(rgb[at + 2], b);
        }
}

#if defined(__SSE2__)
// The vector transform must give the portable one's bytes for any block, corrupt ones with
// wrapping and saturating values included.
TEST(VectorPaths, InverseDctMatchesThePortableOne) {
    std::mt19937 random(11);
    struct Range {
        const char* name;
        int coefficientLimit, quantLimit, usedIndices;
    };
    const Range ranges[] = {
        {"CameraLike", 64, 64, 20},          {"Dense", 1024, 255, 64},
        {"Extreme", 32767, 65535, 64},       {"FirstColumnOnly", 2047, 255, 1},
        {"FirstOrderOnly", 32767, 65535, 3}, {"UpperLeftFourByFour", 32767, 65535, 10}};
    for (const Range& range : ranges) {
        SCOPED_TRACE(range.name);
        for (int trial = 0; trial < 2000; ++trial) {
            std::array<int16_t, 64> coefficients{};
            uint16_t quantisation[64];
            for (int i = 0; i < 64; ++i)
                quantisation[i] = static_cast<uint16_t>(1 + random() % range.quantLimit);
            for (int i = 0; i < range.usedIndices; ++i) {
                const int at =
                    range.usedIndices == 1 ? 8 * (random() % 8) : decoder::kZigzagToNatural[i];
                coefficients[at] = static_cast<int16_t>(
                    static_cast<int>(random() % (2 * range.coefficientLimit + 1)) -
                    range.coefficientLimit);
            }
            std::array<int16_t, 64> portable = coefficients, vector = coefficients;
            decoder::InverseDctPortable(portable.data(), quantisation, 63,
                                        reinterpret_cast<uint8_t*>(portable.data()));
            // The vector path is told how far the coefficients reach, as the decoder tells it.
            const int lastIndex = range.usedIndices == 1 ? 63 : range.usedIndices - 1;
            decoder::InverseDctSse2(vector.data(), quantisation, lastIndex,
                                    reinterpret_cast<uint8_t*>(vector.data()));
            // The transform writes its 64 pixel bytes over the first half of the block.
            ASSERT_EQ(std::memcmp(portable.data(), vector.data(), 64), 0) << "trial " << trial;
        }
    }
}

TEST(VectorPaths, PackerMatchesThePortableOne) {
    std::mt19937 random(3);
    uint8_t macroblock[decoder::kMacroblockBytes];
    for (auto& byte : macroblock)
        byte = static_cast<uint8_t>(random());
    uint8_t portable[8 * 40] = {}, vector[8 * 40] = {};
    decoder::PackYuyvPortable(macroblock, portable, 40);
    decoder::PackYuyvSse2(macroblock, vector, 40);
    EXPECT_TRUE(std::equal(std::begin(portable), std::end(portable), std::begin(vector)));
}
#endif

}  // namespace
