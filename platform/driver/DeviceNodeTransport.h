// The camera driver reached through a Linux device node (/dev/zelvocam0, ...).
//
// Discovery finds the node it was given, or else the first node named zelvocam* in the device
// directory, in name order (platform/driver/DeviceSetting.h decides which, from the setting).
// Control requests are ioctl calls with the camera's control codes and an argument block
// (ZelvoCamIoctlArgs); a frame is one read(), which waits at most kFrameWaitMs for the camera to
// have something to send, so a camera that stays present but falls silent cannot freeze the
// window.
#pragma once

#include <cstdint>
#include <string>

#include "device/DriverTransport.h"

// The argument block of every control request, as the kernel driver reads it. Both sides of
// the ioctl share the host's layout, so this one struct is the contract; padding is explicit.
struct ZelvoCamIoctlArgs {
    uint64_t input;  // user address of the input block (header, payload)
    uint32_t inputLength;
    uint32_t reserved0;
    uint64_t output;  // user address of the output area, 0 when none
    uint32_t outputLength;
    uint32_t returned;  // set by the driver: bytes written to the output area
};
static_assert(sizeof(ZelvoCamIoctlArgs) == 32);

// The longest a frame read waits for the camera; at 30 frames a second a live camera has sent
// many frames by then.
inline constexpr int kFrameWaitMs = 1000;

class DeviceNodeTransport final : public DriverTransport {
  public:
    // `deviceDirectory` is where camera nodes are looked for (tests point it elsewhere);
    // a non-empty `nodePath` is the one node to use instead.
    explicit DeviceNodeTransport(std::string deviceDirectory = "/dev", std::string nodePath = {});
    ~DeviceNodeTransport() override;
    DeviceNodeTransport(const DeviceNodeTransport&) = delete;
    DeviceNodeTransport& operator=(const DeviceNodeTransport&) = delete;

    bool EnumerateFirstDevice(std::u16string& path) override;
    bool Open(const std::u16string& path) override;
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override;
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override;
    void Close() override;
    // ENODEV from the node: the camera was unplugged.
    bool DeviceGone() override { return gone_; }

    bool IsOpen() const { return fd_ >= 0; }

  private:
    std::string directory_;
    std::string nodePath_;
    int fd_ = -1;
    bool gone_ = false;
};
