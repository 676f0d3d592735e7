// The live preview's layout and pixel pass (see PreviewRender.h).
#include "device/PreviewRender.h"

#include <algorithm>

namespace {

// A picture place far outside any window: an upright crop offset far beyond the frame puts
// the picture there, and it must stay representable as a window coordinate.
constexpr int64_t kFarAway = 1 << 20;

// The start of picture row `row` (0 = top) in the bottom-up frame.
inline const uint8_t* FrameRow(const BottomUpFrame& frame, int32_t row) {
    return frame.bytes.data() + static_cast<size_t>(frame::kHeight - 1 - row) * frame.stride;
}

inline uint32_t Rgb32FromBgr(const uint8_t* bgr) {
    return 0xff000000u | uint32_t{bgr[2]} << 16 | uint32_t{bgr[1]} << 8 | bgr[0];
}

bool HoldsFrame(const BottomUpFrame& frame) {
    constexpr size_t kRowBytes = size_t{frame::kWidth} * 3;
    return frame.stride >= kRowBytes &&
           frame.bytes.size() >= (frame::kHeight - 1) * frame.stride + kRowBytes;
}

bool HoldsPicture(const PixelRows& out, int32_t width, int32_t height) {
    const auto w = static_cast<size_t>(width);
    return width > 0 && height > 0 && out.stride >= w &&
           out.pixels.size() >= static_cast<size_t>(height - 1) * out.stride + w;
}

void RenderUpright(const FrameRect& source, const BottomUpFrame& frame, const PixelRows& out) {
    for (int32_t row = 0; row < source.height; ++row) {
        const uint8_t* in = FrameRow(frame, source.y + row) + static_cast<size_t>(source.x) * 3;
        uint32_t* shown = out.pixels.data() + static_cast<size_t>(row) * out.stride;
        for (int32_t column = 0; column < source.width; ++column, in += 3) {
            shown[column] = Rgb32FromBgr(in);
        }
    }
}

// Each shown column reads one frame row, so going row by row would stride through the whole
// frame for every shown row. Bands of eight shown rows read eight nearby pixels of a frame row
// per column and keep eight output rows streaming instead.
void RenderTurned(const QuarterTurnMap& turn, const BottomUpFrame& frame, const PixelRows& out) {
    constexpr int32_t kBand = 8;
    const int32_t width = turn.windowWidth;
    const int32_t height = turn.windowHeight;
    for (int32_t bandTop = 0; bandTop < height; bandTop += kBand) {
        const int32_t bandRows = std::min(kBand, height - bandTop);
        uint32_t* shown[kBand];
        size_t columnByte[kBand];
        for (int32_t k = 0; k < bandRows; ++k) {
            const auto row = static_cast<size_t>(bandTop + k);
            shown[k] = out.pixels.data() + row * out.stride;
            columnByte[k] = static_cast<size_t>(turn.frameColumnOfRow[row]) * 3;
        }
        const int32_t* frameRowOfColumn = turn.frameRowOfColumn.data();
        for (int32_t column = 0; column < width; ++column) {
            const uint8_t* frameRow = FrameRow(frame, frameRowOfColumn[column]);
            for (int32_t k = 0; k < bandRows; ++k) {
                shown[k][column] = Rgb32FromBgr(frameRow + columnByte[k]);
            }
        }
    }
}

}  // namespace

void BuildPreviewLayout(const PreviewFraming& framing, PreviewLayout& layout) {
    layout.framing = framing;
    layout.shows = PreviewShows::kNothing;
    layout.at = {};
    layout.width = layout.height = 0;
    layout.turn.frameRowOfColumn.clear();
    layout.turn.frameColumnOfRow.clear();
    layout.source =
        ClipToFrame(PreviewSourceRect(framing.rotation, framing.cropWidth, framing.cropHeight,
                                      framing.cropOffsetX, framing.cropOffsetY),
                    frame::kWidth, frame::kHeight);
    if (framing.rotation == 0) {
        if (layout.source.IsEmpty()) {
            layout.shows = PreviewShows::kBlack;
            return;
        }
        // Unscaled: a pixel stays where the unclipped crop rectangle would put it.
        layout.at = {static_cast<int32_t>(
                         std::min(int64_t{layout.source.x} - framing.cropOffsetX, kFarAway)),
                     static_cast<int32_t>(
                         std::min(int64_t{layout.source.y} - framing.cropOffsetY, kFarAway))};
        layout.width = layout.source.width;
        layout.height = layout.source.height;
        layout.shows = PreviewShows::kPicture;
    } else if (frame::QuarterTurn(framing.rotation)) {
        const auto corners =
            QuarterTurnCorners(framing.rotation, framing.window.width, framing.window.height);
        if (!BuildQuarterTurnMap(corners, layout.source, layout.turn)) {
            layout.shows = PreviewShows::kBlack;
            return;
        }
        layout.at = {layout.turn.windowLeft, layout.turn.windowTop};
        layout.width = layout.turn.windowWidth;
        layout.height = layout.turn.windowHeight;
        layout.shows = PreviewShows::kPicture;
    }
}

bool RenderPreview(const PreviewLayout& layout, BottomUpFrame frame, PixelRows out) {
    if (layout.shows != PreviewShows::kPicture || !HoldsFrame(frame) ||
        !HoldsPicture(out, layout.width, layout.height)) {
        return false;
    }
    if (layout.framing.rotation == 0) {
        RenderUpright(layout.source, frame, out);
    } else {
        RenderTurned(layout.turn, frame, out);
    }
    return true;
}
