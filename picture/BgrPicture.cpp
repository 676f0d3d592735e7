// Picture arithmetic on B G R rows (see BgrPicture.h).
#include "picture/BgrPicture.h"

#include <algorithm>
#include <cstring>

namespace picture {

namespace {

// Sums of three neighbouring pixels along a row, per channel byte, edges repeated.
void RowSums(const uint8_t* row, int width, uint16_t* sums) {
    const int bytes = width * kBytesPerPixel;
    for (int i = 0; i < bytes; ++i) {
        const int left = i >= kBytesPerPixel ? i - kBytesPerPixel : i;
        const int right = i + kBytesPerPixel < bytes ? i + kBytesPerPixel : i;
        sums[i] = static_cast<uint16_t>(row[left] + row[i] + row[right]);
    }
}

}  // namespace

Picture::Picture(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      bytes_(static_cast<size_t>(width_) * static_cast<size_t>(height_) * kBytesPerPixel) {}

ConstView Cut(ConstView in, int left, int top, int width, int height) {
    return {in.Row(top) + ptrdiff_t{left} * kBytesPerPixel, width, height, in.stride};
}

void Copy(ConstView in, View out) {
    for (int row = 0; row < in.height; ++row)
        std::memcpy(out.Row(row), in.Row(row), in.RowBytes());
}

void TurnQuarter(ConstView in, View out, bool clockwise) {
    // Clockwise, picture row r becomes turned column (height - 1 - r), read top to bottom;
    // anticlockwise, it becomes turned column r, read bottom to top. Walking the source row by
    // row reads memory in order and writes one byte triple per turned row.
    for (int row = 0; row < in.height; ++row) {
        const uint8_t* pixel = in.Row(row);
        const int column = clockwise ? in.height - 1 - row : row;
        for (int x = 0; x < in.width; ++x, pixel += kBytesPerPixel) {
            const int turnedRow = clockwise ? x : in.width - 1 - x;
            uint8_t* to = out.Row(turnedRow) + ptrdiff_t{column} * kBytesPerPixel;
            to[0] = pixel[0];
            to[1] = pixel[1];
            to[2] = pixel[2];
        }
    }
}

void Stretch(ConstView in, View out) {
    const size_t bytes = in.RowBytes();
    const int64_t last = int64_t{in.height - 1} * 256;
    for (int row = 0; row < out.height; ++row) {
        // s * 256 = ((2y + 1) * H_in * 256) / (2 * H_out) - 128, truncated; then clamped.
        int64_t position =
            (int64_t{2 * row + 1} * in.height * 256) / (int64_t{2} * out.height) - 128;
        position = std::clamp<int64_t>(position, 0, last);
        const int upper = static_cast<int>(position >> 8);
        const int weight = static_cast<int>(position & 255);  // share of the lower row
        const uint8_t* a = in.Row(upper);
        const uint8_t* b = in.Row(std::min(upper + 1, in.height - 1));
        uint8_t* to = out.Row(row);
        if (weight == 0) {
            std::memcpy(to, a, bytes);
            continue;
        }
        for (size_t i = 0; i < bytes; ++i)
            to[i] = static_cast<uint8_t>((a[i] * (256 - weight) + b[i] * weight + 128) >> 8);
    }
}

bool IsSharpenStrength(int strength) {
    return strength == 200 || strength == 250 || strength == 600 || strength == 900;
}

void Sharpen(ConstView in, View out, int strength) {
    const size_t bytes = in.RowBytes();
    // Three rows of horizontal sums: above, this, below (edges repeated). The nine-sample sums
    // are built from them, three rows at a time.
    std::vector<uint16_t> sums(bytes * 3);
    uint16_t* above = sums.data();
    uint16_t* here = above + bytes;
    uint16_t* below = here + bytes;
    RowSums(in.Row(0), in.width, here);
    std::memcpy(above, here, bytes * sizeof(uint16_t));
    for (int row = 0; row < in.height; ++row) {
        if (row + 1 < in.height)
            RowSums(in.Row(row + 1), in.width, below);
        else
            std::memcpy(below, here, bytes * sizeof(uint16_t));
        const uint8_t* p = in.Row(row);
        uint8_t* to = out.Row(row);
        for (size_t i = 0; i < bytes; ++i) {
            const int s = above[i] + here[i] + below[i];
            const int scaled = (9 * p[i] - s) * strength;  // at most 2295 * 900, fits easily
            const int delta = scaled >= 0 ? (scaled + 4500) / 9000 : (scaled - 4500) / 9000;
            to[i] = static_cast<uint8_t>(std::clamp(p[i] + delta, 0, 255));
        }
        uint16_t* oldAbove = above;
        above = here;
        here = below;
        below = oldAbove;
    }
}

}  // namespace picture
