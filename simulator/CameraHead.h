// The simulated camera head: the command set over the simulated room's motors and picture.
//
// The command set itself (argument latching, answers and their timing, the meaning of each
// code) is head::CommandInterpreter; this file gives it actuators that are motors on the clock
// and the picture settings the renderer draws with.
//
// Motors are pure functions of the clock: each axis remembers where and when its current
// motion began, so a position at time t is exact however seldom the head is looked at.
#pragma once

#include <cstdint>

#include "head/CommandInterpreter.h"
#include "head/HeadActuators.h"
#include "head/RegisterFile.h"

namespace sim {

using head::kRegisterCount;
using head::RegisterFile;

using head::kRegAreaHeight;
using head::kRegAreaWidth;
using head::kRegArgA;
using head::kRegArgB;
using head::kRegCommand;
using head::kRegCompression;
using head::kRegImageHeight;
using head::kRegImageWidth;
using head::kRegQuantTables;
using head::kRegSensorHeight;
using head::kRegSensorWidth;
using head::kRegStreaming;
using head::kRegToneCurve;

using head::kCompressedFrames;
using head::kSensorHeight;
using head::kSensorWidth;

using head::kPanMax;
using head::kPanMin;
using head::kTiltMax;
using head::kTiltMin;
using head::kZoomMax;
using head::kZoomMin;

// Speeds in units (zoom steps) per second: continuous motion at the three tiers, the drive to
// a commanded position, and the size of one nudge.
inline constexpr int kPanTiltSlow = head::kPanTiltTierSpeed[0];
inline constexpr int kPanTiltMedium = head::kPanTiltTierSpeed[1];
inline constexpr int kPanTiltFast = head::kPanTiltTierSpeed[2];
inline constexpr int kPanTiltDrive = 1600;
inline constexpr int kZoomSlow = head::kZoomTierSpeed[0];
inline constexpr int kZoomMedium = head::kZoomTierSpeed[1];
inline constexpr int kZoomFast = head::kZoomTierSpeed[2];
inline constexpr int kZoomDrive = 7500;
using head::kNudgeUnits;

using head::kAnswerDelayUs;

// The automatic white-balance gains are the ones that make the room's light neutral; the
// flash light wants about 210 and 155.
using head::kGainUnity;
inline constexpr int kAutoRedGain = 171;
inline constexpr int kAutoBlueGain = 206;

inline constexpr int kExposureStepMin = -16;
inline constexpr int kExposureStepMax = 16;
using head::kFlashLevelMax;

// One motor between two mechanical stops.
class Axis {
  public:
    Axis(int min, int max) : min_(min), max_(max) {}
    int At(int64_t us) const;
    void Stop(int64_t us);
    // Continuous motion; `velocity` in units per second, signed.
    void Run(int64_t us, int velocity);
    void DriveTo(int64_t us, int target, int speed);

  private:
    int min_;
    int max_;
    int origin_ = 0;       // position at start_us_
    int64_t startUs_ = 0;  // when the current motion began
    int velocity_ = 0;     // units per second; 0 while still
    int target_ = 0;       // where a drive ends (only when driving_)
    bool driving_ = false;
};

// What the head does to the picture, as the renderer needs it.
struct PictureSettings {
    int exposureStep = 0;  // 2^(step/4) times the room light
    int brightness = 128;  // 128 neutral
    int contrast = 64;     // 64 neutral
    int sharpness = 2;     // 0 soft .. 5 crisp; 2 neutral
    int redGain = kAutoRedGain;
    int blueGain = kAutoBlueGain;
    int colourLevel = 64;  // 64 neutral, 0 grey
    int flashLevel = 17;   // 0 to 32
};

// The room's side of the head: three motors and the picture settings.
class SimulatedActuators : public head::HeadActuators {
  public:
    void Run(head::AxisId axis, int direction, head::Tier tier, int64_t us) override;
    void StopPanTilt(int64_t us) override;
    void StopZoom(int64_t us) override;
    void Nudge(head::AxisId axis, int direction, int64_t us) override;
    void DrivePanTilt(int pan, int tilt, int64_t us) override;
    void DriveZoom(int zoom, int64_t us) override;
    void MoveRelative(int pan, int tilt, int64_t us) override;
    int Position(head::AxisId axis, int64_t us) override;

    void StepExposure(int steps) override;
    void SetBrightness(int value) override { picture_.brightness = value; }
    void SetContrast(int value) override { picture_.contrast = value; }
    void SetSharpness(int level) override { picture_.sharpness = level; }
    void SetColourLevel(int value) override { picture_.colourLevel = value; }
    void SetAutoWhiteBalance(bool on) override;
    void SetRedGain(int gain) override { picture_.redGain = gain; }
    void SetBlueGain(int gain) override { picture_.blueGain = gain; }
    int RedGain() override { return picture_.redGain; }
    int BlueGain() override { return picture_.blueGain; }
    void SetAutoFocus(bool) override {}  // the room is always in focus
    void SetFlashLevel(int level) override { picture_.flashLevel = level; }
    void ArmFlash(int64_t us) override;
    void DisarmFlash() override { flashArmed_ = false; }

    int At(head::AxisId axis, int64_t us) const;
    const PictureSettings& Picture() const { return picture_; }
    bool TakeFlash(int64_t frameUs);

  private:
    Axis& Motor(head::AxisId axis);

    Axis pan_{kPanMin, kPanMax};
    Axis tilt_{kTiltMin, kTiltMax};
    Axis zoom_{kZoomMin, kZoomMax};
    PictureSettings picture_;
    bool flashArmed_ = false;
    int64_t flashArmedUs_ = 0;
};

// The simulated head: its command set driving the room.
class CameraHead {
  public:
    CameraHead(uint16_t model, bool silent, RegisterFile& registers)
        : interpreter_(model, silent, registers, room_) {}

    // Runs the command just written to register 7, with the arguments now in registers 26, 4.
    void Command(uint16_t code, int64_t us) { interpreter_.Command(code, us); }
    // Lands the answers that are due by `us` in the register file.
    void Settle(int64_t us) { interpreter_.Settle(us); }

    int Pan(int64_t us) const { return room_.At(head::AxisId::kPan, us); }
    int Tilt(int64_t us) const { return room_.At(head::AxisId::kTilt, us); }
    int Zoom(int64_t us) const { return room_.At(head::AxisId::kZoom, us); }
    const PictureSettings& Picture() const { return room_.Picture(); }

    // The flash fires on the first frame taken at or after the arming; true once for it.
    bool TakeFlash(int64_t frameUs) { return room_.TakeFlash(frameUs); }

  private:
    SimulatedActuators room_;
    head::CommandInterpreter interpreter_;
};

}  // namespace sim
