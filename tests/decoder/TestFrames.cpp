// Camera-form frames and reference decoding through libjpeg, for tests.
#include "tests/decoder/TestFrames.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>

#include "platform/jpeg/JpegMemory.h"

namespace testframes {
namespace {

// The example tables of the JPEG standard (Annex K, K.1 and K.2), natural order.
constexpr std::array<uint16_t, 64> kLuminanceExample = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::array<uint16_t, 64> kChrominanceExample = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

uint32_t NextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

uint8_t ClampByte(double value) {
    return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : std::lround(value)));
}

// Procedural texture for the detailed scenes. Lattice points hash to a value in [0, 1); value
// noise interpolates them smoothly (wavelength 1); a fractal sums octaves of it, each of twice
// the frequency and `gain` times the weight of the one before, so the detail reaches down to
// single pixels.
double Lattice(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
                 seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return (h & 0xFFFFFF) / double(1 << 24);
}

double ValueNoise(double x, double y, uint32_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    double tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const double top = Lattice(ix, iy, seed) * (1 - tx) + Lattice(ix + 1, iy, seed) * tx;
    const double bottom = Lattice(ix, iy + 1, seed) * (1 - tx) + Lattice(ix + 1, iy + 1, seed) * tx;
    return top * (1 - ty) + bottom * ty;
}

double Fractal(double x, double y, int octaves, double gain, uint32_t seed) {
    double sum = 0, total = 0, weight = 1;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * ValueNoise(x, y, seed + static_cast<uint32_t>(octave));
        total += weight;
        weight *= gain;
        x *= 2;
        y *= 2;
    }
    return sum / total;
}

