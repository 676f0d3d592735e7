// The V4L2 camera when the emulated camera is unplugged and plugged in again: every call fails
// at once while it is gone, nothing waits for it, and it is found and streams again after.
#include <gtest/gtest.h>

#include "device/ControlRequest.h"
#include "platform/driver/V4l2Transports.h"
#include "platform/system/Clock.h"

namespace {

bool StartStream(DriverTransport& camera) {
    const auto header = ::ControlRequest::Write(6, 1).Encode();
    uint32_t returned = 0;
    return camera.ControlRequest(IOCTL_CAMERA_REGISTER, header, {}, returned);
}

bool ReadOne(DriverTransport& camera) {
    std::vector<uint8_t> buffer(640 * 480 * 3);
    uint32_t delivered = 0;
    return camera.ReadFrame(buffer, delivered) && delivered > 0;
}

bool FindAndOpen(DriverTransport& camera) {
    std::u16string path;
    return camera.EnumerateFirstDevice(path) && camera.Open(path);
}

class V4l2Replug : public ::testing::Test {
  protected:
    sys::VirtualClock clock;
    sys::ScopedClock scoped{clock};
    sim::EmulatedUvcOptions options;
};

TEST_F(V4l2Replug, GoneAtOnceThenFoundAndStreamingAgain) {
    options.unplugAfterUs = 2'000'000;
    options.replugAfterUs = 1'000'000;
    std::vector<std::string> reports;
    v4l2::V4l2CameraOptions cameraOptions;
    cameraOptions.report = [&](const std::string& reason) { reports.push_back(reason); };
    EmulatedV4l2Transport camera(options, cameraOptions);

    ASSERT_TRUE(FindAndOpen(camera));
    ASSERT_TRUE(StartStream(camera));
    ASSERT_TRUE(ReadOne(camera));

    clock.AdvanceMs(2500);
    const int64_t lostAt = clock.NowUs();
    EXPECT_FALSE(ReadOne(camera));
    EXPECT_TRUE(camera.Camera().Gone());
    EXPECT_FALSE(StartStream(camera));
    EXPECT_LT(clock.NowUs() - lostAt, 100'000) << "a vanished camera is not waited for";
    camera.Close();
    std::u16string path;
    EXPECT_FALSE(camera.EnumerateFirstDevice(path));
    EXPECT_EQ(reports.size(), 1u);

    clock.AdvanceMs(1000);
    ASSERT_TRUE(FindAndOpen(camera));
    ASSERT_TRUE(StartStream(camera));
    EXPECT_TRUE(ReadOne(camera));
    EXPECT_FALSE(camera.Camera().Gone());
}

// A camera unplugged while nothing is read from it (a picture under review) is noticed when the
// device layer asks, and only then.
TEST_F(V4l2Replug, GoneIsNoticedWhenAskedWithoutARead) {
    options.unplugAfterUs = 1'000'000;
    EmulatedV4l2Transport camera(options);
    ASSERT_TRUE(FindAndOpen(camera));
    EXPECT_FALSE(camera.DeviceGone());
    clock.AdvanceMs(1500);
    EXPECT_TRUE(camera.DeviceGone());
    camera.Close();
    EXPECT_FALSE(camera.DeviceGone()) << "nothing open, nothing gone";
}

}  // namespace
