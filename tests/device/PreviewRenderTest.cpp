// The preview's pixel pass against a plain reference: every shown pixel of a frame whose
// pixels encode their own coordinates is the frame pixel under its centre, taken from the
// crop of the picture as shown (upright or turned), for every rotation and a few crops.
#include "device/PreviewRender.h"
#include "tests/support/RowName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr size_t kStride = size_t{frame::kWidth} * 3 + 4;  // rows padded, as a frame may be
constexpr uint32_t kUntouched = 0x12345678;                // no alpha: never a shown pixel

// The pixel at upright frame column x, row y (0 = top): B and G the low bytes of x and y, R
// their high bits.
uint32_t Encode(int32_t x, int32_t y) {
    return 0xff000000u | uint32_t(x >> 8 | (y >> 8) << 4) << 16 | uint32_t(y & 0xff) << 8 |
           uint32_t(x & 0xff);
}

const std::vector<uint8_t>& BottomUpTestFrame() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(kStride * frame::kHeight, 0xee);
        for (int32_t y = 0; y < frame::kHeight; ++y) {
            uint8_t* row = b.data() + (frame::kHeight - 1 - y) * kStride;
            for (int32_t x = 0; x < frame::kWidth; ++x) {
                const uint32_t p = Encode(x, y);
                row[3 * x] = uint8_t(p);
                row[3 * x + 1] = uint8_t(p >> 8);
                row[3 * x + 2] = uint8_t(p >> 16);
            }
        }
        return b;
    }();
    return bytes;
}

// The upright frame pixel at (u, v) of the picture as shown: turned clockwise, shown (u, v) is
// upright (v, 479 - u); anticlockwise, upright (639 - v, u).
uint32_t ShownPicture(int32_t rotation, int32_t u, int32_t v) {
    return rotation == 1   ? Encode(v, frame::kHeight - 1 - u)
           : rotation == 2 ? Encode(frame::kWidth - 1 - v, u)
                           : Encode(u, v);
}

struct RenderRow {
    const char* name;
    PreviewFraming framing;
};

class RenderPreviewTest : public testing::TestWithParam<RenderRow> {};

TEST_P(RenderPreviewTest, EveryShownPixelIsThePictureUnderItsCentre) {
    const PreviewFraming& f = GetParam().framing;
    PreviewLayout layout;
    BuildPreviewLayout(f, layout);
    ASSERT_EQ(layout.shows, PreviewShows::kPicture);

    // The crop's part inside the picture as shown; it fills the window when turned and is shown
    // one to one where the crop puts it when upright.
    const frame::Size shown = frame::Shown(f.rotation);
    const int32_t left = std::max(f.cropOffsetX, 0), top = std::max(f.cropOffsetY, 0);
    const int32_t w = std::min(f.cropOffsetX + f.cropWidth, shown.width) - left;
    const int32_t h = std::min(f.cropOffsetY + f.cropHeight, shown.height) - top;
    const bool turned = f.rotation != 0;
    EXPECT_EQ(layout.at.x, turned ? 0 : left - f.cropOffsetX);
    EXPECT_EQ(layout.at.y, turned ? 0 : top - f.cropOffsetY);
    const int32_t outW = turned ? f.window.width : w, outH = turned ? f.window.height : h;
    ASSERT_EQ(layout.width, outW);
    ASSERT_EQ(layout.height, outH);

    const size_t outStride = size_t(outW) + 3;  // padding that must stay untouched
    std::vector<uint32_t> out(outStride * size_t(outH), kUntouched);
    ASSERT_TRUE(RenderPreview(layout, {BottomUpTestFrame(), kStride}, {out, outStride}));
    std::vector<uint32_t> want(out.size(), kUntouched);
    for (size_t i = 0; i < want.size(); ++i) {
        const auto x = int32_t(i % outStride), y = int32_t(i / outStride);
        if (x < outW)  // the pixel under the centre of shown pixel (x, y)
            want[i] = ShownPicture(f.rotation, left + (2 * x + 1) * w / (2 * outW),
                                   top + (2 * y + 1) * h / (2 * outH));
    }
    const size_t wrong =
        size_t(std::mismatch(out.begin(), out.end(), want.begin()).first - out.begin());
    EXPECT_EQ(wrong, out.size()) << "first wrong pixel: (" << wrong % outStride << ", "
                                 << wrong / outStride << ")";
}

