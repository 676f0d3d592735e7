// The accurate integer inverse DCT (Loeffler, Ligtenberg and Moschytz factorisation, as in the
// Independent JPEG Group's accurate integer decoder), so that our samples match a standard
// decoder's to the byte.
//
// Fixed point: the constants are the cosine factors times 2^13 (CONST_BITS). Pass 1 works on
// columns and keeps 2 extra bits of precision (PASS1_BITS), descaling by 2^(13 - 2); pass 2
// works on rows and removes those 2 bits, the 2^13 and the factor 8 of the 2-D transform,
// descaling by 2^(13 + 2 + 3). Descaling rounds by adding half the divisor first.
//
// Every quantity has a fixed width, so that the portable and the SSE2 path agree on any input,
// corrupt ones included: dequantised coefficients and pass-1 results are 16-bit (pass-1
// results saturate), the sums x0 + x4, x0 - x4, x7 + x3 and x5 + x1 are taken in 16 bits
// before they are scaled, and everything else is 32-bit arithmetic modulo 2^32. The rotations
// are written as pairs of products, c1 * a + c2 * b, the form a multiply-add instruction
// computes. For the camera's real coefficients nothing ever wraps or saturates, and the
// results are those of the textbook 32-bit transform.
//
// The all-zero shortcuts give exactly what the full butterfly would.
#include "decoder/InverseDct.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace decoder {
namespace {

constexpr int kConstBits = 13;
constexpr int kPass1Bits = 2;
constexpr int kPass1Shift = kConstBits - kPass1Bits;
constexpr int kPass2Shift = kConstBits + kPass1Bits + 3;

// The twelve cosine factors (x 8192) of the factorisation.
constexpr int32_t kFix0_298631336 = 2446;
constexpr int32_t kFix0_390180644 = 3196;
constexpr int32_t kFix0_541196100 = 4433;
constexpr int32_t kFix0_765366865 = 6270;
constexpr int32_t kFix0_899976223 = 7373;
constexpr int32_t kFix1_175875602 = 9633;
constexpr int32_t kFix1_501321110 = 12299;
constexpr int32_t kFix1_847759065 = 15137;
constexpr int32_t kFix1_961570560 = 16069;
constexpr int32_t kFix2_053119869 = 16819;
constexpr int32_t kFix2_562915447 = 20995;
constexpr int32_t kFix3_072711026 = 25172;

// The rotations as pairs of factors, (first input, second input).
struct Pair {
    int32_t a, b;
};
// Even part, inputs (x2, x6).
constexpr Pair kEvenT2 = {kFix0_541196100, kFix0_541196100 - kFix1_847759065};
constexpr Pair kEvenT3 = {kFix0_541196100 + kFix0_765366865, kFix0_541196100};
// Odd part: with z3 = x7 + x3 and z4 = x5 + x1, inputs (z3, z4).
constexpr Pair kOddZ3 = {kFix1_175875602 - kFix1_961570560, kFix1_175875602};
constexpr Pair kOddZ4 = {kFix1_175875602, kFix1_175875602 - kFix0_390180644};
// Inputs (x7, x1) and (x5, x3).
constexpr Pair kOdd0 = {kFix0_298631336 - kFix0_899976223, -kFix0_899976223};
constexpr Pair kOdd3 = {-kFix0_899976223, kFix1_501321110 - kFix0_899976223};
constexpr Pair kOdd1 = {kFix2_053119869 - kFix2_562915447, -kFix2_562915447};
constexpr Pair kOdd2 = {-kFix2_562915447, kFix3_072711026 - kFix2_562915447};

// With x4 to x7 zero (all coefficients in the upper-left 4 x 4), z3 = x3 and z4 = x1 and the
// odd part folds into one rotation of (x1, x3) per output; the factors follow from those above.
// With only x0 and x1, the outputs are x0 * 2^13 plus x1 times the first factor of each.
constexpr Pair kSparseOdd0 = {kOdd0.b + kOddZ3.b, kOddZ3.a};
constexpr Pair kSparseOdd3 = {kOdd3.b + kOddZ4.b, kOddZ4.a};
constexpr Pair kSparseOdd1 = {kOddZ4.b, kOdd1.b + kOddZ4.a};
constexpr Pair kSparseOdd2 = {kOddZ3.b, kOdd2.b + kOddZ3.a};
// Zigzag indices 0-9 all lie in the upper-left 4 x 4 of the block; indices 0-2 are the DC
// coefficient and the first horizontal and vertical ones.
constexpr int kLastUpperLeftIndex = 9;
constexpr int kLastFirstOrderIndex = 2;

constexpr std::array<uint8_t, 1408> BuildRangeLimit() {
    std::array<uint8_t, 1408> table{};
    int at = 256;
    for (int i = 0; i < 256; ++i)
        table[at++] = static_cast<uint8_t>(i);
    for (int i = 0; i < 384; ++i)
        table[at++] = 255;
    at += 384;
    for (int i = 0; i < 128; ++i)
        table[at++] = static_cast<uint8_t>(i);
    return table;
}

inline int16_t Wrap16(int32_t value) {
    return static_cast<int16_t>(value);
}

inline int16_t Saturate16(int32_t value) {
    return static_cast<int16_t>(value < -32768 ? -32768 : (value > 32767 ? 32767 : value));
}

inline uint8_t Limit(int32_t value) {
    return kRangeLimit[kRangeLimitCentre + (value & 1023)];
}

inline uint32_t Rotate(Pair factors, int16_t a, int16_t b) {
    return static_cast<uint32_t>(factors.a * a + factors.b * b);
}

// One 8-point butterfly; results before descaling, as 32-bit values modulo 2^32.
inline void Butterfly(const int16_t x[8], uint32_t out[8]) {
    const uint32_t e0 = static_cast<uint32_t>(Wrap16(x[0] + x[4])) << kConstBits;
    const uint32_t e1 = static_cast<uint32_t>(Wrap16(x[0] - x[4])) << kConstBits;
    const uint32_t t2 = Rotate(kEvenT2, x[2], x[6]);
    const uint32_t t3 = Rotate(kEvenT3, x[2], x[6]);
    const uint32_t tmp10 = e0 + t3, tmp13 = e0 - t3, tmp11 = e1 + t2, tmp12 = e1 - t2;

    const int16_t z3 = Wrap16(x[7] + x[3]);
    const int16_t z4 = Wrap16(x[5] + x[1]);
    const uint32_t oddZ3 = Rotate(kOddZ3, z3, z4);
    const uint32_t oddZ4 = Rotate(kOddZ4, z3, z4);
    const uint32_t o0 = Rotate(kOdd0, x[7], x[1]) + oddZ3;
    const uint32_t o3 = Rotate(kOdd3, x[7], x[1]) + oddZ4;
    const uint32_t o1 = Rotate(kOdd1, x[5], x[3]) + oddZ4;
    const uint32_t o2 = Rotate(kOdd2, x[5], x[3]) + oddZ3;

    out[0] = tmp10 + o3, out[7] = tmp10 - o3;
    out[1] = tmp11 + o2, out[6] = tmp11 - o2;
    out[2] = tmp12 + o1, out[5] = tmp12 - o1;
    out[3] = tmp13 + o0, out[4] = tmp13 - o0;
}

inline int32_t Descale(uint32_t value, int shift) {
    return static_cast<int32_t>(value + (1u << (shift - 1))) >> shift;
}

// The DC-only block: every sample is the same.
inline void FillDcOnly(const int16_t* coefficients, const uint16_t* quantisation,
                       uint8_t* samples) {
    const int16_t dc = Saturate16(Wrap16(coefficients[0] * quantisation[0]) * (1 << kPass1Bits));
    const uint8_t value = Limit((dc + 16) >> (kPass1Bits + 3));
    for (int i = 0; i < 64; ++i)
        samples[i] = value;
}

}  // namespace

