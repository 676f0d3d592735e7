// The simulated camera head: the command register and everything it drives.
//
// The host writes a command code to register 7 with its arguments already in register 26
// (argument A) and register 4 (argument B). The head latches the arguments at once, starts or
// stops its motors, changes its picture settings, and writes any answer back into registers 26
// and 4 a short while later (kAnswerDelayUs): like the real head, an answer read too early
// still shows the old register contents.
//
// Motors are pure functions of the clock: each axis remembers where and when its current
// motion began, so a position at time t is exact however seldom the head is looked at.
#pragma once

#include <array>
#include <cstdint>
#include <deque>

namespace sim {

inline constexpr int kRegisterCount = 512;
using RegisterFile = std::array<uint16_t, kRegisterCount>;

inline constexpr uint16_t kRegArgB = 4;
inline constexpr uint16_t kRegStreaming = 6;
inline constexpr uint16_t kRegCommand = 7;
inline constexpr uint16_t kRegCompression = 10;
inline constexpr uint16_t kRegToneCurve = 13;
inline constexpr uint16_t kRegQuantTables = 25;
inline constexpr uint16_t kRegArgA = 26;
inline constexpr uint16_t kRegAreaWidth = 27;
inline constexpr uint16_t kRegAreaHeight = 28;
inline constexpr uint16_t kRegImageWidth = 29;
inline constexpr uint16_t kRegImageHeight = 30;
inline constexpr uint16_t kRegSensorWidth = 33;
inline constexpr uint16_t kRegSensorHeight = 34;

inline constexpr uint16_t kSensorWidth = 640;
inline constexpr uint16_t kSensorHeight = 480;
inline constexpr uint16_t kCompressedFrames = 16;  // register 10: JPEG frames; else raw pixels

// Mechanical limits, in the head's own units (at the widest zoom about one unit per pixel).
inline constexpr int kPanMin = -1700;
inline constexpr int kPanMax = 1700;
inline constexpr int kTiltMin = -500;
inline constexpr int kTiltMax = 500;
inline constexpr int kZoomMin = 0;
inline constexpr int kZoomMax = 15000;

// Speeds in units (zoom steps) per second: continuous motion at the three tiers, the drive to
// a commanded position, and the size of one nudge.
inline constexpr int kPanTiltSlow = 100;
inline constexpr int kPanTiltMedium = 400;
inline constexpr int kPanTiltFast = 1200;
inline constexpr int kPanTiltDrive = 1600;
inline constexpr int kZoomSlow = 1500;
inline constexpr int kZoomMedium = 3000;
inline constexpr int kZoomFast = 6000;
inline constexpr int kZoomDrive = 7500;
inline constexpr int kNudgeUnits = 10;

inline constexpr int64_t kAnswerDelayUs = 20'000;

// White-balance gains are 8-bit with 128 as unity. The automatic gains are the ones that
// make the room's light neutral; the flash light wants about 210 and 155.
inline constexpr int kGainUnity = 128;
inline constexpr int kAutoRedGain = 171;
inline constexpr int kAutoBlueGain = 206;

inline constexpr int kExposureStepMin = -16;
inline constexpr int kExposureStepMax = 16;
inline constexpr int kFlashLevelMax = 32;

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

class CameraHead {
  public:
    CameraHead(uint16_t model, bool silent, RegisterFile& registers);

    // Runs the command just written to register 7, with the arguments now in registers 26, 4.
    void Command(uint16_t code, int64_t us);
    // Lands the answers that are due by `us` in the register file.
    void Settle(int64_t us);

    int Pan(int64_t us) const { return pan_.At(us); }
    int Tilt(int64_t us) const { return tilt_.At(us); }
    int Zoom(int64_t us) const { return zoom_.At(us); }
    const PictureSettings& Picture() const { return picture_; }

    // The flash fires on the first frame taken at or after the arming; true once for it.
    bool TakeFlash(int64_t frameUs);

  private:
    struct PendingAnswer {
        int64_t dueUs;
        uint16_t reg;
        uint16_t value;
    };
    void PostAnswer(uint16_t reg, uint16_t value, int64_t us);
    bool HasPanTilt() const;
    bool IsOldestModel() const;
    bool RunMotion(uint16_t code, int64_t us);
    bool RunPictureCommand(uint16_t code, uint16_t a, uint16_t b);

    uint16_t model_;
    bool silent_;
    RegisterFile& regs_;
    std::deque<PendingAnswer> answers_;
    Axis pan_{kPanMin, kPanMax};
    Axis tilt_{kTiltMin, kTiltMax};
    Axis zoom_{kZoomMin, kZoomMax};
    PictureSettings picture_;
    bool autoFocus_ = true;
    bool autoWhite_ = true;
    bool manualExposure_ = false;
    bool flashArmed_ = false;
    int64_t flashArmedUs_ = 0;
};

}  // namespace sim
