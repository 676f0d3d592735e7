// ReadCameraFrame: the program's path (compressed frames decoded and converted to 24-bit
// bottom-up pictures), every pass-through format, buffer lifetime across streaming, short and
// oversize frames, and a height change while streaming.
#include <gmock/gmock.h>

#include <algorithm>

#include "tests/device/CameraFixture.h"
#include "tests/support/CameraJpeg.h"

using ::testing::Each;
using ::testing::ElementsAre;
using zelvo_test::MakeCameraJpeg;
using zelvo_test::MakeUniformCameraJpeg;
using zelvo_test::Rgb;

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr size_t kPicture = kWidth * kHeight * 3;

// Top half light, bottom half dark: shows which way up the picture came out.
std::vector<uint8_t> TwoToneFrame(int width = kWidth, int height = kHeight) {
    return MakeCameraJpeg(width, height, [height](int, int y) {
        return y < height / 2 ? Rgb{200, 200, 200} : Rgb{40, 40, 40};
    });
}

bool Near(int value, int expected) {
    return std::abs(value - expected) <= 3;
}

}  // namespace

class CameraFramesTest : public CameraTest {
  protected:
    // As camera start-up leaves it: 640 x 480, 24-bit output, host decoding, streaming.
    void SetUp() override {
        CameraTest::SetUp();
        Open();
        ASSERT_EQ(SetCameraProperty(kPropSizePreset, 6), kCameraOk);
        ASSERT_EQ(SetCameraProperty(kPropOutputFormat, kFormatBgr24), kCameraOk);
        ASSERT_EQ(SetCameraProperty(kPropHostDecoding, 1), kCameraOk);
        ASSERT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
        driver.ClearRecord();
    }

    uint32_t LastReadBytes() {
        uint32_t bytes = 0;
        EXPECT_EQ(GetCameraProperty(kPropLastReadBytes, &bytes, 4), kCameraOk);
        return bytes;
    }

    std::vector<uint8_t> picture = std::vector<uint8_t>(kPicture, 0xAA);
    uint32_t returned = 12345;
};

TEST_F(CameraFramesTest, ClosedCameraTouchesNothing) {
    CloseCamera();
    driver.ClearRecord();
    driver.frames.push_back(TwoToneFrame());
    EXPECT_EQ(ReadCameraFrame(picture, &returned), kCameraFailed);
    EXPECT_THAT(picture, Each(0xAA));
    EXPECT_EQ(returned, 12345u);
    EXPECT_TRUE(driver.Requests().empty());
}

TEST_F(CameraFramesTest, DecodesAndConvertsBottomRowFirst) {
    const std::vector<uint8_t> frame = TwoToneFrame();
    driver.frames.push_back(frame);
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_EQ(returned, kPicture);
    EXPECT_EQ(LastReadBytes(), frame.size());
    EXPECT_THAT(driver.Transcript(),
                ElementsAre("frame 921600 -> " + std::to_string(frame.size()) + " @ 0 ms"));
    // Memory row 0 is the bottom of the picture (dark), the last row its top (light).
    EXPECT_TRUE(Near(picture[0], 40) && Near(picture[1], 40) && Near(picture[2], 40));
    EXPECT_TRUE(Near(picture[kPicture - 1], 200) && Near(picture[kPicture - 3], 200));

    const CameraState& state = CurrentCameraState();
    EXPECT_EQ(state.workBuffer.size, kWidth * kHeight * 2u);
    EXPECT_EQ(state.frameBuffer.size, kPicture);
    // The next frame reuses both buffers.
    const uint8_t* work = state.workBuffer.data.get();
    const uint8_t* compressed = state.frameBuffer.data.get();
    driver.frames.push_back(MakeUniformCameraJpeg(kWidth, kHeight, {128, 128, 128}));
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_EQ(state.workBuffer.data.get(), work);
    EXPECT_EQ(state.frameBuffer.data.get(), compressed);
    EXPECT_THAT(picture, Each(128));
}

TEST_F(CameraFramesTest, StreamingOffFreesBuffersAndOnAllocatesAfresh) {
    driver.frames.push_back(TwoToneFrame());
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 0), kCameraOk);
    const CameraState& state = CurrentCameraState();
    EXPECT_EQ(state.workBuffer.data, nullptr);
    EXPECT_EQ(state.frameBuffer.data, nullptr);
    EXPECT_EQ(state.workBuffer.size + state.frameBuffer.size, 0u);
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
    EXPECT_EQ(state.workBuffer.data, nullptr) << "allocated by the first read, not by streaming";
    driver.frames.push_back(TwoToneFrame());
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_EQ(state.workBuffer.size, kWidth * kHeight * 2u);
    EXPECT_EQ(state.frameBuffer.size, kPicture);
}