constexpr std::array<uint8_t, 1408> kRangeLimitData = BuildRangeLimit();
const std::array<uint8_t, 1408> kRangeLimit = kRangeLimitData;

void InverseDctPortable(int16_t* coefficients, const uint16_t* quantisation, int lastIndex,
                        uint8_t* samples) {
    if (lastIndex == 0) {
        FillDcOnly(coefficients, quantisation, samples);
        return;
    }
    int16_t workspace[64];
    for (int column = 0; column < 8; ++column) {
        const int16_t* c = coefficients + column;
        const uint16_t* q = quantisation + column;
        if ((c[8] | c[16] | c[24] | c[32] | c[40] | c[48] | c[56]) == 0) {
            const int16_t dc = Saturate16(Wrap16(c[0] * q[0]) * (1 << kPass1Bits));
            for (int row = 0; row < 8; ++row)
                workspace[row * 8 + column] = dc;
            continue;
        }
        int16_t x[8];
        for (int row = 0; row < 8; ++row)
            x[row] = Wrap16(c[row * 8] * q[row * 8]);
        uint32_t out[8];
        Butterfly(x, out);
        for (int row = 0; row < 8; ++row) {
            workspace[row * 8 + column] = Saturate16(Descale(out[row], kPass1Shift));
        }
    }

    // The coefficients are all read: the samples may now overwrite them.
    for (int row = 0; row < 8; ++row) {
        const int16_t* w = workspace + row * 8;
        uint8_t* line = samples + row * 8;
        if ((w[1] | w[2] | w[3] | w[4] | w[5] | w[6] | w[7]) == 0) {
            const uint8_t value = Limit((w[0] + 16) >> (kPass1Bits + 3));
            for (int i = 0; i < 8; ++i)
                line[i] = value;
            continue;
        }
        uint32_t out[8];
        Butterfly(w, out);
        for (int i = 0; i < 8; ++i)
            line[i] = Limit(Descale(out[i], kPass2Shift));
    }
}

