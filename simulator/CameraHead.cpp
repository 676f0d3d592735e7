// The simulated camera head's motors on the clock and its picture settings.
#include "simulator/CameraHead.h"

#include <algorithm>

namespace sim {

int Axis::At(int64_t us) const {
    if (velocity_ == 0 || us <= startUs_)
        return origin_;
    // From the start of the motion each time, so that no rounding piles up.
    const int64_t travelled = static_cast<int64_t>(velocity_) * (us - startUs_) / 1'000'000;
    int64_t pos = origin_ + travelled;
    if (driving_)
        pos = velocity_ > 0 ? std::min<int64_t>(pos, target_) : std::max<int64_t>(pos, target_);
    return static_cast<int>(std::clamp<int64_t>(pos, min_, max_));
}

void Axis::Stop(int64_t us) {
    origin_ = At(us);
    startUs_ = us;
    velocity_ = 0;
    driving_ = false;
}

void Axis::Run(int64_t us, int velocity) {
    Stop(us);
    velocity_ = velocity;
}

void Axis::DriveTo(int64_t us, int target, int speed) {
    Stop(us);
    target_ = std::clamp(target, min_, max_);
    if (target_ == origin_)
        return;
    velocity_ = target_ > origin_ ? speed : -speed;
    driving_ = true;
}

Axis& SimulatedActuators::Motor(head::AxisId axis) {
    return axis == head::AxisId::kPan ? pan_ : axis == head::AxisId::kTilt ? tilt_ : zoom_;
}

int SimulatedActuators::At(head::AxisId axis, int64_t us) const {
    return axis == head::AxisId::kPan    ? pan_.At(us)
           : axis == head::AxisId::kTilt ? tilt_.At(us)
                                         : zoom_.At(us);
}

int SimulatedActuators::Position(head::AxisId axis, int64_t us) {
    return At(axis, us);
}

void SimulatedActuators::Run(head::AxisId axis, int direction, head::Tier tier, int64_t us) {
    const auto& speeds =
        axis == head::AxisId::kZoom ? head::kZoomTierSpeed : head::kPanTiltTierSpeed;
    Motor(axis).Run(us, direction * speeds[static_cast<int>(tier)]);
}

void SimulatedActuators::StopPanTilt(int64_t us) {
    pan_.Stop(us);
    tilt_.Stop(us);
}

void SimulatedActuators::StopZoom(int64_t us) {
    zoom_.Stop(us);
}

void SimulatedActuators::Nudge(head::AxisId axis, int direction, int64_t us) {
    Axis& motor = Motor(axis);
    motor.DriveTo(us, motor.At(us) + direction * kNudgeUnits, kPanTiltDrive);
}

void SimulatedActuators::DrivePanTilt(int pan, int tilt, int64_t us) {
    pan_.DriveTo(us, pan, kPanTiltDrive);
    tilt_.DriveTo(us, tilt, kPanTiltDrive);
}

void SimulatedActuators::DriveZoom(int zoom, int64_t us) {
    zoom_.DriveTo(us, zoom, kZoomDrive);
}

void SimulatedActuators::MoveRelative(int pan, int tilt, int64_t us) {
    pan_.DriveTo(us, pan_.At(us) + pan, kPanTiltDrive);
    tilt_.DriveTo(us, tilt_.At(us) + tilt, kPanTiltDrive);
}

void SimulatedActuators::StepExposure(int steps) {
    picture_.exposureStep =
        std::clamp(picture_.exposureStep + steps, kExposureStepMin, kExposureStepMax);
}

void SimulatedActuators::SetAutoWhiteBalance(bool on) {
    if (on) {  // the gains follow the room light again
        picture_.redGain = kAutoRedGain;
        picture_.blueGain = kAutoBlueGain;
    }
}

void SimulatedActuators::ArmFlash(int64_t us) {
    flashArmed_ = true;
    flashArmedUs_ = us;
}

bool SimulatedActuators::TakeFlash(int64_t frameUs) {
    if (!flashArmed_ || frameUs < flashArmedUs_)
        return false;
    flashArmed_ = false;
    return true;
}

}  // namespace sim
