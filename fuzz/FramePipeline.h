// An arbitrary byte string through the whole frame path as the device layer runs it: parse,
// decode into a fixed-size work buffer whatever the parse said, convert. Shared by
// the fuzz target and the test that replays the fuzz corpus.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"

namespace fuzzing {

// The work buffer is sized for 160 x 120, so frames that declare the camera's full 640 x 480
// (or more) exercise the refusal as well as the decode.
inline constexpr int kPipelineWidth = 160;
inline constexpr int kPipelineHeight = 120;

// An input holding a second start of image is taken as two frames in a row, so header state
// left by one frame (a failed parse included) meets the next.
inline std::pair<std::span<const uint8_t>, std::span<const uint8_t>> SplitFrames(
    std::span<const uint8_t> input) {
    for (size_t i = input.size(); i-- > 2;) {
        if (input[i - 1] == 0xFF && input[i] == 0xD8) {
            return {input.first(i - 1), input.subspan(i - 1)};
        }
    }
    return {input, input};
}

inline void RunFramePipeline(std::span<const uint8_t> input) {
    static std::vector<uint8_t> work(kPipelineWidth * kPipelineHeight * 2);
    static std::vector<uint8_t> picture(kPipelineWidth * kPipelineHeight * 3);
    const auto [first, second] = SplitFrames(input);
    for (int mode = kDecodeModeYuyv; mode <= kDecodeModeRgbBottomUp; ++mode) {
        FrameDecoder* decoder = nullptr;
        if (CreateFrameDecoder(mode, &decoder) != 0)
            return;
        const std::span<uint8_t> output =
            mode <= kDecodeModeUyvy ? std::span<uint8_t>(work) : std::span<uint8_t>(picture);
        // The device layer decodes even when the parse fails; so do we.
        for (std::span<const uint8_t> frame : {first, second}) {
            int width = 0, height = 0;
            ParseFrame(decoder, frame, &width, &height);
            DecodeFrame(decoder, output);
        }
        DestroyFrameDecoder(&decoder);
    }
    ConvertYuyvToBgr24(picture, kPipelineWidth, kPipelineHeight, work);
    ConvertYuyvToRgb565(picture, kPipelineWidth, kPipelineHeight, work);
    ConvertYuyvToGrey8(picture, kPipelineWidth, kPipelineHeight, work);
}

}  // namespace fuzzing
