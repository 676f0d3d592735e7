// The two filters of the image record: sharpening and the vertical stretch.
//
// Sharpening is an unsharp mask over the 3 x 3 neighbourhood, channel by channel:
//
//     out = p + a * (p - m),    m = mean of the 9 pixels around and including p,
//                               a = strength / 1000   (200 -> 0.2, 250 -> 0.25, 600 -> 0.6,
//                                                      900 -> 0.9)
//
// clamped to 0..255. In integers, with S the sum of the nine samples, p - m = (9p - S) / 9, so
// out = p + (9p - S) * strength / 9000, rounded half away from zero. Pixels outside the picture
// repeat the nearest edge pixel, so a flat picture stays flat up to its border. The nine-sample
// sums are built from sums of three along the row, three rows at a time.
//
// The stretch resamples each column linearly, with the centres of the first and last rows
// kept apart the way the picture's height says: output row y samples source position
//
//     s = (y + 1/2) * H_in / H_out - 1/2,   clamped to 0 .. H_in - 1,
//
// blending rows floor(s) and floor(s) + 1 by the fraction of s, in 1/256 steps with rounding.
// Stretching 239 rows to 480 thus lays each kept row over two output rows, blending neighbours
// at the half steps, which is what a single lit field needs to look like a whole frame again.
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/ImageRecord.h"

namespace {

bool IsSharpenStrength(int strength) {
    return strength == 200 || strength == 250 || strength == 600 || strength == 900;
}

// Sums of three neighbouring pixels along a row, per channel byte, edges repeated.
void RowSums(const uint8_t* row, int width, uint16_t* sums) {
    constexpr int bpp = ImageRecord::kBytesPerPixel;
    const int bytes = width * bpp;
    for (int i = 0; i < bytes; ++i) {
        const int left = i >= bpp ? i - bpp : i;
        const int right = i + bpp < bytes ? i + bpp : i;
        sums[i] = static_cast<uint16_t>(row[left] + row[i] + row[right]);
    }
}

}  // namespace

bool ImageRecord::Sharpen(int strength) {
    if (!IsAllocated() || !IsSharpenStrength(strength))
        return false;
    const int width = Width();
    const int height = Height();
    const size_t bytes = static_cast<size_t>(width) * kBytesPerPixel;
    QImage out(width, height, QImage::Format_BGR888);
    if (out.isNull())
        return false;
    // Three rows of horizontal sums: above, this, below (edges repeated).
    std::vector<uint16_t> sums(bytes * 3);
    uint16_t* above = sums.data();
    uint16_t* here = above + bytes;
    uint16_t* below = here + bytes;
    RowSums(m_Image.constScanLine(0), width, here);
    std::memcpy(above, here, bytes * sizeof(uint16_t));
    for (int row = 0; row < height; ++row) {
        if (row + 1 < height)
            RowSums(m_Image.constScanLine(row + 1), width, below);
        else
            std::memcpy(below, here, bytes * sizeof(uint16_t));
        const uint8_t* in = m_Image.constScanLine(row);
        uint8_t* dst = out.scanLine(row);
        for (size_t i = 0; i < bytes; ++i) {
            const int p = in[i];
            const int s = above[i] + here[i] + below[i];
            const int scaled = (9 * p - s) * strength;  // at most 2295 * 900, fits easily
            const int delta = scaled >= 0 ? (scaled + 4500) / 9000 : (scaled - 4500) / 9000;
            dst[i] = static_cast<uint8_t>(std::clamp(p + delta, 0, 255));
        }
        uint16_t* oldAbove = above;
        above = here;
        here = below;
        below = oldAbove;
    }
    m_Image = std::move(out);
    return true;
}

bool ImageRecord::Resize(int width, int height) {
    if (!IsAllocated() || width != Width() || height <= 0 || height > 16384)
        return false;
    const int sourceHeight = Height();
    if (height == sourceHeight)
        return true;
    QImage out(width, height, QImage::Format_BGR888);
    if (out.isNull())
        return false;
    const size_t bytes = static_cast<size_t>(width) * kBytesPerPixel;
    const int64_t last = int64_t{sourceHeight - 1} * 256;
    for (int row = 0; row < height; ++row) {
        // s * 256 = ((2y + 1) * H_in * 256) / (2 * H_out) - 128, truncated; then clamped.
        int64_t position =
            (int64_t{2 * row + 1} * sourceHeight * 256) / (int64_t{2} * height) - 128;
        position = std::clamp<int64_t>(position, 0, last);
        const int upper = static_cast<int>(position >> 8);
        const int weight = static_cast<int>(position & 255);  // share of the lower row
        const uint8_t* a = m_Image.constScanLine(upper);
        const uint8_t* b = m_Image.constScanLine(std::min(upper + 1, sourceHeight - 1));
        uint8_t* dst = out.scanLine(row);
        if (weight == 0) {
            std::memcpy(dst, a, bytes);
            continue;
        }
        for (size_t i = 0; i < bytes; ++i)
            dst[i] = static_cast<uint8_t>((a[i] * (256 - weight) + b[i] * weight + 128) >> 8);
    }
    m_Image = std::move(out);
    return true;
}
