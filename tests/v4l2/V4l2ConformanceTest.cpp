// The device-layer conformance suite against the V4L2 camera, on every profile of the emulated
// UVC camera: the same checks the recording driver and the simulated camera pass.
#include "platform/driver/V4l2Transports.h"
#include "tests/device/DeviceConformance.h"

namespace {

ConformanceBackend Profile(int number) {
    return {"Profile" + std::to_string(number), [number] {
                sim::EmulatedUvcOptions options;
                options.profile = number;
                return std::unique_ptr<DriverTransport>(
                    std::make_unique<EmulatedV4l2Transport>(options));
            }};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(V4l2Camera, DeviceConformance,
                         ::testing::Values(Profile(1), Profile(2), Profile(3), Profile(4),
                                           Profile(5), Profile(6)),
                         RowName{});