double SmoothStep(double from, double to, double value) {
    const double t = std::clamp((value - from) / (to - from), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

struct Colour {
    double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Plasma(int x, int y, uint32_t seed) {
    constexpr double kTurn = 6.283185307179586;
    const double f = Fractal(x / 96.0, y / 96.0, 8, 0.62, seed);
    return {128 + 127 * std::sin(kTurn * 3 * f), 128 + 127 * std::sin(kTurn * (4 * f + 1.0 / 3)),
            128 + 127 * std::sin(kTurn * (5 * f + 2.0 / 3))};
}

// Grains about 6 pixels across: each pixel takes the mineral of the nearest of the jittered
// grain centres, one per 6 x 6 cell, with a fine mottle and a broad cloudiness on top.
Colour Granite(int x, int y, uint32_t seed) {
    constexpr int kCell = 6;
    const int cx = x / kCell, cy = y / kCell;
    double nearest = 1e9;
    double mineral = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int gx = cx + dx, gy = cy + dy;
            const double px = (gx + Lattice(gx, gy, seed)) * kCell;
            const double py = (gy + Lattice(gx, gy, seed + 1)) * kCell;
            const double distance = (px - x) * (px - x) + (py - y) * (py - y);
            if (distance < nearest) {
                nearest = distance;
                mineral = Lattice(gx, gy, seed + 2);
            }
        }
    const Colour colour = mineral < 0.40   ? Colour{205, 203, 196}  // quartz
                          : mineral < 0.72 ? Colour{196, 142, 126}  // pink feldspar
                          : mineral < 0.88 ? Colour{132, 128, 124}  // grey feldspar
                                           : Colour{42, 40, 44};    // mica
    const double mottle = (Lattice(x, y, seed + 3) - 0.5) * 36;
    const double cloud = 0.85 + 0.3 * Fractal(x / 90.0, y / 90.0, 3, 0.5, seed + 4);
    return {colour.r * cloud + mottle, colour.g * cloud + mottle, colour.b * cloud + mottle};
}

// A landscape under a cloudy sky: distant mountains with snow, wooded hills, a lake mirroring
// them, a meadow with flowers in front, and the sensor's grain over everything.
Colour Photograph(int x, int y, int width, int height, uint32_t seed) {
    const double w = std::max(width - 1, 1), h = std::max(height - 1, 1);
    auto land = [&](int px, int py) {
        const double fx = px / w, fy = py / h;
        const double ridge = 0.30 + 0.9 * (Fractal(fx * 3, 0.5, 8, 0.55, seed + 10) - 0.5);
        const double hills = 0.52 + 0.5 * (Fractal(fx * 5, 1.5, 6, 0.5, seed + 20) - 0.5);
        if (fy < ridge) {
            const Colour blue = Mix({70, 120, 200}, {185, 205, 230}, SmoothStep(0, 0.45, fy));
            const double cloud = Fractal(px / 120.0, py / 40.0, 7, 0.55, seed + 40);
            const double shade = Fractal(px / 30.0, py / 30.0, 4, 0.5, seed + 50);
            return Mix(blue, Mix({250, 250, 252}, {150, 155, 170}, shade),
                       SmoothStep(0.5, 0.75, cloud));
        }
        if (fy < hills) {
            const double rock = Fractal(px / 10.0, py / 10.0, 6, 0.6, seed + 60);
            const double gullies = Fractal(px / 4.0, py / 24.0, 4, 0.6, seed + 61);
            Colour colour = Mix({55, 58, 72}, {165, 160, 155}, 0.6 * rock + 0.4 * gullies);
            if (fy < ridge + 0.08 * rock && fy < 0.32)
                colour = Mix({235, 238, 245}, {150, 158, 178}, gullies);  // snow on the peaks
            return Mix(colour, {170, 185, 210}, 0.25);                    // haze
        }
        if (fy < hills + 0.1) {
            const double crowns = Fractal(px / 5.0, py / 4.0, 5, 0.6, seed + 80);
            return Mix({15, 38, 20}, {95, 120, 60}, crowns * crowns * 1.6);
        }
        const double patch = Fractal(px / 80.0, py / 40.0, 3, 0.5, seed + 90);
        const double blades = Fractal(px / 1.5, py / 7.0, 4, 0.6, seed + 100);
        Colour colour =
            Mix(Mix({45, 95, 30}, {150, 160, 70}, patch), {20, 40, 15}, 0.7 * (1 - blades));
        const double flower = Lattice(px / 2, py / 2, seed + 110);
        if (flower > 0.992)
            colour = flower > 0.996 ? Colour{240, 230, 90} : Colour{235, 240, 245};
        return colour;
    };
    // The lake: a wavy-edged oval whose top edge is the mirror line.
    const double fx = x / w, fy = y / h;
    const double dx = (fx - 0.42) / 0.3, dy = (fy - 0.74) / 0.07;
    const double edge = 1 + 0.6 * (Fractal(x / 25.0, y / 25.0, 4, 0.5, seed + 30) - 0.5);
    Colour colour;
    if (dx * dx + dy * dy < edge) {
        const int mirrored = std::max(0, static_cast<int>(2 * 0.67 * h) - y);
        const double ripple = Fractal(x / 30.0, y / 1.2, 4, 0.6, seed + 70);
        colour = Mix(land(x, mirrored), {25, 45, 65}, 0.25 + 0.35 * ripple);
    } else {
        colour = land(x, y);
    }
    const double grain =
        (Lattice(x, y, seed + 120) + Lattice(x, y, seed + 121) + Lattice(x, y, seed + 122) - 1.5) *
        10;
    return {colour.r + grain, colour.g + grain, colour.b + grain};
}

}  // namespace

std::string_view SceneName(Scene scene) {
    constexpr std::string_view kNames[] = {"Flat",  "Gradient", "Face",    "Edges",
                                           "Noise", "Plasma",   "Granite", "Photograph"};
    const auto index = static_cast<size_t>(scene);
    return index < std::size(kNames) ? kNames[index] : "Unknown";
}

std::vector<uint8_t> RenderScene(Scene scene, int width, int height, uint32_t seed) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint32_t state = seed;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double fx = width > 1 ? double(x) / (width - 1) : 0;
            const double fy = height > 1 ? double(y) / (height - 1) : 0;
            Colour c{128, 128, 128};  // kFlat
            if (scene == Scene::kGradient) {
                c = {255 * fx, 255 * fy, 255 * (1 - (fx + fy) / 2)};
            } else if (scene == Scene::kFace) {
                const double dx = (fx - 0.5) / 0.22, dy = (fy - 0.45) / 0.32;
                const double r = dx * dx + dy * dy, shade = 1 - 0.35 * r;
                const bool eye = std::abs(std::abs(dx) - 0.4) < 0.12 && std::abs(dy + 0.25) < 0.06;
                c = r >= 1 ? Colour{70 + 30 * fy, 90 + 30 * fy, 120 + 30 * fy}
                    : eye  ? Colour{40, 30, 30}
                           : Colour{225 * shade, 172 * shade, 140 * shade};
            } else if (scene == Scene::kEdges) {
                const bool stripe = (x / 5) % 2 == 0, square = ((x / 12) + (y / 12)) % 2 == 0;
                c = {stripe ? 255.0 : 0, square ? 255.0 : 0, stripe != square ? 255.0 : 0};
            } else if (scene == Scene::kNoise) {  // braced elements are evaluated in order
                c = {double(NextRandom(state) & 0xFF), double(NextRandom(state) & 0xFF),
                     double(NextRandom(state) & 0xFF)};
            } else if (scene != Scene::kFlat) {
                c = scene == Scene::kPlasma    ? Plasma(x, y, seed)
                    : scene == Scene::kGranite ? Granite(x, y, seed)
                                               : Photograph(x, y, width, height, seed);
            }
            uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = ClampByte(c.r), p[1] = ClampByte(c.g), p[2] = ClampByte(c.b);
        }
    return rgb;
}

