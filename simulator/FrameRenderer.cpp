// From scene reflectance to the camera's Y, Cb, Cr samples.
//
// The scene is flat-coloured, so each palette colour is taken through the whole camera
// pipeline once per frame (twice with the flash: lit and unlit field) and the pixels are
// table look-ups. Only sharpness looks at neighbours and runs over the luminance plane.
#include "simulator/FrameRenderer.h"

#include <algorithm>
#include <cmath>

#include "simulator/Scene.h"

namespace sim {

namespace {

// How the sensor sees the two lights, per channel before white balance (green is 1): the room
// light is warm, the flash cool. kRoomLight exposes the backdrop at about two thirds of full
// scale; the flash at level 17 matches it.
struct Rgb {
    double r, g, b;
};
constexpr Rgb kRoomResponse{0.75, 1.0, 0.62};
constexpr Rgb kFlashResponse{0.61, 1.0, 0.83};
constexpr double kRoomLight = 0.8;
constexpr double kFlashLight = 0.8;
constexpr int kFlashLevelForRoomLight = 17;
constexpr double kFlashLevelsPerDoubling = 6;
constexpr double kExposureStepsPerDoubling = 4;
// With the flash armed the head shortens its exposure: the room light alone is dim.
constexpr double kRoomLightUnderFlash = 0.2;

// The colour matrix, chosen as the exact inverse of the station's converter
// (B = Y + 1774/1024 u, G = Y - (716 v + 342 u)/1024, R = Y + 1398/1024 v), so that a colour
// the camera sends comes back as the same R, G, B on the station's screen.
constexpr double kVr = 1398.0 / 1024, kUb = 1774.0 / 1024;
constexpr double kGv = 716.0 / 1024, kGu = 342.0 / 1024;
constexpr double kLumaSum = 1.0 + kGv / kVr + kGu / kUb;
constexpr double kYr = (kGv / kVr) / kLumaSum, kYg = 1.0 / kLumaSum, kYb = (kGu / kUb) / kLumaSum;

// Sharpness by level: the weight of the difference between a sample and its four neighbours.
constexpr double kSharpnessWeight[] = {-0.5, -0.25, 0.0, 0.35, 0.7, 1.1};

// The head's own tone curve, used until the host sends one: a 1/2.2 power.
const std::array<uint8_t, 256>& OwnToneCurve() {
    static const std::array<uint8_t, 256> curve = [] {
        std::array<uint8_t, 256> c{};
        for (int i = 0; i < 256; ++i) {
            c[i] = static_cast<uint8_t>(std::lround(255.0 * std::pow(i / 255.0, 1 / 2.2)));
        }
        return c;
    }();
    return curve;
}

struct ColourTable {
    std::array<uint8_t, kSceneColourCount> y, cb, cr;
};

uint8_t Clamp8(double v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// One light (already the sum of its parts, per channel) through the camera's pipeline.
void BuildColourTable(const Rgb& light, const FrameRequest& rq, ColourTable& table) {
    const PictureSettings& p = rq.picture;
    const std::array<uint8_t, 256>& curve = rq.toneCurve ? *rq.toneCurve : OwnToneCurve();
    const double redGain = static_cast<double>(p.redGain) / kGainUnity;
    const double blueGain = static_cast<double>(p.blueGain) / kGainUnity;
    const double contrast = p.contrast / 64.0;
    const double brightness = (p.brightness - 128) / 2.0;
    const double saturation = p.colourLevel / 64.0;
    auto toneMapped = [&curve](double linear) {
        return static_cast<double>(curve[Clamp8(std::clamp(linear, 0.0, 1.0) * 255.0)]);
    };
    const std::span<const Reflectance> palette = ScenePalette();
    for (size_t i = 0; i < palette.size(); ++i) {
        const double r = toneMapped(palette[i].r * light.r * redGain);
        const double g = toneMapped(palette[i].g * light.g);
        const double b = toneMapped(palette[i].b * light.b * blueGain);
        const double y = kYr * r + kYg * g + kYb * b;
        const double u = (b - y) / kUb;
        const double v = (r - y) / kVr;
        table.y[i] = Clamp8((y - 128) * contrast + 128 + brightness);
        table.cb[i] = Clamp8(128 + u * saturation);
        table.cr[i] = Clamp8(128 + v * saturation);
    }
}

Rgb Scaled(const Rgb& c, double k) {
    return {c.r * k, c.g * k, c.b * k};
}
Rgb Sum(const Rgb& a, const Rgb& b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

// Sensor noise: a fixed table of small luminance steps (a triangle from -4 to +4, two levels
// spread, of which the camera's compression keeps about half), read from a different place for
// each row of each frame; the places come from the frame's time, so the same moment gives the
// same noise. Each colour's luminance is kept with every step already added and clamped, once
// per frame, so a noisy pixel costs one byte look-up more than a still one.
constexpr int kNoiseSteps = 9;            // -4 .. +4
constexpr int kNoiseStepsPerColour = 16;  // the steps of one colour, padded to a shift
constexpr size_t kNoiseTableBits = 16;
constexpr uint32_t kNoiseMask = (1u << kNoiseTableBits) - 1;

uint64_t NextRandom(uint64_t& state) {
    state += 0x9e3779b97f4a7c15ULL;  // splitmix64
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Step indices, 0 for -4 .. 8 for +4.
const std::array<uint8_t, size_t{1} << kNoiseTableBits>& NoiseTable() {
    static const auto table = [] {
        std::array<uint8_t, size_t{1} << kNoiseTableBits> t{};
        uint64_t state = 20261208;
        for (uint8_t& n : t) {
            const uint64_t bits = NextRandom(state);
            n = static_cast<uint8_t>(bits % 5 + bits / 5 % 5);  // two dice: triangular
        }
        return t;
    }();
    return table;
}

// A colour table's luminance with each noise step added: colour i, step k at
// i * kNoiseStepsPerColour + k.
using NoisyLuma = std::array<uint8_t, kSceneColourCount * kNoiseStepsPerColour>;
void BuildNoisyLuma(const ColourTable& table, NoisyLuma& noisy) {
    for (int i = 0; i < kSceneColourCount; ++i) {
        for (int step = 0; step < kNoiseSteps; ++step) {
            noisy[static_cast<size_t>(i * kNoiseStepsPerColour + step)] =
                Clamp8(table.y[static_cast<size_t>(i)] + step - kNoiseSteps / 2);
        }
    }
}

bool RowIsLit(FlashField flash, int row) {
    return (flash == FlashField::kOddRows && row % 2 == 1) ||
           (flash == FlashField::kEvenRows && row % 2 == 0);
}

void Sharpen(YccPlanes& planes, double weight) {
    if (weight == 0.0 || planes.width < 3 || planes.height < 3)
        return;
    const size_t w = static_cast<size_t>(planes.width);
    std::vector<uint8_t> above(planes.y.begin(), planes.y.begin() + w);  // original row r - 1
    std::vector<uint8_t> here(w);
    for (int r = 1; r + 1 < planes.height; ++r) {
        uint8_t* row = planes.y.data() + static_cast<size_t>(r) * planes.stride;
        const uint8_t* below = row + planes.stride;
        std::copy_n(row, w, here.begin());
        for (size_t c = 1; c + 1 < w; ++c) {
            const int neighbours = above[c] + below[c] + here[c - 1] + here[c + 1];
            row[c] = Clamp8(here[c] + weight * (here[c] - neighbours / 4.0));
        }
        above.swap(here);
    }
}

}  // namespace

void RenderFrame(const FrameRequest& rq, YccPlanes& planes) {
    planes.width = rq.width;
    planes.height = rq.height;
    planes.stride = (rq.width + 15) / 16 * 16;
    planes.paddedHeight = (rq.height + 7) / 8 * 8;
    const size_t chromaStride = static_cast<size_t>(planes.stride / 2);
    planes.y.resize(static_cast<size_t>(planes.stride) * planes.paddedHeight);
    planes.cb.resize(chromaStride * planes.paddedHeight);
    planes.cr.resize(chromaStride * planes.paddedHeight);

    const PictureSettings& p = rq.picture;
    ColourTable unlit{}, lit{};
    if (rq.flash == FlashField::kNone) {
        const double exposure = std::exp2(p.exposureStep / kExposureStepsPerDoubling);
        BuildColourTable(Scaled(kRoomResponse, kRoomLight * exposure), rq, unlit);
    } else {
        const Rgb dim = Scaled(kRoomResponse, kRoomLight * kRoomLightUnderFlash);
        const double flash = kFlashLight * std::exp2((p.flashLevel - kFlashLevelForRoomLight) /
                                                     kFlashLevelsPerDoubling);
        BuildColourTable(dim, rq, unlit);
        BuildColourTable(Sum(dim, Scaled(kFlashResponse, flash)), rq, lit);
    }

    const size_t w = static_cast<size_t>(rq.width);
    std::vector<uint8_t> colours(w);
    const double left = rq.centreX - rq.width / 2.0 * rq.unitsPerPixelX;
    const SceneMoment moment =
        rq.alive ? PersonAt(rq.sceneUs, rq.clockSeconds) : SceneMoment{rq.clockSeconds};
    const uint8_t* noise = NoiseTable().data();
    uint64_t noiseState = static_cast<uint64_t>(rq.sceneUs);
    NoisyLuma noisyUnlit{}, noisyLit{};
    if (rq.alive) {
        BuildNoisyLuma(unlit, noisyUnlit);
        BuildNoisyLuma(lit, noisyLit);
    }
    for (int r = 0; r < rq.height; ++r) {
        const double worldY = rq.centreY - (r + 0.5 - rq.height / 2.0) * rq.unitsPerPixelY;
        PaintSceneRow(worldY, left, rq.unitsPerPixelX, moment, colours);
        const ColourTable& t = RowIsLit(rq.flash, r) ? lit : unlit;
        uint8_t* y = planes.y.data() + static_cast<size_t>(r) * planes.stride;
        uint8_t* cb = planes.cb.data() + r * chromaStride;
        uint8_t* cr = planes.cr.data() + r * chromaStride;
        if (rq.alive) {
            const NoisyLuma& luma = &t == &lit ? noisyLit : noisyUnlit;
            const auto start = static_cast<uint32_t>(NextRandom(noiseState));
            for (size_t c = 0; c < w; ++c)
                y[c] = luma[colours[c] * kNoiseStepsPerColour + noise[(start + c) & kNoiseMask]];
        } else {
            for (size_t c = 0; c < w; ++c)
                y[c] = t.y[colours[c]];
        }
        // Each pixel pair shares one Cb and one Cr: the mean of the two.
        for (size_t c = 0; c + 1 < w; c += 2) {
            cb[c / 2] = static_cast<uint8_t>((t.cb[colours[c]] + t.cb[colours[c + 1]] + 1) / 2);
            cr[c / 2] = static_cast<uint8_t>((t.cr[colours[c]] + t.cr[colours[c + 1]] + 1) / 2);
        }
    }
    Sharpen(planes, kSharpnessWeight[std::clamp(p.sharpness, 0, 5)]);

    // Repeat the last column and row into the padding, which the encoder codes but nobody shows.
    for (int r = 0; r < rq.height; ++r) {
        uint8_t* y = planes.y.data() + static_cast<size_t>(r) * planes.stride;
        std::fill(y + w, y + planes.stride, y[w - 1]);
        uint8_t* cb = planes.cb.data() + r * chromaStride;
        uint8_t* cr = planes.cr.data() + r * chromaStride;
        std::fill(cb + w / 2, cb + chromaStride, cb[w / 2 - 1]);
        std::fill(cr + w / 2, cr + chromaStride, cr[w / 2 - 1]);
    }
    for (int r = rq.height; r < planes.paddedHeight; ++r) {
        auto copyRow = [r](std::vector<uint8_t>& plane, size_t stride) {
            std::copy_n(plane.begin() + (r - 1) * stride, stride, plane.begin() + r * stride);
        };
        copyRow(planes.y, static_cast<size_t>(planes.stride));
        copyRow(planes.cb, chromaStride);
        copyRow(planes.cr, chromaStride);
    }
}

void PackRawFrame(const YccPlanes& planes, std::vector<uint8_t>& frame) {
    const size_t w = static_cast<size_t>(planes.width);
    const size_t chromaStride = static_cast<size_t>(planes.stride / 2);
    frame.resize(w * planes.height * 2);
    uint8_t* out = frame.data();
    for (int r = 0; r < planes.height; ++r) {
        const uint8_t* y = planes.y.data() + static_cast<size_t>(r) * planes.stride;
        const uint8_t* cb = planes.cb.data() + r * chromaStride;
        const uint8_t* cr = planes.cr.data() + r * chromaStride;
        for (size_t c = 0; c + 1 < w; c += 2) {
            *out++ = y[c];
            *out++ = cb[c / 2];
            *out++ = y[c + 1];
            *out++ = cr[c / 2];
        }
    }
}

}  // namespace sim
