// Camera-form frames and reference decoding through libjpeg, for tests.
#include "tests/decoder/TestFrames.h"

#include <jpeglib.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

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

struct ErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorExit*>(info->err)->jump, 1);
}
void Silently(j_common_ptr, int) {}

uint32_t NextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

uint8_t ClampByte(double value) {
    return static_cast<uint8_t>(value < 0 ? 0 : (value > 255 ? 255 : std::lround(value)));
}

}  // namespace

std::string_view SceneName(Scene scene) {
    switch (scene) {
        case Scene::kFlat:
            return "Flat";
        case Scene::kGradient:
            return "Gradient";
        case Scene::kFace:
            return "Face";
        case Scene::kEdges:
            return "Edges";
        case Scene::kNoise:
            return "Noise";
    }
    return "Unknown";
}

std::vector<uint8_t> RenderScene(Scene scene, int width, int height, uint32_t seed) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint32_t state = seed;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            const double fx = width > 1 ? double(x) / (width - 1) : 0;
            const double fy = height > 1 ? double(y) / (height - 1) : 0;
            switch (scene) {
                case Scene::kFlat:
                    p[0] = 128, p[1] = 128, p[2] = 128;
                    break;
                case Scene::kGradient:
                    p[0] = ClampByte(255 * fx), p[1] = ClampByte(255 * fy);
                    p[2] = ClampByte(255 * (1 - (fx + fy) / 2));
                    break;
                case Scene::kFace: {
                    const double dx = (fx - 0.5) / 0.22, dy = (fy - 0.45) / 0.32;
                    const double r = dx * dx + dy * dy;
                    if (r < 1) {
                        const double shade = 1 - 0.35 * r;
                        const bool eye =
                            std::abs(std::abs(dx) - 0.4) < 0.12 && std::abs(dy + 0.25) < 0.06;
                        p[0] = ClampByte(eye ? 40 : 225 * shade);
                        p[1] = ClampByte(eye ? 30 : 172 * shade);
                        p[2] = ClampByte(eye ? 30 : 140 * shade);
                    } else {
                        p[0] = ClampByte(70 + 30 * fy), p[1] = ClampByte(90 + 30 * fy);
                        p[2] = ClampByte(120 + 30 * fy);
                    }
                    break;
                }
                case Scene::kEdges: {
                    const bool stripe = (x / 5) % 2 == 0;
                    const bool square = ((x / 12) + (y / 12)) % 2 == 0;
                    p[0] = stripe ? 255 : 0, p[1] = square ? 255 : 0;
                    p[2] = (stripe != square) ? 255 : 0;
                    break;
                }
                case Scene::kNoise:
                    p[0] = NextRandom(state) & 0xFF, p[1] = NextRandom(state) & 0xFF;
                    p[2] = NextRandom(state) & 0xFF;
                    break;
            }
        }
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

std::vector<uint8_t> EncodeCameraFrame(std::span<const uint8_t> rgb, int width, int height,
                                       int quality) {
    jpeg_compress_struct info{};
    ErrorExit error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(error.jump) != 0) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.dct_method = JDCT_ISLOW;
    info.write_JFIF_header = FALSE;
    info.comp_info[0].h_samp_factor = 2;
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
    // The camera never sends its Huffman tables: mark them as sent so only DQT is written.
    for (int t = 0; t < 2; ++t) {
        info.dc_huff_tbl_ptrs[t]->sent_table = TRUE;
        info.ac_huff_tbl_ptrs[t]->sent_table = TRUE;
    }
    jpeg_start_compress(&info, FALSE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row =
            const_cast<uint8_t*>(rgb.data()) + static_cast<size_t>(info.next_scanline) * width * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> frame(buffer, buffer + size);
    std::free(buffer);
    return frame;
}

bool DecodeReferencePlanes(std::span<const uint8_t> frame, ReferencePlanes& planes) {
    jpeg_decompress_struct info{};
    ErrorExit error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnError;
    error.manager.emit_message = Silently;
    if (setjmp(error.jump) != 0) {
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