TEST_F(CameraFramesTest, ShortReadStillDecodesWhatArrived) {
    std::vector<uint8_t> frame = MakeUniformCameraJpeg(kWidth, kHeight, {128, 128, 128});
    driver.frames.push_back(frame);
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);  // fills the work buffer grey
    EXPECT_TRUE(LastFrameWasWhole());
    frame = TwoToneFrame();
    frame.resize(frame.size() / 8);  // the top of the picture only
    driver.frames.push_back(frame);
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_FALSE(LastFrameWasWhole());
    EXPECT_EQ(returned, kPicture);
    EXPECT_EQ(LastReadBytes(), frame.size());
    EXPECT_TRUE(Near(picture[kPicture - 1], 200)) << "the top rows that arrived are decoded";
}

TEST_F(CameraFramesTest, UnparsableFrameIsDecodedWithTheHeadersAlreadyKnown) {
    driver.frames.push_back(TwoToneFrame());
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    driver.frames.push_back(std::vector<uint8_t>(500, 0x11));
    EXPECT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_EQ(LastReadBytes(), 500u);
}

TEST_F(CameraFramesTest, OversizeFrameIsRejectedWithTheCallerBufferUntouched) {
    struct Case {
        const char* name;
        int width, height;
    };
    for (const Case c :
         {Case{"wider", 656, 480}, Case{"taller", 640, 488}, Case{"both", 1280, 960}}) {
        SCOPED_TRACE(c.name);
        std::fill(picture.begin(), picture.end(), 0xAA);
        returned = 12345;
        driver.frames.push_back(MakeUniformCameraJpeg(c.width, c.height, {128, 128, 128}));
        EXPECT_EQ(ReadCameraFrame(picture, &returned), kCameraFailed);
        EXPECT_THAT(picture, Each(0xAA));
        EXPECT_EQ(returned, 12345u);
    }
    // A smaller frame fits and is decoded into the top left of the work buffer.
    driver.frames.push_back(MakeUniformCameraJpeg(320, 240, {128, 128, 128}));
    EXPECT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
}

TEST_F(CameraFramesTest, HeightChangeWhileStreamingResizesTheFrames) {
    driver.frames.push_back(TwoToneFrame());
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    // Lowering the height is applied (answered with 7); the buffers follow the new size.
    ASSERT_EQ(SetCameraProperty(kPropImageHeight, 240), kCameraRefused);
    EXPECT_EQ(CurrentCameraState().workBuffer.data, nullptr);
    driver.frames.push_back(TwoToneFrame(640, 240));
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_EQ(returned, 640u * 240 * 3);
    EXPECT_EQ(CurrentCameraState().workBuffer.size, 640u * 240 * 2);
    EXPECT_EQ(CurrentCameraState().frameBuffer.size, 640u * 240 * 3);
    // Raising it again to more than the old buffers held: the next read sizes them for it,
    // so the conversion of 1024 rows stays inside the work buffer and asks a bigger picture.
    ASSERT_EQ(SetCameraProperty(kPropImageHeight, 1024), kCameraRefused);
    driver.frames.push_back(TwoToneFrame(640, 1024));
    EXPECT_EQ(ReadCameraFrame(picture, &returned), kCameraBufferTooSmall);
    std::vector<uint8_t> tall(640 * 1024 * 3, 0);
    ASSERT_EQ(ReadCameraFrame(tall, &returned), kCameraOk);
    EXPECT_EQ(returned, tall.size());
    EXPECT_EQ(CurrentCameraState().workBuffer.size, 640u * 1024 * 2);
}

TEST_F(CameraFramesTest, CallerBufferSmallerThanThePictureIsRefusedBeforeReading) {
    driver.frames.push_back(TwoToneFrame());
    std::vector<uint8_t> small(kPicture - 1, 0xAA);
    EXPECT_EQ(ReadCameraFrame(small, &returned), kCameraBufferTooSmall);
    EXPECT_THAT(small, Each(0xAA));
    EXPECT_TRUE(driver.Requests().empty());
    EXPECT_EQ(driver.frames.size(), 1u) << "the frame stays with the driver";
}

TEST_F(CameraFramesTest, FailedDriverReadAnswers1) {
    driver.frames.push_back(TwoToneFrame());
    driver.FailNextRequests(1);
    EXPECT_EQ(ReadCameraFrame(picture, &returned), kCameraFailed);
    EXPECT_EQ(returned, 12345u);
    driver.frames.clear();
    EXPECT_EQ(ReadCameraFrame(picture, &returned), kCameraFailed) << "no frame to give";
}

