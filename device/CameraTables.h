// The camera's fixed tables and the two 256-byte blocks derived from them: the quantisation
// tables sent for a compression quality, and the tone curve sent for a knee and a selector.
//
// Pure functions over constexpr data, no I/O: the property setter sends what they build.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

struct SizePreset {
    uint16_t width;
    uint16_t height;
    uint16_t key;
    std::u16string_view label;  // at most 16 units
};

// In the camera's order; a row of width 0 ends the table.
inline constexpr std::array<SizePreset, 14> kSizePresets = {{
    {160, 120, 1, u"160x120"},
    {176, 144, 2, u"176x144"},
    {240, 180, 3, u"240x180"},
    {320, 240, 4, u"320x240"},
    {352, 288, 5, u"352x288"},
    {640, 480, 6, u"640x480"},
    {800, 600, 7, u"800x600"},
    {1024, 768, 8, u"1024x768"},
    {1280, 960, 9, u"1280x960"},
    {1280, 1024, 10, u"1280x1024"},
    {1600, 1200, 11, u"1600x1200"},
    {2048, 1536, 12, u"2048x1536"},
    {2560, 1920, 13, u"2560x1920"},
    {0, 0, 0, u""},
}};

// Twice the example luminance and chrominance quantisation tables of the JPEG standard
// (ITU-T T.81 Annex K, tables K.1 and K.2), each in zigzag order: 64 luminance entries, then
// 64 chrominance entries. Quality scales these down before they are sent.
extern const std::array<uint16_t, 128> kQuantisationBase;

// The four tone curves T1..T4 (index 0..3), each rising from 0 to 255.
using ToneCurve = std::array<uint8_t, 256>;
extern const std::array<ToneCurve, 4> kToneCurves;

// The 128 quantisation entries for quality `quality` (clamped to 100) as 256 little-endian
// bytes, in base-table order.
std::array<uint8_t, 256> BuildQuantisationBlock(uint16_t quality);

// The knee curve for knee `knee` (0-255): the identity for 0, lifting the shadows as it grows.
ToneCurve BuildKneeCurve(uint16_t knee);

// The 256-byte tone curve: the knee curve blended toward T1..T4 by `selector` (0-255).
ToneCurve BuildToneCurveBlock(uint16_t knee, uint16_t selector);