#if defined(__SSE2__)
namespace {

// Eight lanes of 16 bits; a 32-bit quantity over eight lanes is a pair of registers.
struct Wide {
    __m128i low, high;
};

inline __m128i Factors(Pair pair) {
    return _mm_set1_epi32(static_cast<int32_t>((static_cast<uint32_t>(pair.b) << 16) |
                                               (static_cast<uint32_t>(pair.a) & 0xFFFF)));
}

inline Wide RotateLanes(Pair pair, __m128i a, __m128i b) {
    const __m128i factors = Factors(pair);
    return {_mm_madd_epi16(_mm_unpacklo_epi16(a, b), factors),
            _mm_madd_epi16(_mm_unpackhi_epi16(a, b), factors)};
}

inline Wide Add(Wide a, Wide b) {
    return {_mm_add_epi32(a.low, b.low), _mm_add_epi32(a.high, b.high)};
}
inline Wide Subtract(Wide a, Wide b) {
    return {_mm_sub_epi32(a.low, b.low), _mm_sub_epi32(a.high, b.high)};
}

// A 16-bit value times 2^13, widened.
inline Wide ScaledUp(__m128i value) {
    return {_mm_srai_epi32(_mm_unpacklo_epi16(_mm_setzero_si128(), value), 16 - kConstBits),
            _mm_srai_epi32(_mm_unpackhi_epi16(_mm_setzero_si128(), value), 16 - kConstBits)};
}

// The butterflies hand each 32-bit output straight to `finish`, which narrows it to 16 bits, so
// that no more than the even and odd halves are live at once.
template <typename Finish>
[[gnu::always_inline]] inline void ButterflyLanes(__m128i x[8], Finish finish) {
    const Wide e0 = ScaledUp(_mm_add_epi16(x[0], x[4]));
    const Wide e1 = ScaledUp(_mm_sub_epi16(x[0], x[4]));
    const Wide t2 = RotateLanes(kEvenT2, x[2], x[6]);
    const Wide t3 = RotateLanes(kEvenT3, x[2], x[6]);
    const Wide tmp10 = Add(e0, t3), tmp13 = Subtract(e0, t3);
    const Wide tmp11 = Add(e1, t2), tmp12 = Subtract(e1, t2);

    const __m128i z3 = _mm_add_epi16(x[7], x[3]);
    const __m128i z4 = _mm_add_epi16(x[5], x[1]);
    const Wide oddZ3 = RotateLanes(kOddZ3, z3, z4);
    const Wide oddZ4 = RotateLanes(kOddZ4, z3, z4);
    const Wide o0 = Add(RotateLanes(kOdd0, x[7], x[1]), oddZ3);
    const Wide o3 = Add(RotateLanes(kOdd3, x[7], x[1]), oddZ4);
    const Wide o1 = Add(RotateLanes(kOdd1, x[5], x[3]), oddZ4);
    const Wide o2 = Add(RotateLanes(kOdd2, x[5], x[3]), oddZ3);

    x[0] = finish(Add(tmp10, o3)), x[7] = finish(Subtract(tmp10, o3));
    x[1] = finish(Add(tmp11, o2)), x[6] = finish(Subtract(tmp11, o2));
    x[2] = finish(Add(tmp12, o1)), x[5] = finish(Subtract(tmp12, o1));
    x[3] = finish(Add(tmp13, o0)), x[4] = finish(Subtract(tmp13, o0));
}

// The butterfly for inputs whose x4 to x7 are zero: the same results with half the work.
template <typename Finish>
[[gnu::always_inline]] inline void SparseButterflyLanes(__m128i x[8], Finish finish) {
    const Wide e = ScaledUp(x[0]);
    const __m128i zero = _mm_setzero_si128();
    const __m128i evenLow = _mm_unpacklo_epi16(x[2], zero);
    const __m128i evenHigh = _mm_unpackhi_epi16(x[2], zero);
    auto evenRotate = [&](Pair pair) {
        const __m128i factors = Factors(pair);
        return Wide{_mm_madd_epi16(evenLow, factors), _mm_madd_epi16(evenHigh, factors)};
    };
    const Wide t2 = evenRotate(kEvenT2);
    const Wide t3 = evenRotate(kEvenT3);
    const Wide tmp10 = Add(e, t3), tmp13 = Subtract(e, t3);
    const Wide tmp11 = Add(e, t2), tmp12 = Subtract(e, t2);

    const Wide o0 = RotateLanes(kSparseOdd0, x[1], x[3]);
    const Wide o3 = RotateLanes(kSparseOdd3, x[1], x[3]);
    const Wide o1 = RotateLanes(kSparseOdd1, x[1], x[3]);
    const Wide o2 = RotateLanes(kSparseOdd2, x[1], x[3]);

    x[0] = finish(Add(tmp10, o3)), x[7] = finish(Subtract(tmp10, o3));
    x[1] = finish(Add(tmp11, o2)), x[6] = finish(Subtract(tmp11, o2));
    x[2] = finish(Add(tmp12, o1)), x[5] = finish(Subtract(tmp12, o1));
    x[3] = finish(Add(tmp13, o0)), x[4] = finish(Subtract(tmp13, o0));
}

inline __m128i DescaleLanes(Wide value, int shift) {
    const __m128i rounding = _mm_set1_epi32(1 << (shift - 1));
    return _mm_packs_epi32(_mm_srai_epi32(_mm_add_epi32(value.low, rounding), shift),
                           _mm_srai_epi32(_mm_add_epi32(value.high, rounding), shift));
}

// The range-limit table in lanes: keep the low 10 bits as a signed value, add 128, clamp.
inline __m128i LimitLanes(Wide value) {
    const __m128i rounding = _mm_set1_epi32(1 << (kPass2Shift - 1));
    // Bits 18-27 of the rounded sum are the descaled value modulo 1024: move them to the top
    // and shift back down with the sign.
    auto tenBits = [&](__m128i v) {
        return _mm_srai_epi32(_mm_slli_epi32(_mm_add_epi32(v, rounding), 32 - 10 - kPass2Shift),
                              32 - 10);
    };
    return _mm_add_epi16(_mm_packs_epi32(tenBits(value.low), tenBits(value.high)),
                         _mm_set1_epi16(128));
}

[[gnu::always_inline]] inline void Transpose(__m128i v[8]) {
    const __m128i a0 = _mm_unpacklo_epi16(v[0], v[1]), a1 = _mm_unpackhi_epi16(v[0], v[1]);
    const __m128i a2 = _mm_unpacklo_epi16(v[2], v[3]), a3 = _mm_unpackhi_epi16(v[2], v[3]);
    const __m128i a4 = _mm_unpacklo_epi16(v[4], v[5]), a5 = _mm_unpackhi_epi16(v[4], v[5]);
    const __m128i a6 = _mm_unpacklo_epi16(v[6], v[7]), a7 = _mm_unpackhi_epi16(v[6], v[7]);
    const __m128i b0 = _mm_unpacklo_epi32(a0, a2), b1 = _mm_unpackhi_epi32(a0, a2);
    const __m128i b2 = _mm_unpacklo_epi32(a1, a3), b3 = _mm_unpackhi_epi32(a1, a3);
    const __m128i b4 = _mm_unpacklo_epi32(a4, a6), b5 = _mm_unpackhi_epi32(a4, a6);
    const __m128i b6 = _mm_unpacklo_epi32(a5, a7), b7 = _mm_unpackhi_epi32(a5, a7);
    v[0] = _mm_unpacklo_epi64(b0, b4), v[1] = _mm_unpackhi_epi64(b0, b4);
    v[2] = _mm_unpacklo_epi64(b1, b5), v[3] = _mm_unpackhi_epi64(b1, b5);
    v[4] = _mm_unpacklo_epi64(b2, b6), v[5] = _mm_unpackhi_epi64(b2, b6);
    v[6] = _mm_unpacklo_epi64(b3, b7), v[7] = _mm_unpackhi_epi64(b3, b7);
}

}  // namespace

