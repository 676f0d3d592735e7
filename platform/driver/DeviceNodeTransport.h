// The camera driver reached through a Linux device node (/dev/zelvocam0, ...).
//
// Discovery takes the path in ZELVOCAM_DEVICE when it is set, and otherwise the first node
// named zelvocam* in the device directory, in name order. The values `sim` and `sim:...` name
// the simulated camera and find no device here. Control requests are ioctl calls with the
// camera's control codes and an argument block (ZelvoCamIoctlArgs); a frame is one read().
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

inline constexpr const char* kDeviceEnvironmentVariable = "ZELVOCAM_DEVICE";

// True for the settings that name the simulated camera: "sim" and "sim:...".
bool NamesSimulatedCamera(std::string_view setting);

class DeviceNodeTransport final : public DriverTransport {
  public:
    // `deviceDirectory` is where camera nodes are looked for (tests point it elsewhere).
    explicit DeviceNodeTransport(std::string deviceDirectory = "/dev");
    ~DeviceNodeTransport() override;
    DeviceNodeTransport(const DeviceNodeTransport&) = delete;
    DeviceNodeTransport& operator=(const DeviceNodeTransport&) = delete;

    bool EnumerateFirstDevice(std::u16string& path) override;
    bool Open(const std::u16string& path) override;
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override;
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override;
    void Close() override;

    bool IsOpen() const { return fd_ >= 0; }

  private:
    std::string directory_;
    int fd_ = -1;
};
