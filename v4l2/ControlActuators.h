// The camera head's actuators on a UVC camera: each head command carried out with the best V4L2
// control the camera has.
//
// The controls are queried once, when the actuators are made on an open device; nothing is set
// then, so opening never moves the camera. Every later call goes through the operations table:
// a value is clamped to the control's range and step before it is sent, a value the camera
// refuses (ERANGE, EINVAL, EACCES) is dropped and the head carries on, and ENODEV or EIO marks
// the camera unplugged (no call reaches it afterwards).
//
// Motion, by axis, in this order of preference:
// - continuous pan and tilt: PAN_SPEED / TILT_SPEED, else PAN_RELATIVE / TILT_RELATIVE steps
//   sent as the clock advances, else PAN_ABSOLUTE / TILT_ABSOLUTE targets advanced on the clock;
//   continuous zoom: ZOOM_CONTINUOUS, else ZOOM_ABSOLUTE advanced on the clock. The tiers keep
//   the head's ratio: a speed control runs its largest value at the fast tier; a position
//   advanced on the clock moves the head's share of the control's range per second.
// - positions: the _ABSOLUTE controls, mapped linearly onto the head's unit ranges; without one,
//   the head's own count of the moves it made.
// - the relative move of face centering: the head's units become picture pixels through the
//   head's lens (head/HeadLens.h), and pixels become arc seconds through the camera's field of
//   view, each pixel an equal share of it: kDefaultFieldOfViewDegrees wide at the widest zoom,
//   the zoom control's range taken as a linear range of focal length. Relative controls are
//   taken in arc seconds, as the absolute ones are.
// Picture: IRIS_ABSOLUTE, else EXPOSURE_ABSOLUTE in manual exposure, else BRIGHTNESS, else GAIN
// for the iris steps; AUTO_WHITE_BALANCE, RED_BALANCE / BLUE_BALANCE or else
// WHITE_BALANCE_TEMPERATURE moved by the red/blue difference; FOCUS_AUTO; SHARPNESS; CONTRAST;
// SATURATION for the colour level. The flash has no counterpart and does nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "head/HeadActuators.h"
#include "v4l2/ControlPlan.h"
#include "v4l2/V4l2Operations.h"

namespace v4l2 {

class ControlActuators final : public head::HeadActuators {
  public:
    // Queries the controls of the open device `fd`; sets none of them.
    ControlActuators(V4l2Operations& ops, int fd,
                     double fieldOfViewDegrees = kDefaultFieldOfViewDegrees);
    ControlActuators(const ControlActuators&) = delete;
    ControlActuators& operator=(const ControlActuators&) = delete;

    uint16_t Model() const { return ModelOf(plan_); }
    bool Unplugged() const { return unplugged_; }
    const std::vector<ControlInfo>& Controls() const { return controls_; }
    const ControlPlan& Plan() const { return plan_; }
    std::vector<std::string> Describe() const { return DescribePlan(plan_, fieldOfView_); }

    void Run(head::AxisId axis, int direction, head::Tier tier, int64_t us) override;
    void StopPanTilt(int64_t us) override;
    void StopZoom(int64_t us) override;
    void Nudge(head::AxisId axis, int direction, int64_t us) override;
    void DrivePanTilt(int pan, int tilt, int64_t us) override;
    void DriveZoom(int zoom, int64_t us) override;
    void MoveRelative(int pan, int tilt, int64_t us) override;
    int Position(head::AxisId axis, int64_t us) override;

    void StepExposure(int steps) override;
    void SetBrightness(int value) override;
    void SetContrast(int value) override;
    void SetSharpness(int level) override;
    void SetColourLevel(int value) override;
    void SetAutoWhiteBalance(bool on) override;
    void SetRedGain(int gain) override;
    void SetBlueGain(int gain) override;
    int RedGain() override;
    int BlueGain() override;
    void SetAutoFocus(bool on) override;
    void SetFlashLevel(int) override {}
    void ArmFlash(int64_t) override {}
    void DisarmFlash() override {}

    void Advance(int64_t us) override;

  private:
    // The head's own idea of an axis, in head units: where it is and how it moves on the clock.
    struct Track {
        double min = 0;
        double max = 0;
        double origin = 0;
        int64_t startUs = 0;
        double velocity = 0;  // units per second; 0 while still
        bool driving = false;
        double target = 0;
        double At(int64_t us) const;
        void Stop(int64_t us);
        void Run(int64_t us, double unitsPerSecond);
        void DriveTo(int64_t us, double to, double unitsPerSecond);
    };
    struct AxisState {
        head::AxisId id;
        const AxisPlan* plan;
        Track track;
        double sentUnits = 0;            // relative steps: the track position already sent
        int64_t sentTarget = INT64_MIN;  // absolute targets: the last value sent
        int64_t speed = 0;               // speed control: the value running now
    };

    AxisState& State(head::AxisId axis);
    bool Set(const ControlInfo* control, int64_t value);
    bool Get(const ControlInfo* control, int64_t& value);
    int64_t ValueOr(const ControlInfo* control);
    void AdvanceAxis(AxisState& axis, int64_t us);
    void StopAxis(AxisState& axis, int64_t us);
    void DriveAxis(AxisState& axis, int target, int64_t us);
    void TurnBy(AxisState& axis, double arcsec, int64_t us);
    double ArcsecForPixels(double pixels);
    double TemperaturePerGain() const;
    void SendGains();
    void ReadGains();

    V4l2Operations& ops_;
    int fd_;
    double fieldOfView_;
    std::vector<ControlInfo> controls_;
    ControlPlan plan_;
    bool unplugged_ = false;
    AxisState pan_;
    AxisState tilt_;
    AxisState zoom_;
    bool manualExposure_ = false;
    int redGain_ = head::kGainUnity;
    int blueGain_ = head::kGainUnity;
};

}  // namespace v4l2
