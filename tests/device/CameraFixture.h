// The scripted camera every device-layer test starts from: a recording driver with a
// 1280 x 1024 sensor, installed on a virtual clock; the layer is closed again after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "device/Camera.h"
#include "platform/system/Clock.h"
#include "tests/support/RecordingDriver.h"

class CameraTest : public ::testing::Test {
  protected:
    void SetUp() override {
        zelvo_test::SetSensorSize(driver, 1280, 1024);
        InstallDriverTransport(&driver);
    }
    void TearDown() override {
        CloseCamera();
        InstallDriverTransport(nullptr);
    }

    // Opens the camera and forgets the requests the open made.
    void Open() {
        ASSERT_EQ(OpenCamera(), kCameraOk);
        driver.ClearRecord();
    }

    uint16_t GetWord(uint32_t id) {
        uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        EXPECT_EQ(GetCameraProperty(id, buffer, 4), kCameraOk) << "property " << id;
        return static_cast<uint16_t>(buffer[0] | buffer[1] << 8);
    }

    sys::VirtualClock clock;
    sys::ScopedClock scopedClock{clock};
    zelvo_test::RecordingDriver driver;
};
