// The only door to the camera: the five operations of the camera's kernel driver.
//
// Everything in the device layer (registers, properties, frames, the camera state) is built on
// these five calls and on nothing else of the operating system. The program installs the
// device-node transport (platform/driver) or the simulated camera (simulator/); tests install
// a recording fake. The layer talks to exactly one camera per process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// Control codes of the camera driver (device type 0x22, buffered, read and write access).
inline constexpr uint32_t IOCTL_CAMERA_REGISTER = 0x22E000;  // register transfer
inline constexpr uint32_t IOCTL_CAMERA_INFO = 0x22E004;      // 1542-byte information reply

class DriverTransport {
  public:
    virtual ~DriverTransport() = default;

    // The device path of the first present camera interface (UTF-16, at most 511 characters),
    // or false when no camera is present.
    virtual bool EnumerateFirstDevice(std::u16string& path) = 0;

    // Opens the device found by EnumerateFirstDevice for synchronous control requests and
    // reads. False when the driver refuses.
    virtual bool Open(const std::u16string& path) = 0;

    // One control request: `in` is the request's input block, `out` the caller's output area.
    // On success `returned` holds the number of bytes written to `out`.
    virtual bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                                uint32_t& returned) = 0;

    // One read delivers at most one frame; `delivered` is its byte count.
    virtual bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) = 0;

    // Closes the device opened by Open. Never fails.
    virtual void Close() = 0;
    // Whether the open device has vanished (the camera was unplugged): its requests and reads
    // fail until it is closed and a device is opened again. A failed request of a device that
    // is still there is not this. A transport that cannot tell answers false.
    virtual bool DeviceGone() { return false; }
};

// Installs the transport the device layer uses from now on (not owned; nullptr: none, so that
// every open fails). The program chooses it once at start; tests install their own.
void InstallDriverTransport(DriverTransport* transport);
DriverTransport* InstalledDriverTransport();
