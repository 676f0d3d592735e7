// The V4L2 device: why an open fails, what it chooses, and how frames are taken off the queue
// when the camera misbehaves.
#include <fcntl.h>
#include <gtest/gtest.h>

#include "platform/system/Clock.h"
#include "tests/support/RowName.h"
#include "tests/v4l2/FakeV4l2.h"
#include "v4l2/V4l2Device.h"

namespace {

using v4l2::OpenFailure;
using zelvo_test::FakeV4l2;

struct OpenCase {
    const char* name;
    void (*arrange)(FakeV4l2&);
    OpenFailure expected;
};

const OpenCase kOpenCases[] = {
    {"Opens", [](FakeV4l2&) {}, OpenFailure::kNone},
    {"Missing", [](FakeV4l2& f) { f.openError = ENOENT; }, OpenFailure::kNoSuchDevice},
    {"NotInVideoGroup", [](FakeV4l2& f) { f.openError = EACCES; }, OpenFailure::kPermissionDenied},
    {"BusyAtOpen", [](FakeV4l2& f) { f.openError = EBUSY; }, OpenFailure::kBusy},
    {"BusyAtFormat", [](FakeV4l2& f) { f.failWith[VIDIOC_S_FMT] = EBUSY; }, OpenFailure::kBusy},
    {"Directory", [](FakeV4l2& f) { f.openError = EISDIR; }, OpenFailure::kNotCaptureDevice},
    {"NotV4l2", [](FakeV4l2& f) { f.answersQueryCap = false; }, OpenFailure::kNotCaptureDevice},
    {"MetadataNode", [](FakeV4l2& f) { f.nodeCaps = V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING; },
     OpenFailure::kNotCaptureDevice},
    {"NoStreamingIo", [](FakeV4l2& f) { f.nodeCaps = V4L2_CAP_VIDEO_CAPTURE; },
     OpenFailure::kNotCaptureDevice},
    {"OnlyH264", [](FakeV4l2& f) { f.formats = {V4L2_PIX_FMT_H264}; },
     OpenFailure::kNoUsableFormat},
    {"No640x480",
     [](FakeV4l2& f) {
         f.sizes.assign(1, {1280, 720});
     },
     OpenFailure::kNoUsableFormat},
    {"UnpluggedDuringOpen", [](FakeV4l2& f) { f.failWith[VIDIOC_QUERYCAP] = ENODEV; },
     OpenFailure::kNoSuchDevice},
};

class OpenTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(OpenTest, GivesTheReason) {
    FakeV4l2 fake;
    GetParam().arrange(fake);
    v4l2::V4l2Device device(fake);
    EXPECT_EQ(device.Open("/dev/video0"), GetParam().expected);
    EXPECT_EQ(device.IsOpen(), GetParam().expected == OpenFailure::kNone);
    EXPECT_EQ(fake.openFds, device.IsOpen() ? 1 : 0) << "a failed open leaves nothing open";
    if (device.IsOpen()) {
        EXPECT_EQ(fake.openFlags, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    }
}

INSTANTIATE_TEST_SUITE_P(V4l2Device, OpenTest, ::testing::ValuesIn(kOpenCases), RowName{});

// The same reasons from the system itself, for the paths people mistype.
TEST(V4l2DeviceSystem, PathsThatAreNoCamera) {
    const std::pair<const char*, OpenFailure> cases[] = {
        {"/nonexistent/video0", OpenFailure::kNoSuchDevice},
        {"/dev/null", OpenFailure::kNotCaptureDevice},
        {"/tmp", OpenFailure::kNotCaptureDevice},
    };
    for (const auto& [path, expected] : cases) {
        v4l2::V4l2Device device(v4l2::SystemV4l2Operations());
        EXPECT_EQ(device.Open(path), expected) << path;
        EXPECT_EQ(v4l2::OpenFailureText(expected, path).find('\n'), std::string::npos);
    }
}

TEST(V4l2Device, PrefersMjpegAndTheFastestRateUpTo30) {
    struct Case {
        const char* name;
        std::vector<uint32_t> formats;
        std::vector<v4l2::Interval> intervals;
        uint32_t pixelFormat;
        v4l2::Interval chosen;
    };
    const Case cases[] = {
        Case("both formats", {V4L2_PIX_FMT_YUYV, V4L2_PIX_FMT_MJPEG}, {{1, 60}, {1, 30}, {1, 15}},
             V4L2_PIX_FMT_MJPEG, {1, 30}),
        Case("YUYV only", {V4L2_PIX_FMT_YUYV}, {{1, 10}, {1, 25}}, V4L2_PIX_FMT_YUYV, {1, 25}),
        Case("NTSC rate", {V4L2_PIX_FMT_MJPEG}, {{1001, 30000}, {1, 15}}, V4L2_PIX_FMT_MJPEG,
             {1001, 30000}),
        Case("only faster than 30", {V4L2_PIX_FMT_MJPEG}, {{1, 120}, {1, 60}}, V4L2_PIX_FMT_MJPEG,
             {1, 60}),
    };
    for (const Case& c : cases) {
        FakeV4l2 fake;
        fake.formats = c.formats;
        fake.intervals = c.intervals;
        v4l2::V4l2Device device(fake);
        ASSERT_EQ(device.Open("/dev/video0"), OpenFailure::kNone) << c.name;
        EXPECT_EQ(fake.pixelFormat, c.pixelFormat) << c.name;
        EXPECT_EQ(fake.timePerFrame.numerator, c.chosen.numerator) << c.name;
        EXPECT_EQ(fake.timePerFrame.denominator, c.chosen.denominator) << c.name;
    }
}

class StreamTest : public ::testing::Test {
  protected:
    int64_t Deadline() { return clock.NowUs() + v4l2::kFrameWaitMs * 1000; }
    void SetUp() override {
        ASSERT_EQ(device.Open("/dev/video0"), OpenFailure::kNone);
        ASSERT_TRUE(device.StartStreaming());
    }
    sys::VirtualClock clock;
    sys::ScopedClock scoped{clock};
    FakeV4l2 fake;
    v4l2::V4l2Device device{fake};
};

TEST_F(StreamTest, DropsBadBuffersAndKeepsThemQueued) {
    using D = FakeV4l2::Delivery;
    fake.deliveries = {D{{1, 2, 3}, V4L2_BUF_FLAG_ERROR}, D{{}}, D{{1, 2}, 0, 700000},
                       D{{}, 0, 0, EAGAIN}, D{{0xFF, 0xD8, 9}}};
    fake.interruptions = 1;
    v4l2::V4l2Device::Frame frame;
    ASSERT_TRUE(device.NextFrame(frame, Deadline()));
    EXPECT_EQ(std::vector<uint8_t>(frame.bytes.begin(), frame.bytes.end()),
              (std::vector<uint8_t>{0xFF, 0xD8, 9}));
    EXPECT_EQ(fake.queued.size(), 3u);
    device.ReleaseFrame(frame);
    EXPECT_EQ(fake.queued.size(), 4u) << "every buffer back with the driver";
    EXPECT_EQ(clock.NowUs(), 0) << "nothing waited while frames were ready";
}

// Frames that queued up while the station was busy are stale: the read shows the newest.
TEST_F(StreamTest, TakesTheNewestReadyFrameAndQueuesTheOlderAgain) {
    using D = FakeV4l2::Delivery;
    fake.deliveries = {D{{1}}, D{{2}}, D{{}}, D{{3}}};
    v4l2::V4l2Device::Frame frame;
    ASSERT_TRUE(device.NextFrame(frame, Deadline()));
    EXPECT_EQ(std::vector<uint8_t>(frame.bytes.begin(), frame.bytes.end()),
              std::vector<uint8_t>{3});
    EXPECT_EQ(fake.queued.size(), 3u);
    device.ReleaseFrame(frame);
    EXPECT_EQ(fake.queued.size(), 4u);
}

TEST_F(StreamTest, ASilentCameraFailsTheReadAfterOneSecond) {
    v4l2::V4l2Device::Frame frame;
    EXPECT_FALSE(device.NextFrame(frame, Deadline()));
    EXPECT_EQ(clock.NowUs(), v4l2::kFrameWaitMs * 1000);
    EXPECT_FALSE(device.Gone());
}

TEST_F(StreamTest, UnplugIsRememberedAndNothingIsCalledAfter) {
    for (const int error : {ENODEV, EIO}) {
        ASSERT_TRUE(device.Open("/dev/video0") == OpenFailure::kNone && device.StartStreaming());
        fake.deliveries = {FakeV4l2::Delivery{{}, 0, 0, error}};
        v4l2::V4l2Device::Frame frame;
        EXPECT_FALSE(device.NextFrame(frame, Deadline()));
        EXPECT_TRUE(device.Gone());
        const int calls = fake.ioctls;
        EXPECT_FALSE(device.NextFrame(frame, Deadline()));
        EXPECT_FALSE(device.StartStreaming());
        EXPECT_EQ(fake.ioctls, calls);
        device.Close();
        EXPECT_EQ(fake.openFds, 0);
        EXPECT_EQ(fake.mapped, 0) << "buffers unmapped even after an unplug";
    }
}

TEST_F(StreamTest, TooFewBuffersRefuseTheStream) {
    device.StopStreaming();
    EXPECT_EQ(fake.mapped, 0);
    fake.buffersGranted = 2;
    EXPECT_FALSE(device.StartStreaming());
    EXPECT_EQ(fake.mapped, 0);
}

}  // namespace
