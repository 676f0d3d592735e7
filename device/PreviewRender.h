// The live preview's pixels without a window: where the crop rectangle of the camera frame is
// shown for a rotation and a window size (the layout, built when one of them changes), and the
// per-frame pass that turns the bottom-up B G R frame into 32-bit pixels as shown.
//
// The pass does crop, turn and byte order together into memory the caller owns, so a frame
// costs one read of the pixels shown and no allocation. An upright picture is shown one to one
// from where the unclipped crop rectangle puts it; a turned one fills the whole window (its top
// edge along the right side for rotation 1, along the left for rotation 2).
#pragma once

#include "device/FrameGeometry.h"
#include "device/PreviewGeometry.h"

#include <cstddef>
#include <cstdint>
#include <span>

// What the preview is asked to show: the crop as the settings hold it (the picture as shown),
// the rotation and the window's size.
struct PreviewFraming {
    int32_t rotation = 0;
    int32_t cropWidth = 0;
    int32_t cropHeight = 0;
    int32_t cropOffsetX = 0;
    int32_t cropOffsetY = 0;
    frame::Size window;
    friend bool operator==(const PreviewFraming&, const PreviewFraming&) = default;
};

enum class PreviewShows {
    kNothing,  // a rotation the preview cannot show: the window is left as it is
    kBlack,    // the crop lies wholly outside the frame (or the window is empty)
    kPicture,
};

struct PreviewLayout {
    PreviewFraming framing;  // what the layout was built for
    PreviewShows shows = PreviewShows::kNothing;
    // The shown picture's place in the window and its size; the window around it is black.
    PlanePoint at;
    int32_t width = 0;
    int32_t height = 0;
    // Upright: the frame pixels shown, unscaled.
    FrameRect source;
    // Turned: per shown column the frame row it reads, per shown row the frame column.
    QuarterTurnMap turn;
};

// Fills `layout` for `framing`, reusing its storage.
void BuildPreviewLayout(const PreviewFraming& framing, PreviewLayout& layout);

// The camera frame as the camera layer writes it: frame::kHeight rows of `stride` bytes, the
// picture's bottom row first, each row frame::kWidth pixels of B G R.
struct BottomUpFrame {
    std::span<const uint8_t> bytes;
    size_t stride = 0;
};

// Rows of 0xffRRGGBB pixels, `stride` pixels apart, the top row first.
struct PixelRows {
    std::span<uint32_t> pixels;
    size_t stride = 0;
};

// Writes the layout's width x height picture into `out`. False, writing nothing, when the
// layout shows no picture or either memory is too small for it.
bool RenderPreview(const PreviewLayout& layout, BottomUpFrame frame, PixelRows out);