namespace {

// Lane `kLane` of eight 16-bit lanes in all eight.
template <int kLane>
[[gnu::always_inline]] inline __m128i BroadcastLane(__m128i value) {
    if constexpr (kLane < 4) {
        const __m128i low = _mm_shufflelo_epi16(value, kLane * 0x55);
        return _mm_unpacklo_epi64(low, low);
    } else {
        const __m128i high = _mm_shufflehi_epi16(value, (kLane - 4) * 0x55);
        return _mm_unpackhi_epi64(high, high);
    }
}

// Rows kRow and kRow + 1 of a first-order block (below): each sample is (row value + column
// quotient) bits 5-14 as a signed value, plus 128, clamped. A signed saturating pack to bytes
// followed by flipping the top bit is the same clamp of value + 128 to 0-255.
template <int kRow>
[[gnu::always_inline]] inline void StoreFirstOrderRows(__m128i rowValues, __m128i quotients,
                                                       uint8_t* samples) {
    auto row = [&](__m128i value) {
        return _mm_srai_epi16(_mm_slli_epi16(_mm_add_epi16(value, quotients), 1), 6);
    };
    const __m128i bytes = _mm_packs_epi16(row(BroadcastLane<kRow>(rowValues)),
                                          row(BroadcastLane<kRow + 1>(rowValues)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + 8 * kRow),
                     _mm_xor_si128(bytes, _mm_set1_epi8(static_cast<char>(0x80))));
}

// Blocks with only the DC coefficient and the first horizontal and vertical ones (the common
// case in smooth areas): pass 1 leaves column 0 from (x0, x1) and column 1 flat, so before
// descaling every sample is a row value w times 2^13 plus a column value s (rounding
// included), modulo 2^32. Write s = q * 2^13 + rest with 0 <= rest < 2^13: the sum is
// (w + q) * 2^13 + rest without carries between the parts, so the descaled sample modulo 1024
// (bits 18-27 of the sum, all the range limit looks at) is bits 5-14 of w + q. Those depend on
// w + q modulo 2^16 only, so pass 2 runs on 16-bit lanes with the low 16 bits of each q.
void InverseDctFirstOrder(const int16_t* coefficients, const uint16_t* quantisation,
                          uint8_t* samples) {
    const int16_t dc = Wrap16(coefficients[0] * quantisation[0]);
    const int16_t horizontal = Wrap16(coefficients[1] * quantisation[1]);
    const int16_t vertical = Wrap16(coefficients[8] * quantisation[8]);
    // Output k of the butterfly adds x1 times factor k; the even part is x0 * 2^13 alone.
    const __m128i factorsLow =
        _mm_set_epi32(kSparseOdd0.a, kSparseOdd1.a, kSparseOdd2.a, kSparseOdd3.a);
    const __m128i factorsHigh =
        _mm_set_epi32(-kSparseOdd3.a, -kSparseOdd2.a, -kSparseOdd1.a, -kSparseOdd0.a);
    // The factors fit 16 bits; multiply-add with a zero partner gives the 32-bit products.
    auto times = [](__m128i factors, int16_t value) {
        return _mm_madd_epi16(factors, _mm_set1_epi32(static_cast<uint16_t>(value)));
    };

    // Pass 1, column 0 (lanes are rows) and column 1 (one value for every row).
    const __m128i dcScaled =
        _mm_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(dc) << kConstBits));
    const Wide column0 = {_mm_add_epi32(dcScaled, times(factorsLow, vertical)),
                          _mm_add_epi32(dcScaled, times(factorsHigh, vertical))};
    const __m128i rowValues = DescaleLanes(column0, kPass1Shift);
    const int16_t column1 = Saturate16(horizontal * (1 << kPass1Bits));

    // Pass 2: q = bits 13-28 of s, sign-extended to 32 bits so the pack keeps them unchanged.
    const __m128i rounding = _mm_set1_epi32(1 << (kPass2Shift - 1));
    auto quotients = [&](__m128i factors) {
        const __m128i sum = _mm_add_epi32(times(factors, column1), rounding);
        return _mm_srai_epi32(_mm_slli_epi32(sum, 16 - kConstBits), 16);
    };
    const __m128i columnQuotients = _mm_packs_epi32(quotients(factorsLow), quotients(factorsHigh));
    StoreFirstOrderRows<0>(rowValues, columnQuotients, samples);
    StoreFirstOrderRows<2>(rowValues, columnQuotients, samples);
    StoreFirstOrderRows<4>(rowValues, columnQuotients, samples);
    StoreFirstOrderRows<6>(rowValues, columnQuotients, samples);
}

}  // namespace

