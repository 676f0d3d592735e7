// The emulated UVC camera's controls and the motors they drive.
//
// Answers the control requests (VIDIOC_QUERYCTRL, VIDIOC_QUERY_EXT_CTRL, VIDIOC_QUERYMENU,
// VIDIOC_G/S_CTRL, VIDIOC_G/S/TRY_EXT_CTRLS) for one profile as uvcvideo does, and moves the pan
// and tilt motors and the zoom lens as the PTZ controls ask. Motors are pure functions of the
// clock: each remembers where and when its current motion began, so a position at time t is
// exact however seldom it is looked at.
//
//     absolute positions   drive there at kDriveArcsecPerSecond (zoom: the whole range in
//                          kZoomDriveSeconds); a read gives where the motor is now
//     speeds               PAN/TILT_SPEED v turns at v x kSpeedStepArcsecPerSecond until 0 or a
//                          stop; ZOOM_CONTINUOUS at its maximum crosses the range in
//                          kZoomFullSpeedSeconds
//     relative moves       PAN/TILT_RELATIVE v drives v arc-seconds on from where the motor is
//                          heading, so moves in quick succession add up exactly
#pragma once

#include <linux/videodev2.h>

#include <cstdint>
#include <vector>

#include "simulator/EmulatedUvcFrames.h"
#include "simulator/EmulatedUvcProfiles.h"

namespace sim {

inline constexpr double kSpeedStepArcsecPerSecond = 16875;  // 4.7 degrees per second
inline constexpr double kDriveArcsecPerSecond = 540000;     // 150 degrees per second
inline constexpr double kZoomDriveSeconds = 2.0;
inline constexpr double kZoomFullSpeedSeconds = 2.5;

// One motor between two stops.
class UvcMotor {
  public:
    UvcMotor(double min, double max, double position) : min_(min), max_(max), origin_(position) {}
    double At(int64_t us) const;
    // Where the motor stops if nobody tells it otherwise (for a continuous turn: where it is).
    double Heading(int64_t us) const { return driving_ ? target_ : At(us); }
    void Run(int64_t us, double velocity);  // units per second, signed; 0 stops
    void DriveTo(int64_t us, double target, double speed);

  private:
    double min_;
    double max_;
    double origin_;        // position at startUs_
    int64_t startUs_ = 0;  // when the current motion began
    double velocity_ = 0;  // continuous motion, units per second
    double target_ = 0;    // where a drive ends (only while driving_)
    double speed_ = 0;     // of a drive
    bool driving_ = false;
};

class UvcControls {
  public:
    UvcControls(const UvcProfile& profile, bool silentHead);

    // True for the requests this class answers.
    static bool IsControlRequest(unsigned long request);
    // Answers a control request at time `us`: 0, or the errno value of the failure.
    int Ioctl(unsigned long request, void* argument, int64_t us);

    // Every control back to its default, the motors stopped where they are (a power cycle).
    void Reset(int64_t us);
    void StopMotors(int64_t us);

    double Pan(int64_t us) const { return pan_.At(us); }
    double Tilt(int64_t us) const { return tilt_.At(us); }
    double Zoom(int64_t us) const { return zoom_.At(us); }
    UvcPicture Picture() const { return PictureFromControls(profile_, values_); }

  private:
    const UvcControl* Find(uint32_t id, size_t& index) const;
    uint32_t Flags(size_t index, const v4l2_ext_control* pending = nullptr,
                   uint32_t pendingCount = 0) const;
    int32_t Read(size_t index, int64_t us) const;
    int Check(size_t index, int32_t& value) const;
    void Apply(size_t index, int32_t value, int64_t us);
    int QueryControl(unsigned long request, void* argument) const;
    int ExtControls(unsigned long request, v4l2_ext_controls& controls, int64_t us);

    const UvcProfile& profile_;
    bool silentHead_;
    std::vector<int32_t> values_;  // one per control of the profile, in its order
    UvcMotor pan_;
    UvcMotor tilt_;
    UvcMotor zoom_;
};

}  // namespace sim
