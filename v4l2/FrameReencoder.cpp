// Decoding with libjpeg to YCbCr a band of 8 rows at a time, averaging each pixel pair's
// chroma into 4:2:2, and encoding the band through libjpeg's raw-data path into the caller's
// buffer (see FrameReencoder.h).
//
// libjpeg reports errors by longjmp to the setjmp of the running call: nothing with a
// destructor lives in those calls, and an error aborts both objects so the next frame starts
// clean.
#include "v4l2/FrameReencoder.h"

#include <algorithm>
#include <array>
#include <csetjmp>

#include "decoder/StandardTables.h"
#include "platform/jpeg/JpegMemory.h"

#include <jerror.h>

namespace v4l2 {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kBand = 8;  // rows per raw-data call: one block row at vertical sampling 1
constexpr int kDqtMarker = 0xDB;

// The compressed bytes go into a fixed span; running out of it is an error, not a reason to
// allocate.
struct SpanDestination {
    jpeg_destination_mgr pub;
    uint8_t* data;
    size_t size;
};

void InitSpan(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<SpanDestination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->data;
    dest->pub.free_in_buffer = dest->size;
}

boolean SpanFull(j_compress_ptr cinfo) {
    cinfo->err->msg_code = JERR_BUFFER_SIZE;
    cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    return FALSE;  // not reached
}

void TermSpan(j_compress_ptr) {}

}  // namespace

void DefaultQuantTables(std::span<uint16_t, kQuantEntries> tables) {
    for (int i = 0; i < 64; ++i) {
        const int natural = decoder::kZigzagToNatural[i];
        tables[i] =
            static_cast<uint16_t>(std::max(2 * decoder::kLuminanceQuantisation[natural] / 4, 1));
        tables[64 + i] =
            static_cast<uint16_t>(std::max(2 * decoder::kChrominanceQuantisation[natural] / 4, 1));
    }
}

struct FrameReencoder::Impl {
    jpeg_decompress_struct in{};
    jpeg_compress_struct out{};
    jpeg::ErrorJump errors{};
    SpanDestination destination{};
    bool ready = false;
    uint8_t dqt[2 * 65] = {};

    // One band: the decoded rows (Y Cb Cr per pixel), then the planes libjpeg encodes.
    std::array<uint8_t, kBand * kWidth * 3> rows{};
    std::array<uint8_t, kBand * kWidth> y{};
    std::array<uint8_t, kBand * kWidth / 2> cb{};
    std::array<uint8_t, kBand * kWidth / 2> cr{};
    JSAMPROW rowPointers[kBand];
    JSAMPROW yRows[kBand];
    JSAMPROW cbRows[kBand];
    JSAMPROW crRows[kBand];
    JSAMPARRAY planes[3] = {yRows, cbRows, crRows};

    // Both set up before any setjmp can be reached; false when libjpeg cannot start.
    bool Create();
    void SetTables(std::span<const uint16_t, kQuantEntries> tables);
    void Abort() {
        jpeg_abort_decompress(&in);
        jpeg_abort_compress(&out);
    }
    bool StartDecode(std::span<const uint8_t> jpeg);
    void DecodeBand();
    void StartEncode(std::span<uint8_t> into);
    void EncodeBand() { jpeg_write_raw_data(&out, planes, kBand); }
    size_t FinishEncode() {
        jpeg_finish_compress(&out);
        return destination.size - destination.pub.free_in_buffer;
    }
};

bool FrameReencoder::Impl::Create() {
    jpeg::UseErrorJump(in, errors);
    jpeg::UseErrorJump(out, errors);
    if (setjmp(errors.jump))
        return false;
    jpeg_create_decompress(&in);
    jpeg_create_compress(&out);
    out.image_width = kWidth;
    out.image_height = kHeight;
    out.input_components = 3;
    out.in_color_space = JCS_YCbCr;
    jpeg_set_defaults(&out);  // the standard Huffman tables, component ids 1-3
    jpeg_set_colorspace(&out, JCS_YCbCr);
    out.write_JFIF_header = FALSE;
    out.write_Adobe_marker = FALSE;
    out.raw_data_in = TRUE;
    out.dct_method = JDCT_ISLOW;
    out.comp_info[0].h_samp_factor = 2;
    out.comp_info[0].v_samp_factor = 1;
    for (int c = 1; c < 3; ++c) {
        out.comp_info[c].h_samp_factor = 1;
        out.comp_info[c].v_samp_factor = 1;
    }
    destination.pub.init_destination = InitSpan;
    destination.pub.empty_output_buffer = SpanFull;
    destination.pub.term_destination = TermSpan;
    out.dest = &destination.pub;
    for (int r = 0; r < kBand; ++r) {
        rowPointers[r] = rows.data() + r * kWidth * 3;
        yRows[r] = y.data() + r * kWidth;
        cbRows[r] = cb.data() + r * kWidth / 2;
        crRows[r] = cr.data() + r * kWidth / 2;
    }
    std::array<uint16_t, kQuantEntries> defaults{};
    DefaultQuantTables(defaults);
    SetTables(defaults);
    return true;
}