namespace {

// Eight columns of 16-bit samples (lanes are rows, each already 0-255 after the clamp of the
// packing) to eight rows of bytes: packed to bytes two columns a register, then the 8 x 8 byte
// matrix transposed in three rounds of interleaving.
[[gnu::always_inline]] inline void StoreColumns(const __m128i columns[8], uint8_t* samples) {
    const __m128i c01 = _mm_packus_epi16(columns[0], columns[1]);
    const __m128i c23 = _mm_packus_epi16(columns[2], columns[3]);
    const __m128i c45 = _mm_packus_epi16(columns[4], columns[5]);
    const __m128i c67 = _mm_packus_epi16(columns[6], columns[7]);
    // Columns 0 and 2 (low) and 1 and 3 (high), byte by byte per row; the same for 4-7.
    const __m128i c02 = _mm_unpacklo_epi8(c01, c23), c13 = _mm_unpackhi_epi8(c01, c23);
    const __m128i c46 = _mm_unpacklo_epi8(c45, c67), c57 = _mm_unpackhi_epi8(c45, c67);
    // Columns 0-3 of rows 0-3 (low) and 4-7 (high); the same for columns 4-7.
    const __m128i left03 = _mm_unpacklo_epi8(c02, c13), left47 = _mm_unpackhi_epi8(c02, c13);
    const __m128i right03 = _mm_unpacklo_epi8(c46, c57), right47 = _mm_unpackhi_epi8(c46, c57);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(samples), _mm_unpacklo_epi32(left03, right03));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + 16), _mm_unpackhi_epi32(left03, right03));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + 32), _mm_unpacklo_epi32(left47, right47));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + 48), _mm_unpackhi_epi32(left47, right47));
}

