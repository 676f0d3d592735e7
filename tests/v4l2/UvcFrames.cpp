// UVC-style JPEG frames and libjpeg's decoding of them (see UvcFrames.h).
#include "tests/v4l2/UvcFrames.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/jpeg/JpegMemory.h"
#include "tests/decoder/TestFrames.h"

namespace zelvo_test {

std::vector<uint8_t> MakeUvcJpeg(std::span<const uint8_t> rgb, const UvcJpegForm& form) {
    return testframes::EncodeJpeg(rgb, 640, 480, [&form](jpeg_compress_struct& info) {
        jpeg_set_quality(&info, 80, TRUE);
        info.comp_info[0].v_samp_factor = form.lumaRows;
        info.optimize_coding = form.ownHuffman ? TRUE : FALSE;
        info.restart_in_rows = form.restartRows;
        if (form.progressive)
            jpeg_simple_progression(&info);
        if (!form.huffmanTables)
            testframes::LeaveOutHuffmanTables(info);
    });
}

std::vector<uint8_t> ReferenceYcc(std::span<const uint8_t> jpeg) {
    std::vector<uint8_t> out;
    jpeg_decompress_struct info{};
    jpeg::ErrorJump errors{};
    jpeg::UseErrorJump(info, errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_YCbCr;
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&info);
    const size_t stride = size_t{info.output_width} * 3;
    out.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.data() + info.output_scanline * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return out;
}

std::vector<double> MeanAbsoluteDifference(std::span<const uint8_t> yuyv,
                                           std::span<const uint8_t> ycc) {
    std::vector<double> sums(3, 0.0);
    const size_t pairs = std::min(yuyv.size() / 4, ycc.size() / 6);
    for (size_t i = 0; i < pairs; ++i) {
        const uint8_t* p = &yuyv[4 * i];
        const uint8_t* r = &ycc[6 * i];
        sums[0] += std::abs(p[0] - r[0]) + std::abs(p[2] - r[3]);
        sums[1] += std::abs(2 * p[1] - r[1] - r[4]) / 2.0;
        sums[2] += std::abs(2 * p[3] - r[2] - r[5]) / 2.0;
    }
    if (pairs != 0) {
        sums[0] /= 2.0 * pairs;
        sums[1] /= pairs;
        sums[2] /= pairs;
    }
    return sums;
}

}  // namespace zelvo_test
