// The transports around a V4L2 camera that the ZELVOCAM_DEVICE setting can choose besides a
// plain V4L2 node: the emulated UVC camera with the V4L2 camera code on top of it, and the
// camera found when nothing is set (a camera node if there is one, else a V4L2 camera).
#pragma once

#include <memory>
#include <string>

#include "device/DriverTransport.h"
#include "platform/driver/DeviceNodeTransport.h"
#include "simulator/EmulatedUvcCamera.h"
#include "v4l2/V4l2Camera.h"

// The V4L2 camera on the emulated UVC camera (`v4l2-sim`): the same code as on a real
// /dev/videoN, over the operations table of the simulated room.
class EmulatedV4l2Transport final : public DriverTransport {
  public:
    explicit EmulatedV4l2Transport(const sim::EmulatedUvcOptions& options,
                                   v4l2::V4l2CameraOptions cameraOptions = {});

    bool EnumerateFirstDevice(std::u16string& path) override {
        return camera_.EnumerateFirstDevice(path);
    }
    bool Open(const std::u16string& path) override { return camera_.Open(path); }
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override {
        return camera_.ControlRequest(code, in, out, returned);
    }
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override {
        return camera_.ReadFrame(buffer, delivered);
    }
    void Close() override { camera_.Close(); }
    bool DeviceGone() override { return camera_.DeviceGone(); }

    sim::EmulatedUvcCamera& Emulation() { return emulation_; }
    v4l2::V4l2Camera& Camera() { return camera_; }

  private:
    sim::EmulatedUvcCamera emulation_;  // declared first: the camera code uses it to the end
    v4l2::V4l2Camera camera_;
};

// Nothing set: the first camera node (/dev/zelvocam*), else the first V4L2 camera.
class FirstCameraTransport final : public DriverTransport {
  public:
    FirstCameraTransport(const std::string& deviceDirectory, v4l2::V4l2CameraOptions options);

    bool EnumerateFirstDevice(std::u16string& path) override;
    bool Open(const std::u16string& path) override;
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override;
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override;
    void Close() override;
    bool DeviceGone() override { return chosen_ != nullptr && chosen_->DeviceGone(); }

  private:
    DeviceNodeTransport node_;
    v4l2::V4l2Camera v4l2_;
    DriverTransport* chosen_ = nullptr;  // the one the last enumeration found
};
