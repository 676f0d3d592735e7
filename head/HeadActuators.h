// What the camera head's command set drives: motors and picture settings, behind one interface.
//
// The command interpreter (head/CommandInterpreter.h) owns the meaning of every command code,
// the arguments, the answers and their timing, and the rules that depend on the model (a
// zoom-only head ignores pan and tilt, only the oldest heads know commands 27 and 29). It
// calls these functions for what the head physically does. Each kind of camera implements
// them once: the simulated room with its motors and rendered picture, a V4L2 camera with its
// controls.
//
// The contract:
// - Positions are in the head's own units: pan kPanMin..kPanMax (positive to the right), tilt
//   kTiltMin..kTiltMax (positive up), zoom kZoomMin (wide) ..kZoomMax (tele). A target outside
//   its range is taken as the nearest end; a position read is always inside the range.
// - `us` is the time of the command on the clock of platform/system. A motion starts then and
//   runs until it is stopped, reaches its target or meets its end stop; a position read at
//   `us` is where the axis is at that time.
// - Picture values are the head's bytes (gains 0-255 with 128 as unity, brightness 0-255 with
//   128 neutral, contrast and colour level 0-255 with 64 neutral); an implementation maps them
//   onto what it has and clamps to what it can do.
// - A call has no result: what the hardware cannot do is done as closely as it can, or not at
//   all, and the head carries on (the host never learns of a refused command, as with the
//   real head). Advance(us) lets an implementation that moves in steps catch up with the
//   clock; the interpreter calls it before each command and whenever answers are settled.
#pragma once

#include <cstdint>

namespace head {

// Mechanical limits, in the head's own units (at the widest zoom about one unit per pixel).
inline constexpr int kPanMin = -1700;
inline constexpr int kPanMax = 1700;
inline constexpr int kTiltMin = -500;
inline constexpr int kTiltMax = 500;
inline constexpr int kZoomMin = 0;
inline constexpr int kZoomMax = 15000;

// The head's speeds in units (zoom positions) per second at the three tiers, slow to fast, and
// the size of one nudge. A camera keeps these shares of its range, so the tiers keep their ratio.
inline constexpr int kPanTiltTierSpeed[] = {100, 400, 1200};
inline constexpr int kZoomTierSpeed[] = {1500, 3000, 6000};
inline constexpr int kNudgeUnits = 10;

// White-balance gains are 8-bit with 128 as unity.
inline constexpr int kGainUnity = 128;

enum class AxisId { kPan, kTilt, kZoom };

// The three speeds of continuous motion; each camera keeps their ratio within its own range.
enum class Tier { kSlow, kMedium, kFast };

class HeadActuators {
  public:
    virtual ~HeadActuators() = default;

    // Motion. `direction` is +1 (right, up, tele) or -1.
    virtual void Run(AxisId axis, int direction, Tier tier, int64_t us) = 0;
    virtual void StopPanTilt(int64_t us) = 0;
    virtual void StopZoom(int64_t us) = 0;
    virtual void Nudge(AxisId axis, int direction, int64_t us) = 0;  // one small step, pan or tilt
    virtual void DrivePanTilt(int pan, int tilt, int64_t us) = 0;
    virtual void DriveZoom(int zoom, int64_t us) = 0;
    virtual void MoveRelative(int pan, int tilt, int64_t us) = 0;  // by units from where it is
    virtual int Position(AxisId axis, int64_t us) = 0;

    // Exposure: one step darker (-1) or brighter (+1) of the head's iris.
    virtual void StepExposure(int steps) = 0;
    virtual void SetBrightness(int value) = 0;
    virtual void SetContrast(int value) = 0;
    virtual void SetSharpness(int level) = 0;  // 0 soft .. 5 crisp; 2 neutral
    virtual void SetColourLevel(int value) = 0;

    // White balance: automatic gains follow the light; manual gains stay until set.
    virtual void SetAutoWhiteBalance(bool on) = 0;
    virtual void SetRedGain(int gain) = 0;
    virtual void SetBlueGain(int gain) = 0;
    virtual int RedGain() = 0;
    virtual int BlueGain() = 0;

    virtual void SetAutoFocus(bool on) = 0;

    // Flash: a level 0-32; an armed flash lights the first frame taken at or after `us`.
    virtual void SetFlashLevel(int level) = 0;
    virtual void ArmFlash(int64_t us) = 0;
    virtual void DisarmFlash() = 0;

    virtual void Advance(int64_t /*us*/) {}
};

}  // namespace head
