// The simulated camera: a DriverTransport that behaves like the camera, its driver and its head.
//
// It keeps the camera's 512-word register file, answers the information request, runs the
// camera head's command register (hand-shake, focus, model number, positions, motion at the
// speed tiers, nudges, relative moves, exposure, white balance, gains, flash) and renders a
// booking-room scene through its pan, tilt and zoom, delivered as the camera's restricted JPEG
// frames or raw 2-byte pixels at 30 frames per second. Motion and frame pacing read the clock
// of platform/system, so a test on a virtual clock moves the camera exactly. Faults (unplugged,
// silent head, corrupt, short and oversized frames) can be switched on for reliability tests.
//
// The program selects it with ZELVOCAM_DEVICE=sim (platform/driver/DeviceSetting.h reads the
// value into SimulatedCameraOptions).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/DriverTransport.h"

// Everything the ZELVOCAM_DEVICE value can say about the simulated camera.
struct SimulatedCameraOptions {
    uint16_t model = 14;         // model number the head reports to command 152
    int64_t unplugAfterUs = -1;  // time after the first open at which the camera vanishes; -1 never
    int64_t replugAfterUs = -1;  // time after the unplug at which it comes back; -1 never
    bool silentHead = false;     // 137 never answers 175, 170 never answers 2
    double corruptRate = 0.0;    // share of frames delivered with flipped bits
    double shortRate = 0.0;      // share of frames delivered truncated
    double oversizeRate = 0.0;   // share of frames whose picture is larger than programmed
    uint64_t seed = 1;           // seed of the fault dice, so a run can be repeated exactly
    bool stillRoom = false;      // no breathing, blinking or sensor noise: the same head position
                                 // and clock give the same picture
};

class SimulatedCamera : public DriverTransport {
  public:
    explicit SimulatedCamera(const SimulatedCameraOptions& options = {});
    ~SimulatedCamera() override;
    SimulatedCamera(const SimulatedCamera&) = delete;
    SimulatedCamera& operator=(const SimulatedCamera&) = delete;

    bool EnumerateFirstDevice(std::u16string& path) override;
    bool Open(const std::u16string& path) override;
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override;
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override;
    void Close() override;

    // What tests and demonstrations may look at or do from outside the driver interface.
    struct Position {
        int pan = 0;   // units; positive is to the right
        int tilt = 0;  // units; positive is up
        int zoom = 0;  // 0 (wide) to 15000 (tele)
    };
    Position HeadPosition();                             // at the clock's current time
    uint16_t PeekRegister(uint16_t reg) const;           // the register file as the camera holds it
    std::vector<uint8_t> PeekBlock(uint16_t reg) const;  // the last block written to it
    bool DeviceGone() override;
    int FlashesFired() const;  // frames delivered lit by the flash so far

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The path the simulated camera enumerates and opens.
inline constexpr char16_t kSimulatedCameraPath[] = u"sim";