TEST_F(CameraFramesTest, CameraPixelsAreConvertedWithoutDecoding) {
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 0), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropHostDecoding, 0), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropOutputFormat, kFormatGrey8), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
    driver.ClearRecord();
    // Y runs with the row number, Cb and Cr stay neutral.
    std::vector<uint8_t> yuyv(kWidth * kHeight * 2);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth * 2; ++x)
            yuyv[y * kWidth * 2 + x] = x % 2 == 0 ? static_cast<uint8_t>(y) : 128;
    driver.frames.push_back(std::vector<uint8_t>(yuyv.begin(), yuyv.end() - 2));
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_FALSE(LastFrameWasWhole()) << "one pixel pair short";
    driver.frames.push_back(yuyv);
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_TRUE(LastFrameWasWhole());
    EXPECT_EQ(returned, static_cast<uint32_t>(kWidth * kHeight));
    EXPECT_EQ(picture[0], static_cast<uint8_t>(kHeight - 1)) << "last camera row first";
    EXPECT_EQ(picture[kWidth * (kHeight - 1)], 0);
    EXPECT_EQ(picture[kWidth * kHeight], 0xAA) << "nothing past the grey picture";
    EXPECT_THAT(driver.Transcript(),
                ElementsAre("frame 614400 -> 614398 @ 0 ms", "frame 614400 -> 614400 @ 0 ms"));
}

TEST_F(CameraFramesTest, HostDecodingSwitchedOffWhileStreamingReadsNoMoreThanTheWorkBuffer) {
    // Streaming started with host decoding, so the read size is 3 bytes per pixel; the camera
    // pixels now land in the 2-byte work buffer, which bounds the read.
    ASSERT_EQ(SetCameraProperty(kPropHostDecoding, 0), kCameraOk);
    driver.frames.push_back(std::vector<uint8_t>(kPicture, 128));
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_THAT(driver.Transcript(), ElementsAre("frame 614400 -> 614400 @ 0 ms"));
}

TEST_F(CameraFramesTest, YuyvFormatCopiesTheWorkBuffer) {
    CameraStateForTests().settings.outputFormat = kFormatYuyv;
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
    driver.frames.push_back(MakeUniformCameraJpeg(kWidth, kHeight, {128, 128, 128}));
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_EQ(returned, kWidth * kHeight * 2u);
    EXPECT_TRUE(std::all_of(picture.begin(), picture.begin() + kWidth * kHeight * 2,
                            [](uint8_t b) { return b == 128; }));
    EXPECT_EQ(picture[kWidth * kHeight * 2], 0xAA);

    // Without host decoding the driver's bytes go straight to the caller, up to its size.
    CameraStateForTests().settings.hostDecoding = 0;
    driver.frames.push_back({1, 2, 3, 4, 5});
    std::vector<uint8_t> small(3, 0);
    ASSERT_EQ(ReadCameraFrame(small, &returned), kCameraOk);
    EXPECT_THAT(small, ElementsAre(1, 2, 3));
    EXPECT_EQ(returned, 3u);
}

TEST_F(CameraFramesTest, RawFormatsPassTheDriverBytesThrough) {
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 0), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropOutputFormat, kFormatRaw), kCameraOk);
    ASSERT_EQ(SetCameraProperty(kPropStreaming, 1), kCameraOk);
    driver.ClearRecord();

    // Format 11: up to the caller's size; returned and the last read count both set.
    driver.frames.push_back({9, 8, 7, 6, 5, 4});
    std::vector<uint8_t> caller(4, 0);
    ASSERT_EQ(ReadCameraFrame(caller, &returned), kCameraOk);
    EXPECT_THAT(caller, ElementsAre(9, 8, 7, 6));
    EXPECT_EQ(returned, 4u);
    EXPECT_EQ(LastReadBytes(), 4u);

    // Format 19: up to the read size; returned is left alone.
    CameraStateForTests().settings.outputFormat = kFormatRawFull;
    driver.frames.push_back({1, 2, 3});
    returned = 12345;
    ASSERT_EQ(ReadCameraFrame(picture, &returned), kCameraOk);
    EXPECT_THAT(std::vector<uint8_t>(picture.begin(), picture.begin() + 4),
                ElementsAre(1, 2, 3, 0xAA));
    EXPECT_EQ(returned, 12345u);
    EXPECT_EQ(LastReadBytes(), 3u);
    std::vector<uint8_t> tooSmall(kPicture - 1);
    EXPECT_EQ(ReadCameraFrame(tooSmall, &returned), kCameraBufferTooSmall);
    EXPECT_THAT(driver.Transcript(),
                ElementsAre("frame 4 -> 4 @ 0 ms", "frame 921600 -> 3 @ 0 ms"));
}
