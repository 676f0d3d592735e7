// Whether a camera's MJPEG frame is already in the station's restricted form, and the copy
// that hands it on.
//
// The frame decoder takes exactly one form: start of image, quantisation tables in the frame,
// a baseline frame header with three components sampled 2x1, 1x1, 1x1 (one block high), a
// scan header with components 1, 2, 3 on tables 00, 11, 11, and entropy data coded with the
// standard Huffman tables, which the frame does not carry. Many UVC cameras send just that
// (UVC MJPEG leaves the Huffman tables out). Some carry the standard tables anyway, or
// application segments the decoder does not know: such a frame is still the same picture, so
// the copy leaves those segments out. Everything else (4:2:0, other Huffman tables, restart
// intervals, progressive frames, fill bytes between segments) is re-encoded (FrameReencoder).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace v4l2 {

// The byte ranges of a frame that make up its station form, in order.
struct PassThroughPlan {
    struct Range {
        size_t begin = 0;
        size_t end = 0;
    };
    static constexpr size_t kMaxRanges = 16;
    std::array<Range, kMaxRanges> ranges{};
    size_t count = 0;
    size_t bytes = 0;  // the length of the station form
};

// True when `frame` is a `width` x `height` picture whose station form is a copy of some of
// its bytes; `plan` then says which.
bool PlanPassThrough(std::span<const uint8_t> frame, int width, int height, PassThroughPlan& plan);

// Copies the planned ranges into `out`; the bytes written, or 0 when `out` is too small.
size_t CopyPassThrough(std::span<const uint8_t> frame, const PassThroughPlan& plan,
                       std::span<uint8_t> out);

}  // namespace v4l2