void FrameReencoder::Impl::SetTables(std::span<const uint16_t, kQuantEntries> tables) {
    unsigned natural[2][64];
    for (int t = 0; t < 2; ++t) {
        dqt[65 * t] = static_cast<uint8_t>(t);  // 8-bit entries, table t
        for (int i = 0; i < 64; ++i) {
            const auto q = static_cast<uint8_t>(std::clamp<int>(tables[64 * t + i], 1, 255));
            dqt[65 * t + 1 + i] = q;
            natural[t][decoder::kZigzagToNatural[i]] = q;
        }
        jpeg_add_quant_table(&out, t, natural[t], 100, TRUE);
    }
    // The frame carries the tables in its own segment (StartEncode); libjpeg writes none.
    jpeg_suppress_tables(&out, TRUE);
}

bool FrameReencoder::Impl::StartDecode(std::span<const uint8_t> jpeg) {
    jpeg_mem_src(&in, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    if (jpeg_read_header(&in, TRUE) != JPEG_HEADER_OK || in.image_width != kWidth ||
        in.image_height != kHeight || in.num_components != 3) {
        return false;
    }
    in.out_color_space = JCS_YCbCr;
    in.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&in);
    return true;
}

// The next 8 rows into the planes, each pixel pair's Cb and Cr averaged (rounded).
void FrameReencoder::Impl::DecodeBand() {
    for (int got = 0; got < kBand;)
        got += static_cast<int>(jpeg_read_scanlines(&in, rowPointers + got, kBand - got));
    for (int r = 0; r < kBand; ++r) {
        const uint8_t* p = rowPointers[r];
        uint8_t* yRow = yRows[r];
        uint8_t* cbRow = cbRows[r];
        uint8_t* crRow = crRows[r];
        for (int x = 0; x < kWidth / 2; ++x, p += 6) {
            yRow[2 * x] = p[0];
            yRow[2 * x + 1] = p[3];
            cbRow[x] = static_cast<uint8_t>((p[1] + p[4] + 1) >> 1);
            crRow[x] = static_cast<uint8_t>((p[2] + p[5] + 1) >> 1);
        }
    }
}

void FrameReencoder::Impl::StartEncode(std::span<uint8_t> into) {
    destination.data = into.data();
    destination.size = into.size();
    jpeg_start_compress(&out, FALSE);
    jpeg_write_marker(&out, kDqtMarker, dqt, sizeof dqt);
}

FrameReencoder::FrameReencoder() : impl_(std::make_unique<Impl>()) {
    impl_->ready = impl_->Create();
}

FrameReencoder::~FrameReencoder() {
    jpeg_destroy_decompress(&impl_->in);
    jpeg_destroy_compress(&impl_->out);
}

void FrameReencoder::SetQuantTables(std::span<const uint16_t, kQuantEntries> tables) {
    Impl& m = *impl_;
    if (!m.ready || setjmp(m.errors.jump))
        return;
    m.SetTables(tables);
}

size_t FrameReencoder::FromJpeg(std::span<const uint8_t> jpeg, std::span<uint8_t> out) {
    Impl& m = *impl_;
    if (!m.ready)
        return 0;
    if (setjmp(m.errors.jump)) {
        m.Abort();
        return 0;
    }
    if (!m.StartDecode(jpeg)) {
        m.Abort();
        return 0;
    }
    m.StartEncode(out);
    for (int band = 0; band < kHeight / kBand; ++band) {
        m.DecodeBand();
        m.EncodeBand();
    }
    const size_t written = m.FinishEncode();
    jpeg_abort_decompress(&m.in);  // the rest of the camera's stream is not needed
    return written;
}

size_t FrameReencoder::FromYuyv(std::span<const uint8_t> yuyv, std::span<uint8_t> out) {
    Impl& m = *impl_;
    constexpr size_t kStride = kWidth * 2;
    if (!m.ready || yuyv.size() < kStride * kHeight)
        return 0;
    if (setjmp(m.errors.jump)) {
        m.Abort();
        return 0;
    }
    m.StartEncode(out);
    for (int band = 0; band < kHeight / kBand; ++band) {
        for (int r = 0; r < kBand; ++r) {
            const uint8_t* p = yuyv.data() + (band * kBand + r) * kStride;
            uint8_t* yRow = m.yRows[r];
            uint8_t* cbRow = m.cbRows[r];
            uint8_t* crRow = m.crRows[r];
            for (int x = 0; x < kWidth / 2; ++x, p += 4) {
                yRow[2 * x] = p[0];
                cbRow[x] = p[1];
                yRow[2 * x + 1] = p[2];
                crRow[x] = p[3];
            }
        }
        m.EncodeBand();
    }
    return m.FinishEncode();
}

bool FrameReencoder::JpegToYuyv(std::span<const uint8_t> jpeg, std::span<uint8_t> out) {
    Impl& m = *impl_;
    constexpr size_t kStride = kWidth * 2;
    if (!m.ready || out.size() < kStride * kHeight)
        return false;
    if (setjmp(m.errors.jump)) {
        m.Abort();
        return false;
    }
    if (!m.StartDecode(jpeg)) {
        m.Abort();
        return false;
    }
    for (int band = 0; band < kHeight / kBand; ++band) {
        m.DecodeBand();
        for (int r = 0; r < kBand; ++r) {
            uint8_t* p = out.data() + (band * kBand + r) * kStride;
            for (int x = 0; x < kWidth / 2; ++x, p += 4) {
                p[0] = m.yRows[r][2 * x];
                p[1] = m.cbRows[r][x];
                p[2] = m.yRows[r][2 * x + 1];
                p[3] = m.crRows[r][x];
            }
        }
    }
    jpeg_abort_decompress(&m.in);
    return true;
}

}  // namespace v4l2
