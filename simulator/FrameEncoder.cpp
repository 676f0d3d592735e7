// The camera's JPEG frames through libjpeg's raw-data path.
//
// The planes are already 4:2:2 YCbCr, so libjpeg is fed them as raw downsampled data and only
// does the DCT, quantisation and Huffman coding; the raw frame and the JPEG frame are then the
// same samples. libjpeg writes SOI, the frame and scan headers and EOI; tables are suppressed
// and the DQT segment is written by us in the camera's form right after SOI.
#include "simulator/FrameEncoder.h"

#include <algorithm>

#include "decoder/StandardTables.h"
#include "platform/jpeg/JpegMemory.h"

namespace sim {

namespace {

using decoder::kChrominanceQuantisation;
using decoder::kLuminanceQuantisation;
using decoder::kZigzagToNatural;

constexpr int kDqtMarker = 0xDB;

// The camera's quantiser is 8 bits wide: entries above 255 act as 255 and 0 as 1.
uint8_t QuantEntry(uint16_t entry) {
    return static_cast<uint8_t>(std::clamp<int>(entry, 1, 255));
}

}  // namespace

QuantTables DefaultQuantTables() {
    QuantTables tables{};
    for (int i = 0; i < 64; ++i) {
        const int natural = kZigzagToNatural[i];
        tables[i] =
            static_cast<uint16_t>(std::max(2 * kLuminanceQuantisation[natural] * 25 / 100, 1));
        tables[64 + i] =
            static_cast<uint16_t>(std::max(2 * kChrominanceQuantisation[natural] * 25 / 100, 1));
    }
    return tables;
}

bool EncodeJpegFrame(const YccPlanes& planes, const QuantTables& tables,
                     std::vector<uint8_t>& frame) {
    jpeg_compress_struct cinfo{};
    jpeg::ErrorJump errors{};
    jpeg::UseErrorJump(cinfo, errors);
    // Nothing with a destructor lives between here and the end of compression.
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg::VectorDestination dest{};
    jpeg::UseVectorDestination(cinfo, dest, frame);

    cinfo.image_width = static_cast<JDIMENSION>(planes.width);
    cinfo.image_height = static_cast<JDIMENSION>(planes.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_YCbCr;
    jpeg_set_defaults(&cinfo);  // also installs the standard Huffman tables
    jpeg_set_colorspace(&cinfo, JCS_YCbCr);
    cinfo.write_JFIF_header = FALSE;
    cinfo.write_Adobe_marker = FALSE;
    cinfo.raw_data_in = TRUE;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 1;
    for (int c = 1; c < 3; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }

    unsigned natural[2][64];
    uint8_t dqt[2 * 65];
    for (int t = 0; t < 2; ++t) {
        dqt[65 * t] = static_cast<uint8_t>(t);  // 8-bit precision, table t
        for (int i = 0; i < 64; ++i) {
            const uint8_t q = QuantEntry(tables[64 * t + i]);
            dqt[65 * t + 1 + i] = q;
            natural[t][kZigzagToNatural[i]] = q;
        }
        jpeg_add_quant_table(&cinfo, t, natural[t], 100, TRUE);
    }
    jpeg_suppress_tables(&cinfo, TRUE);
    jpeg_start_compress(&cinfo, FALSE);
    jpeg_write_marker(&cinfo, kDqtMarker, dqt, sizeof dqt);

    const int chromaStride = planes.stride / 2;
    JSAMPROW yRows[8];
    JSAMPROW cbRows[8];
    JSAMPROW crRows[8];
    JSAMPARRAY data[3] = {yRows, cbRows, crRows};
    while (cinfo.next_scanline < cinfo.image_height) {
        const int top = static_cast<int>(cinfo.next_scanline);
        for (int r = 0; r < 8; ++r) {
            const size_t row = static_cast<size_t>(top + r);  // padded planes hold whole bands
            yRows[r] = const_cast<JSAMPLE*>(planes.y.data() + row * planes.stride);
            cbRows[r] = const_cast<JSAMPLE*>(planes.cb.data() + row * chromaStride);
            crRows[r] = const_cast<JSAMPLE*>(planes.cr.data() + row * chromaStride);
        }
        jpeg_write_raw_data(&cinfo, data, 8);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace sim
