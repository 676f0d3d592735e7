// Pictures of 24-bit pixels, B G R per pixel, row 0 at the top, and the operations the capture
// needs on them: cutting a rectangle, quarter turns, the vertical stretch and sharpening. The
// operations read one picture and write another of the size they name; views let a caller
// keep the pixels in memory of its own (rows may be padded: `stride` is the distance between
// row starts in bytes).
//
// The stretch resamples each column linearly, with the centres of the first and last rows kept
// apart the way the picture's height says: output row y samples source position
//
//     s = (y + 1/2) * H_in / H_out - 1/2,   clamped to 0 .. H_in - 1,
//
// blending rows floor(s) and floor(s) + 1 by the fraction of s, in 1/256 steps with rounding.
// Stretching 239 rows to 480 thus lays each kept row over two output rows, blending neighbours
// at the half steps, which is what a single lit field needs to look like a whole frame again.
//
// Sharpening is an unsharp mask over the 3 x 3 neighbourhood, channel by channel:
//
//     out = p + a * (p - m),    m = mean of the 9 pixels around and including p,
//                               a = strength / 1000   (200 -> 0.2, 250 -> 0.25, 600 -> 0.6,
//                                                      900 -> 0.9)
//
// clamped to 0..255. In integers, with S the sum of the nine samples, p - m = (9p - S) / 9, so
// out = p + (9p - S) * strength / 9000, rounded half away from zero. Pixels outside the picture
// repeat the nearest edge pixel, so a flat picture stays flat up to its border.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace picture {

inline constexpr int kBytesPerPixel = 3;

// Pixels in someone's memory.
template <class Byte>
struct BasicView {
    Byte* data = nullptr;
    int width = 0;
    int height = 0;
    ptrdiff_t stride = 0;

    Byte* Row(int row) const { return data + row * stride; }
    operator BasicView<const uint8_t>() const { return {data, width, height, stride}; }
    size_t RowBytes() const { return static_cast<size_t>(width) * kBytesPerPixel; }
};
using View = BasicView<uint8_t>;
using ConstView = BasicView<const uint8_t>;

// A picture that owns its pixels, rows unpadded.
class Picture {
  public:
    Picture() = default;
    Picture(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsEmpty() const { return width_ <= 0 || height_ <= 0; }
    View Pixels() { return {bytes_.data(), width_, height_, Stride()}; }
    ConstView Pixels() const { return {bytes_.data(), width_, height_, Stride()}; }
    std::span<uint8_t> RowBytes(int row) {
        return std::span(bytes_).subspan(static_cast<size_t>(row) * Stride(),
                                         static_cast<size_t>(Stride()));
    }

  private:
    ptrdiff_t Stride() const { return ptrdiff_t{width_} * kBytesPerPixel; }
    int width_ = 0;
    int height_ = 0;
    std::vector<uint8_t> bytes_;
};

// The rectangle of `in` at (left, top), `width` x `height`, which the caller has checked lies
// inside it: a view of the same memory.
ConstView Cut(ConstView in, int left, int top, int width, int height);
// Copies `in` into `out` (the same size).
void Copy(ConstView in, View out);
// `in` turned a quarter, clockwise (the top row becomes the right column) or anticlockwise,
// into `out` (height x width of `in`).
void TurnQuarter(ConstView in, View out, bool clockwise);
// `in` stretched or shrunk vertically to out.height rows (out.width == in.width).
void Stretch(ConstView in, View out);
// True for the strengths sharpening takes: 200, 250, 600, 900.
bool IsSharpenStrength(int strength);
// `in` sharpened at `strength` into `out` (the same size).
void Sharpen(ConstView in, View out, int strength);

}  // namespace picture
