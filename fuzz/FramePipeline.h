// One pass of an arbitrary byte string through the whole frame path as the device layer runs
// it: parse, decode into a fixed-size work buffer whatever the parse said, convert. Shared by
// the fuzz target and the test that replays the fuzz corpus.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"

namespace fuzzing {

// The work buffer is sized for 160 x 120, so frames that declare the camera's full 640 x 480
// (or more) exercise the refusal as well as the decode.
inline constexpr int kPipelineWidth = 160;
inline constexpr int kPipelineHeight = 120;

inline void RunFramePipeline(std::span<const uint8_t> frame) {
    static std::vector<uint8_t> work(kPipelineWidth * kPipelineHeight * 2);
    static std::vector<uint8_t> picture(kPipelineWidth * kPipelineHeight * 3);
    for (int mode = kDecodeModeYuyv; mode <= kDecodeModeRgbBottomUp; ++mode) {
        FrameDecoder* decoder = nullptr;
        if (CreateFrameDecoder(mode, &decoder) != 0) return;
        int width = 0, height = 0;
        // The device layer decodes even when the parse fails; so do we. The work-pixel mode
        // takes the frame twice, to carry header state from one frame to the next.
        const int passes = mode == kDecodeModeYuyv ? 2 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            ParseFrame(decoder, frame, &width, &height);
            DecodeFrame(decoder, mode <= kDecodeModeUyvy ? std::span<uint8_t>(work)
                                                         : std::span<uint8_t>(picture));
        }
        DestroyFrameDecoder(&decoder);
    }
    ConvertYuyvToBgr24(picture, kPipelineWidth, kPipelineHeight, work);
    ConvertYuyvToRgb565(picture, kPipelineWidth, kPipelineHeight, work);
    ConvertYuyvToGrey8(picture, kPipelineWidth, kPipelineHeight, work);
}

}  // namespace fuzzing