// Crops as the settings hold them: the picture as shown, offsets from its top-left corner.
INSTANTIATE_TEST_SUITE_P(
    Crops, RenderPreviewTest,
    testing::Values(RenderRow{"UprightWholeFrame", {0, 640, 480, 0, 0, {640, 480}}},
                    RenderRow{"UprightInside", {0, 320, 240, 100, 50, {320, 240}}},
                    RenderRow{"UprightOddMargins", {0, 623, 467, 8, 7, {623, 467}}},
                    RenderRow{"UprightLargerThanFrame", {0, 700, 500, -30, -10, {640, 480}}},
                    RenderRow{"UprightRunsOffRightAndBottom", {0, 100, 100, 600, 400, {40, 80}}},
                    RenderRow{"Turned90OneToOne", {1, 480, 600, 0, 20, {480, 600}}},
                    RenderRow{"Turned270OneToOne", {2, 480, 600, 0, 20, {480, 600}}},
                    RenderRow{"Turned90Stretched", {1, 240, 300, 100, 150, {480, 600}}},
                    RenderRow{"Turned270Stretched", {2, 240, 300, 100, 150, {480, 600}}},
                    // Three frame rows to two shown columns: no centre falls on a pixel's edge.
                    RenderRow{"Turned90Shrunk", {1, 480, 640, 0, 0, {320, 400}}},
                    RenderRow{"Turned270OddSizes", {2, 357, 475, 61, 82, {357, 475}}},
                    RenderRow{"Turned90LargerThanFrame", {1, 500, 700, -10, -30, {480, 600}}}),
    RowName{});

TEST(RenderPreview, ShowsNoPictureForAnUnknownRotationOrACropOutsideTheFrame) {
    struct Case {
        const char* name;
        PreviewFraming framing;
        PreviewShows shows;
    };
    const Case cases[] = {
        {"rotation 3", {3, 480, 600, 0, 20, {480, 600}}, PreviewShows::kNothing},
        {"rotation -1", {-1, 640, 480, 0, 0, {640, 480}}, PreviewShows::kNothing},
        {"upright, right of the frame", {0, 100, 100, 700, 0, {100, 100}}, PreviewShows::kBlack},
        {"turned, below the frame", {1, 100, 100, 0, 700, {100, 100}}, PreviewShows::kBlack},
        {"turned, empty window", {2, 480, 640, 0, 0, {0, 640}}, PreviewShows::kBlack},
    };
    std::vector<uint32_t> out(640 * 640, kUntouched);
    for (const Case& c : cases) {
        PreviewLayout layout;
        BuildPreviewLayout(c.framing, layout);
        EXPECT_EQ(layout.shows, c.shows) << c.name;
        EXPECT_FALSE(RenderPreview(layout, {BottomUpTestFrame(), kStride}, {out, 640})) << c.name;
    }
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint32_t p) { return p == kUntouched; }));
}

TEST(RenderPreview, RefusesMemoryTooSmallForTheFrameOrThePicture) {
    PreviewLayout layout;
    BuildPreviewLayout({1, 480, 640, 0, 0, {480, 640}}, layout);
    const std::vector<uint8_t>& frame = BottomUpTestFrame();
    std::vector<uint32_t> out(480 * 640, kUntouched);
    const std::span<const uint8_t> shortFrame(frame.data(), frame.size() - kStride);
    EXPECT_FALSE(RenderPreview(layout, {shortFrame, kStride}, {out, 480}));
    EXPECT_FALSE(RenderPreview(layout, {frame, 640 * 3 - 1}, {out, 480}));  // rows overlap
    EXPECT_FALSE(
        RenderPreview(layout, {frame, kStride}, {std::span(out).first(out.size() - 1), 480}));
    EXPECT_FALSE(RenderPreview(layout, {frame, kStride}, {out, 479}));
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint32_t p) { return p == kUntouched; }));
    EXPECT_TRUE(RenderPreview(layout, {frame, kStride}, {out, 480}));
}

}  // namespace
