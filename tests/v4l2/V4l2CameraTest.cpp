// The V4L2 camera behind the driver interface, on the scripted fake: what one read delivers
// when the camera sends something that is no picture, and what an unplug does to every call.
#include <gtest/gtest.h>

#include "device/ControlRequest.h"
#include "platform/system/Clock.h"
#include "tests/decoder/TestFrames.h"
#include "tests/v4l2/FakeV4l2.h"
#include "v4l2/V4l2Camera.h"

namespace {

using D = zelvo_test::FakeV4l2::Delivery;

class V4l2CameraTest : public ::testing::Test {
  protected:
    void Open(uint32_t pixelFormat) {
        fake.formats = {pixelFormat};
        ASSERT_TRUE(camera.Open(u"/dev/video0"));
    }
    bool Write(uint16_t reg, uint16_t value) {
        const auto header = ::ControlRequest::Write(reg, value).Encode();
        uint32_t returned = 0;
        return camera.ControlRequest(IOCTL_CAMERA_REGISTER, header, {}, returned);
    }
    std::vector<uint8_t> Read() {
        std::vector<uint8_t> buffer(640 * 480 * 3);
        uint32_t delivered = 0;
        if (!camera.ReadFrame(buffer, delivered))
            return {};
        buffer.resize(delivered);
        return buffer;
    }

    sys::VirtualClock clock;
    sys::ScopedClock scoped{clock};
    zelvo_test::FakeV4l2 fake;
    std::vector<std::string> reports;
    v4l2::V4l2Camera camera{fake, [this] {
                                v4l2::V4l2CameraOptions options;
                                options.report = [this](const std::string& reason) {
                                    reports.push_back(reason);
                                };
                                return options;
                            }()};
};

TEST_F(V4l2CameraTest, DropsWhatIsNoPictureAndDeliversTheNextFrame) {
    const std::vector<uint8_t> good =
        testframes::EncodeScene(testframes::Scene::kGradient, 640, 480);
    std::vector<uint8_t> undecodable = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x03, 0x42};
    Open(V4L2_PIX_FMT_MJPEG);
    ASSERT_TRUE(Write(6, 1));
    fake.deliveries = {D{{'n', 'o', 't', ' ', 'J', 'P', 'E', 'G'}}, D{undecodable}, D{good}};
    EXPECT_EQ(Read(), good) << "passed through unchanged";
    EXPECT_EQ(fake.queued.size(), 4u);
}

TEST_F(V4l2CameraTest, RawPixelsFromAYuyvCamera) {
    std::vector<uint8_t> pixels(640 * 480 * 2);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 7);
    Open(V4L2_PIX_FMT_YUYV);
    ASSERT_TRUE(Write(10, 0));
    ASSERT_TRUE(Write(6, 1));
    fake.deliveries = {D{std::vector<uint8_t>(pixels.begin(), pixels.begin() + 1000)}, D{pixels}};
    EXPECT_EQ(Read(), pixels) << "the short frame dropped, the whole one copied";
}

TEST_F(V4l2CameraTest, AnUnplugFailsEveryCallAtOnce) {
    Open(V4L2_PIX_FMT_MJPEG);
    ASSERT_TRUE(Write(6, 1));
    fake.deliveries = {D{{}, 0, 0, ENODEV}};
    EXPECT_TRUE(Read().empty());
    EXPECT_TRUE(camera.Gone());
    EXPECT_FALSE(Write(7, 137));
    EXPECT_TRUE(Read().empty());
    EXPECT_EQ(clock.NowUs(), 0) << "nothing waited for a camera that is gone";

    camera.Close();
    fake.openError = ENOENT;
    EXPECT_FALSE(camera.Open(u"/dev/video0"));
    EXPECT_FALSE(camera.Open(u"/dev/video0"));
    EXPECT_EQ(reports, std::vector<std::string>{"/dev/video0: no such device"})
        << "one line, not one a second";
}

}  // namespace
