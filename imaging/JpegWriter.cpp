// JPEG files through libjpeg (see JpegWriter.h for the compression factor's meaning).
#include "imaging/JpegWriter.h"

#include <QImage>
#include <algorithm>

#include "platform/jpeg/JpegMemory.h"

namespace {

bool RowsFit(const PictureRows& p) {
    if (p.width <= 0 || p.height <= 0 || p.width > JPEG_MAX_DIMENSION ||
        p.height > JPEG_MAX_DIMENSION)
        return false;
    const size_t rowBytes = static_cast<size_t>(p.width) * 3;
    if (p.stride < rowBytes)
        return false;
    const size_t needed = p.stride * static_cast<size_t>(p.height - 1) + rowBytes;
    return p.bytes.size() >= needed;
}

bool IsJfifDensity(int dpi) {
    return dpi >= 1 && dpi <= 65535;
}

// Nothing with a destructor lives in this function between setjmp and its end, so a jump back
// from libjpeg skips no clean-up.
bool Compress(const PictureRows& p, int scalePercent, int hDpi, int vDpi,
              std::vector<uint8_t>& out) {
    jpeg_compress_struct cinfo{};
    jpeg::ErrorJump errors{};
    jpeg::UseErrorJump(cinfo, errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg::VectorDestination dest{};
    jpeg::UseVectorDestination(cinfo, dest, out);

    cinfo.image_width = static_cast<JDIMENSION>(p.width);
    cinfo.image_height = static_cast<JDIMENSION>(p.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = p.order == PixelOrder::kBgr ? JCS_EXT_BGR : JCS_EXT_RGB;
    jpeg_set_defaults(&cinfo);  // YCbCr, 2x2 chroma, JFIF marker, sequential (baseline)
    jpeg_set_linear_quality(&cinfo, scalePercent, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.optimize_coding = TRUE;  // Huffman tables fitted to the picture: still baseline
    cinfo.write_JFIF_header = TRUE;
    if (IsJfifDensity(hDpi) && IsJfifDensity(vDpi)) {
        cinfo.density_unit = 1;  // dots per inch
        cinfo.X_density = static_cast<UINT16>(hDpi);
        cinfo.Y_density = static_cast<UINT16>(vDpi);
    } else {
        cinfo.density_unit = 0;  // an aspect ratio only
        cinfo.X_density = 1;
        cinfo.Y_density = 1;
    }

    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const size_t y = cinfo.next_scanline;
        const size_t row = p.bottomUp ? static_cast<size_t>(p.height) - 1 - y : y;
        JSAMPROW rowPointer = const_cast<JSAMPLE*>(p.bytes.data() + row * p.stride);
        jpeg_write_scanlines(&cinfo, &rowPointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

int JpegTableScalePercent(int compressionFactor) {
    return 5 * std::clamp(compressionFactor, 0, 255);
}

std::vector<uint8_t> EncodeJpeg(const PictureRows& picture, int compressionFactor,
                                int horizontalDpi, int verticalDpi) {
    std::vector<uint8_t> out;
    if (!RowsFit(picture))
        return out;
    if (!Compress(picture, JpegTableScalePercent(compressionFactor), horizontalDpi, verticalDpi,
                  out)) {
        out.clear();
    }
    return out;
}

std::vector<uint8_t> EncodeJpeg(const QImage& picture, int compressionFactor, int horizontalDpi,
                                int verticalDpi) {
    QImage rows = picture;
    PixelOrder order = PixelOrder::kRgb;
    if (picture.format() == QImage::Format_BGR888) {
        order = PixelOrder::kBgr;
    } else if (picture.format() != QImage::Format_RGB888) {
        rows = picture.convertToFormat(QImage::Format_RGB888);
    }
    const PictureRows view{
        std::span<const uint8_t>(rows.constBits(), static_cast<size_t>(rows.sizeInBytes())),
        rows.width(),
        rows.height(),
        static_cast<size_t>(rows.bytesPerLine()),
        false,
        order};
    return EncodeJpeg(view, compressionFactor, horizontalDpi, verticalDpi);
}
