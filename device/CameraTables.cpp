// The camera's fixed tables and the arithmetic that turns them into the blocks it is sent.
#include "device/CameraTables.h"

#include <algorithm>
#include <cstddef>

#include "decoder/StandardTables.h"

namespace {

using decoder::kChrominanceQuantisation;
using decoder::kLuminanceQuantisation;
using decoder::kZigzagToNatural;

constexpr std::array<uint16_t, 128> BuildQuantisationBase() {
    std::array<uint16_t, 128> base{};
    for (size_t k = 0; k < 64; ++k) {
        base[k] = static_cast<uint16_t>(2 * kLuminanceQuantisation[kZigzagToNatural[k]]);
        base[64 + k] = static_cast<uint16_t>(2 * kChrominanceQuantisation[kZigzagToNatural[k]]);
    }
    return base;
}

// The tone curves are known at 25 sample indices; the entries between are filled by monotone
// cubic Hermite interpolation (Fritsch-Carlson). Each sample's tangent is the mean of the two
// neighbouring secant slopes, set to 0 where the curve is flat on either side, and limited to
// three times the smaller secant: within that bound a cubic segment cannot overshoot, so the
// curve passes through every sample and never falls. Values are rounded to the nearest
// integer, which keeps a non-decreasing curve non-decreasing.
constexpr std::array<uint8_t, 25> kToneSampleIndex = {0,   1,   2,   3,   4,   6,   8,   12,  16,
                                                      24,  32,  48,  64,  80,  96,  112, 128, 144,
                                                      160, 176, 192, 208, 224, 240, 255};
constexpr std::array<std::array<uint8_t, 25>, 4> kToneSamples = {{
    {0,   3,   6,   9,   13,  15,  18,  27,  35,  49,  62,  83, 102,
     119, 134, 149, 163, 176, 189, 201, 213, 224, 235, 246, 255},
    {0,   4,   9,   13,  18,  38,  45,  56,  66,  81,  94,  115, 132,
     147, 160, 172, 183, 194, 203, 213, 222, 230, 238, 246, 255},
    {0,   8,   17,  26,  35,  64,  71,  83,  93,  108, 120, 139, 155,
     168, 179, 189, 199, 207, 215, 223, 230, 236, 243, 249, 255},
    {0,   10,  21,  31,  42,  82,  89,  101, 111, 125, 137, 154, 168,
     180, 189, 198, 206, 214, 220, 227, 232, 238, 243, 248, 255},
}};

constexpr ToneCurve InterpolateToneCurve(const std::array<uint8_t, 25>& y) {
    constexpr size_t n = kToneSampleIndex.size();
    std::array<double, n - 1> secant{};
    for (size_t k = 0; k + 1 < n; ++k) {
        secant[k] = double(y[k + 1] - y[k]) / double(kToneSampleIndex[k + 1] - kToneSampleIndex[k]);
    }
    std::array<double, n> tangent{};
    tangent[0] = secant[0];
    tangent[n - 1] = secant[n - 2];
    for (size_t k = 1; k + 1 < n; ++k) {
        const double a = secant[k - 1], b = secant[k];
        tangent[k] = (a <= 0 || b <= 0) ? 0.0 : std::min((a + b) / 2, 3 * std::min(a, b));
    }
    tangent[0] = std::min(tangent[0], 3 * secant[0]);
    tangent[n - 1] = std::min(tangent[n - 1], 3 * secant[n - 2]);

    ToneCurve curve{};
    for (size_t k = 0; k + 1 < n; ++k) {
        const int x0 = kToneSampleIndex[k], x1 = kToneSampleIndex[k + 1];
        const double h = x1 - x0;
        for (int x = x0; x <= x1; ++x) {
            const double t = (x - x0) / h;
            const double t2 = t * t, t3 = t2 * t;
            const double v = (2 * t3 - 3 * t2 + 1) * y[k] + (t3 - 2 * t2 + t) * h * tangent[k] +
                             (-2 * t3 + 3 * t2) * y[k + 1] + (t3 - t2) * h * tangent[k + 1];
            curve[static_cast<size_t>(x)] = static_cast<uint8_t>(std::clamp(int(v + 0.5), 0, 255));
        }
    }
    return curve;
}

}  // namespace

constinit const std::array<uint16_t, 128> kQuantisationBase = BuildQuantisationBase();

constinit const std::array<ToneCurve, 4> kToneCurves = {
    InterpolateToneCurve(kToneSamples[0]), InterpolateToneCurve(kToneSamples[1]),
    InterpolateToneCurve(kToneSamples[2]), InterpolateToneCurve(kToneSamples[3])};

std::array<uint8_t, 256> BuildQuantisationBlock(uint16_t quality) {
    const uint32_t q = std::min<uint32_t>(quality, 100);
    std::array<uint8_t, 256> block{};
    for (size_t k = 0; k < kQuantisationBase.size(); ++k) {
        const uint32_t entry = std::max<uint32_t>(kQuantisationBase[k] * (100 - q) / 100, 1);
        block[2 * k] = static_cast<uint8_t>(entry & 0xFF);
        block[2 * k + 1] = static_cast<uint8_t>(entry >> 8);
    }
    return block;
}

// With p = knee / 2 + 64 (64-191) the curve is two straight pieces meeting near index 64:
// below it the slope is 4p / 256 (1 for knee 0), above it the line runs from about p at 64 to
// 256 at 255, so a larger knee lifts the shadows and flattens the highlights. Each division
// truncates on its own, as the camera's own firmware computes it.
ToneCurve BuildKneeCurve(uint16_t knee) {
    const int p = std::min<int>(knee, 255) / 2 + 64;
    ToneCurve curve{};
    for (int i = 0; i < 256; ++i) {
        const int k = i < 64 ? 4 * p * i / 256 : (256 - p) * i / 192 + (4 * p - 256) * 86 / 256;
        curve[static_cast<size_t>(i)] = static_cast<uint8_t>(std::min(k, 255));
    }
    return curve;
}

// The selector walks from the knee curve (0) through T1 (64), T2 (128), T3 (192) toward T4
// (256), each stretch a straight blend of its two ends in steps of 1/64.
ToneCurve BuildToneCurveBlock(uint16_t knee, uint16_t selector) {
    const int s = std::min<int>(selector, 255);
    const ToneCurve knees = BuildKneeCurve(knee);
    ToneCurve block{};
    for (size_t i = 0; i < 256; ++i) {
        const size_t c = knees[i];
        int from = static_cast<int>(c), to = static_cast<int>(c), step = 0;
        if (s >= 1) {
            const int stretch = (s - 1) / 64;  // 0: c..T1, 1: T1..T2, 2: T2..T3, 3: T3..T4
            from = stretch == 0 ? static_cast<int>(c) : kToneCurves[stretch - 1][c];
            to = kToneCurves[stretch][c];
            step = s - 64 * stretch;
        }
        block[i] = static_cast<uint8_t>((from + (to - from) * step / 64) & 0xFF);
    }
    return block;
}
