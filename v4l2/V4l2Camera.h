// A UVC camera through V4L2 as one more camera behind the driver interface.
//
// Like the simulated camera it keeps the camera's 512-word register file, answers the
// information request (the card name, the bus and the driver as texts 1 to 3) and the head's
// command register, whose commands the head interpreter carries out with the camera's V4L2
// controls (ControlActuators). The streaming register starts and stops the V4L2 stream; one
// read delivers one frame: in the station's compressed form while register 10 asks for
// compressed frames (passed through when the camera already sends that form, else re-encoded),
// else as 640 x 480 two-byte Y0 Cb Y1 Cr pixels. A frame that is damaged, empty or no picture
// is dropped and the next one read, all within one second.
//
// When the camera is unplugged every call fails at once until it is opened again; nothing
// here blocks for longer than a frame wait.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "device/DriverTransport.h"
#include "head/CommandInterpreter.h"
#include "head/RegisterFile.h"
#include "v4l2/ControlActuators.h"
#include "v4l2/FrameReencoder.h"
#include "v4l2/V4l2Device.h"

namespace v4l2 {

struct V4l2CameraOptions {
    // The capture node; empty: the first usable camera among `candidates()`.
    std::string path;
    std::function<std::vector<std::string>()> candidates;
    double fieldOfViewDegrees = kDefaultFieldOfViewDegrees;
    // Told the one-line reason when an open fails (the same reason only once in a row).
    std::function<void(const std::string&)> report;
};

class V4l2Camera final : public DriverTransport {
  public:
    V4l2Camera(V4l2Operations& ops, V4l2CameraOptions options);
    ~V4l2Camera() override;
    V4l2Camera(const V4l2Camera&) = delete;
    V4l2Camera& operator=(const V4l2Camera&) = delete;

    bool EnumerateFirstDevice(std::u16string& path) override;
    bool Open(const std::u16string& path) override;
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override;
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override;
    void Close() override;
    // Asks the driver (one VIDIOC_QUERYCAP) when nothing has failed yet, so a camera unplugged
    // while nothing streams is noticed too.
    bool DeviceGone() override;

    // For tools and tests.
    bool Gone() const;
    const V4l2Device& Device() const { return device_; }
    const ControlActuators* Actuators() const { return actuators_.get(); }
    uint16_t Model() const { return model_; }
    uint16_t PeekRegister(uint16_t reg) const { return registers_[reg % head::kRegisterCount]; }

  private:
    enum class Frame { kDelivered, kDropped, kFailed };
    Frame Convert(std::span<const uint8_t> frame, std::span<uint8_t> buffer, uint32_t& delivered);
    bool WriteRegister(uint16_t reg, uint16_t value);
    void KeepBlock(uint16_t reg, std::span<const uint8_t> payload);
    void FillInfo(std::span<uint8_t> out) const;
    void Report(const std::string& reason);

    V4l2Operations& ops_;
    V4l2CameraOptions options_;
    V4l2Device device_;
    FrameReencoder reencoder_;
    head::RegisterFile registers_{};
    std::map<uint16_t, std::vector<uint8_t>> blocks_;  // the last block written to a register
    std::unique_ptr<ControlActuators> actuators_;
    std::unique_ptr<head::CommandInterpreter> interpreter_;
    uint16_t model_ = 0;
    std::string lastReport_;
};

}  // namespace v4l2