std::array<uint16_t, 64> CameraQuantisationTable(int quality, bool chrominance) {
    const auto& example = chrominance ? kChrominanceExample : kLuminanceExample;
    std::array<uint16_t, 64> table{};
    for (int i = 0; i < 64; ++i) {
        const int entry = 2 * example[i] * (100 - quality) / 100;
        table[i] = static_cast<uint16_t>(entry == 0 ? 1 : entry);
    }
    return table;
}

std::vector<uint8_t> EncodeJpeg(std::span<const uint8_t> rgb, int width, int height,
                                const std::function<void(jpeg_compress_struct&)>& configure) {
    std::vector<uint8_t> frame;
    jpeg_compress_struct info{};
    jpeg::ErrorJump errors{};
    jpeg::UseErrorJump(info, errors);
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&info);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg::VectorDestination dest{};
    jpeg::UseVectorDestination(info, dest, frame);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.dct_method = JDCT_ISLOW;
    info.comp_info[0].h_samp_factor = 2;
    configure(info);
    jpeg_start_compress(&info, FALSE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<uint8_t*>(rgb.data()) + static_cast<size_t>(info.next_scanline) * width * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return frame;
}

void LeaveOutHuffmanTables(jpeg_compress_struct& info) {
    for (int t = 0; t < 2; ++t) {
        info.dc_huff_tbl_ptrs[t]->sent_table = TRUE;
        info.ac_huff_tbl_ptrs[t]->sent_table = TRUE;
    }
}

std::vector<uint8_t> EncodeCameraFrame(std::span<const uint8_t> rgb, int width, int height,
                                       int quality) {
    return EncodeJpeg(rgb, width, height, [quality](jpeg_compress_struct& info) {
        info.write_JFIF_header = FALSE;
        info.comp_info[0].v_samp_factor = 1;
        for (int c = 1; c < 3; ++c)
            info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
        for (int t = 0; t < 2; ++t) {
            const auto table = CameraQuantisationTable(quality, t == 1);
            unsigned int basic[64];
            for (int i = 0; i < 64; ++i)
                basic[i] = table[i];
            jpeg_add_quant_table(&info, t, basic, 100, FALSE);
        }
        LeaveOutHuffmanTables(info);  // the camera never sends them: only DQT is written
    });
}

bool DecodeReferencePlanes(std::span<const uint8_t> frame, ReferencePlanes& planes) {
    jpeg_decompress_struct info{};
    jpeg::ErrorJump errors{};
    jpeg::UseErrorJump(info, errors);
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, frame.data(), static_cast<unsigned long>(frame.size()));
    jpeg_read_header(&info, TRUE);
    info.raw_data_out = TRUE;
    info.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&info);
    planes.lumaWidth = static_cast<int>(info.comp_info[0].width_in_blocks) * 8;
    planes.chromaWidth = static_cast<int>(info.comp_info[1].width_in_blocks) * 8;
    planes.rows = static_cast<int>(info.comp_info[0].height_in_blocks) * 8;
    planes.y.assign(static_cast<size_t>(planes.lumaWidth) * planes.rows, 0);
    planes.cb.assign(static_cast<size_t>(planes.chromaWidth) * planes.rows, 0);
    planes.cr.assign(static_cast<size_t>(planes.chromaWidth) * planes.rows, 0);
    for (int band = 0; band < planes.rows; band += 8) {
        JSAMPROW rows[3][8];
        for (int r = 0; r < 8; ++r) {
            const size_t line = static_cast<size_t>(band + r);
            rows[0][r] = &planes.y[line * planes.lumaWidth];
            rows[1][r] = &planes.cb[line * planes.chromaWidth];
            rows[2][r] = &planes.cr[line * planes.chromaWidth];
        }
        JSAMPARRAY arrays[3] = {rows[0], rows[1], rows[2]};
        if (jpeg_read_raw_data(&info, arrays, 8) != 8)
            break;
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace testframes
