// Our decoder against libjpeg's accurate integer decoding of the same camera frames: every Y,
// Cb and Cr sample must be identical, across scenes, sizes and quality settings.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "decoder/FrameDecoder.h"
#include "tests/decoder/TestFrames.h"

namespace {

using testframes::Scene;

struct Size {
    int width, height;
};

using ReferenceCase = std::tuple<Scene, Size, int>;

class ReferenceDecodeTest : public ::testing::TestWithParam<ReferenceCase> {};

TEST_P(ReferenceDecodeTest, SamplesMatchLibjpegToTheByte) {
    const auto [scene, size, quality] = GetParam();
    const auto rgb = testframes::RenderScene(scene, size.width, size.height, 7);
    const auto frame = testframes::EncodeCameraFrame(rgb, size.width, size.height, quality);
    ASSERT_FALSE(frame.empty());
    testframes::ReferencePlanes reference;
    ASSERT_TRUE(testframes::DecodeReferencePlanes(frame, reference));

    FrameDecoder* decoder = nullptr;
    ASSERT_EQ(CreateFrameDecoder(kDecodeModeYuyv, &decoder), 0);
    int width = 0, height = 0;
    ASSERT_EQ(ParseFrame(decoder, frame, &width, &height), 0);
    EXPECT_EQ(width, size.width);
    EXPECT_EQ(height, size.height);
    std::vector<uint8_t> yuyv(static_cast<size_t>(width) * height * 2);
    ASSERT_EQ(DecodeFrame(decoder, yuyv), 0);
    DestroyFrameDecoder(&decoder);

    // Only whole macroblocks are decoded: width / 16 per row, height / 8 rows.
    const int pairs = width / 16 * 8;
    int mismatches = 0;
    for (int y = 0; y < height / 8 * 8 && mismatches < 5; ++y)
        for (int p = 0; p < pairs && mismatches < 5; ++p) {
            const uint8_t* quad = &yuyv[(static_cast<size_t>(y) * width + 2 * p) * 2];
            const size_t luma = static_cast<size_t>(y) * reference.lumaWidth + 2 * p;
            const size_t chroma = static_cast<size_t>(y) * reference.chromaWidth + p;
            const bool same = quad[0] == reference.y[luma] && quad[2] == reference.y[luma + 1] &&
                              quad[1] == reference.cb[chroma] && quad[3] == reference.cr[chroma];
            if (!same) {
                ++mismatches;
                ADD_FAILURE() << "pair " << p << " of line " << y << ": ours Y " << int(quad[0])
                              << "," << int(quad[2]) << " Cb " << int(quad[1]) << " Cr "
                              << int(quad[3]) << ", reference Y " << int(reference.y[luma]) << ","
                              << int(reference.y[luma + 1]) << " Cb " << int(reference.cb[chroma])
                              << " Cr " << int(reference.cr[chroma]);
            }
        }
}

std::string CaseName(const ::testing::TestParamInfo<ReferenceCase>& info) {
    const Scene scene = std::get<0>(info.param);
    const Size size = std::get<1>(info.param);
    return std::string(testframes::SceneName(scene)) + "_" + std::to_string(size.width) + "x" +
           std::to_string(size.height) + "_Q" + std::to_string(std::get<2>(info.param));
}

INSTANTIATE_TEST_SUITE_P(CameraFrames, ReferenceDecodeTest,
                         ::testing::Combine(::testing::Values(Scene::kFlat, Scene::kGradient,
                                                              Scene::kFace, Scene::kEdges,
                                                              Scene::kNoise, Scene::kPlasma,
                                                              Scene::kGranite, Scene::kPhotograph),
                                            ::testing::Values(Size{640, 480}, Size{320, 240},
                                                              Size{16, 8}, Size{201, 60}),
                                            ::testing::Values(0, 50, 75, 95, 100)),
                         CaseName);

}  // namespace