// Both passes over whole registers. kSparse: every coefficient lies in the upper-left 4 x 4, so
// rows 4-7 of the block and, after pass 1, columns 4-7 of the workspace are zero.
template <bool kSparse>
[[gnu::always_inline]] inline void TransformLanes(const int16_t* coefficients,
                                                  const uint16_t* quantisation, uint8_t* samples) {
    // Pass 1: each lane is a column, each register a row of the block.
    __m128i x[8];
#pragma GCC unroll 8
    for (int row = 0; row < 8; ++row) {
        x[row] =
            kSparse && row >= 4
                ? _mm_setzero_si128()
                : _mm_mullo_epi16(
                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + 8 * row)),
                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(quantisation + 8 * row)));
    }
    const auto pass1 = [](Wide value) { return DescaleLanes(value, kPass1Shift); };
    if constexpr (kSparse) {
        SparseButterflyLanes(x, pass1);
    } else {
        ButterflyLanes(x, pass1);
    }

    // Pass 2: transposed, each lane is a row and each register a column.
    Transpose(x);
    if constexpr (kSparse) {
        SparseButterflyLanes(x, LimitLanes);
    } else {
        ButterflyLanes(x, LimitLanes);
    }
    StoreColumns(x, samples);
}

}  // namespace

void InverseDctSse2(int16_t* coefficients, const uint16_t* quantisation, int lastIndex,
                    uint8_t* samples) {
    if (lastIndex == 0) {
        FillDcOnly(coefficients, quantisation, samples);
    } else if (lastIndex <= kLastFirstOrderIndex) {
        InverseDctFirstOrder(coefficients, quantisation, samples);
    } else if (lastIndex <= kLastUpperLeftIndex) {
        TransformLanes<true>(coefficients, quantisation, samples);
    } else {
        TransformLanes<false>(coefficients, quantisation, samples);
    }
}
#endif

}  // namespace decoder
