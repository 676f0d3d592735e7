// The device-layer conformance suite: the same checks, through the real device layer, against
// every camera backend (the recording driver here, the simulated camera in tests/simulator).
//
// To run it against another backend, link the object library `zelvo_device_conformance` into
// a test executable and instantiate the suite with a factory:
//
//     INSTANTIATE_TEST_SUITE_P(SimulatedCamera, DeviceConformance,
//         ::testing::Values(ConformanceBackend{"Sim14", [] {
//             std::string error;
//             return std::unique_ptr<DriverTransport>(CreateSimulatedCamera("sim:14", error));
//         }}),
//         RowName{});
//
// A backend must present one camera whose sensor holds at least 640 x 480, answer register
// reads and writes through its register file (a write to an unused register, 17-20 or 456,
// reads back), and, while streaming with host decoding on, deliver one compressed frame of the
// programmed image size per read, without the test advancing the clock.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "device/DriverTransport.h"
#include "platform/system/Clock.h"
#include "tests/support/RowName.h"

struct ConformanceBackend {
    std::string name;  // a GoogleTest name: letters, digits, underscores
    std::function<std::unique_ptr<DriverTransport>()> make;
};

class DeviceConformance : public ::testing::TestWithParam<ConformanceBackend> {
  protected:
    void SetUp() override;
    void TearDown() override;

    sys::VirtualClock clock;
    std::unique_ptr<sys::ScopedClock> scopedClock;
    std::unique_ptr<DriverTransport> backend;
};
