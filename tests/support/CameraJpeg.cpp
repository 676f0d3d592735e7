// Builds camera-form frames with libjpeg. The Huffman tables are marked as already sent so no
// table segment is written (the camera never sends them; its decoder knows the standard ones).
#include "tests/support/CameraJpeg.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace zelvo_test {

std::vector<uint8_t> MakeCameraJpeg(int width, int height,
                                    const std::function<Rgb(int x, int y)>& pixel, int quality) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);

    unsigned char* memory = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &memory, &size);

    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.write_JFIF_header = FALSE;
    cinfo.optimize_coding = FALSE;
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 1;
    for (int c = 1; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    // Quantisation tables go into the stream, Huffman tables do not.
    jpeg_suppress_tables(&cinfo, TRUE);
    for (int t = 0; t < 2; ++t)
        cinfo.quant_tbl_ptrs[t]->sent_table = FALSE;
    jpeg_start_compress(&cinfo, FALSE);

    std::vector<uint8_t> row(static_cast<size_t>(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            const Rgb p = pixel(x, y);
            row[3 * x] = p[0];
            row[3 * x + 1] = p[1];
            row[3 * x + 2] = p[2];
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);

    std::vector<uint8_t> frame(memory, memory + size);
    std::free(memory);
    return frame;
}

std::vector<uint8_t> MakeUniformCameraJpeg(int width, int height, Rgb colour, int quality) {
    return MakeCameraJpeg(
        width, height, [colour](int, int) { return colour; }, quality);
}

}  // namespace zelvo_test
