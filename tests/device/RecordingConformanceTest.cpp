// The conformance suite against the recording driver, playing a camera with a 2560 x 1920
// sensor that answers every frame read with a picture of the size last programmed.
#include <map>

#include "tests/device/DeviceConformance.h"
#include "tests/support/CameraJpeg.h"
#include "tests/support/RecordingDriver.h"

namespace {

std::unique_ptr<DriverTransport> MakeRecordingCamera() {
    auto driver = std::make_unique<zelvo_test::RecordingDriver>();
    zelvo_test::SetSensorSize(*driver, 2560, 1920);
    driver->SetInfo(3, 2, 1, u"ZelvoCam", u"Test camera \u00B5", u"");
    zelvo_test::RecordingDriver* camera = driver.get();
    driver->frameSource = [camera] {
        // Image size registers 29 and 30, as the device layer programmed them.
        static std::map<std::pair<int, int>, std::vector<uint8_t>> cache;
        const std::pair<int, int> size{camera->registers[29], camera->registers[30]};
        auto [it, added] = cache.try_emplace(size);
        if (added) {
            it->second = zelvo_test::MakeUniformCameraJpeg(size.first, size.second, {90, 120, 150});
        }
        return it->second;
    };
    return driver;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(RecordingDriver, DeviceConformance,
                         ::testing::Values(ConformanceBackend{"RecordingDriver",
                                                              MakeRecordingCamera}),
                         RowName{});
