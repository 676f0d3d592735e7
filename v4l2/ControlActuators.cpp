// The head's actuators on V4L2 controls: each command carried out on the clock.
#include "v4l2/ControlActuators.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "head/HeadLens.h"

namespace v4l2 {

namespace {

using head::AxisId;

constexpr double kArcsecPerDegree = 3600;
constexpr int kPictureWidth = 640;

// Head value `value` (0 to `top`, `neutral` in the middle) onto a control, with the neutral
// value at the control's default; and back.
int64_t AroundDefault(const ControlInfo& c, int value, int neutral, int top) {
    const double d = static_cast<double>(c.defaultValue);
    if (value <= neutral)
        return std::llround(d - (neutral - value) * (d - c.minimum) / neutral);
    return std::llround(d + (value - neutral) * (c.maximum - d) / (top - neutral));
}

int FromDefault(const ControlInfo& c, int64_t value, int neutral, int top) {
    const double d = static_cast<double>(c.defaultValue);
    double v = neutral;
    if (value < c.defaultValue && d > c.minimum)
        v = neutral - (d - value) * neutral / (d - c.minimum);
    else if (value > c.defaultValue && c.maximum > d)
        v = neutral + (value - d) * (top - neutral) / (c.maximum - d);
    return std::clamp(static_cast<int>(std::lround(v)), 0, top);
}

// Head units of an axis onto its absolute control, linearly over both ranges; and back.
double ControlPerUnit(const ControlInfo& c, AxisId axis) {
    const UnitRange r = HeadRange(axis);
    return static_cast<double>(c.maximum - c.minimum) / (r.max - r.min);
}

int64_t ToControl(const ControlInfo& c, AxisId axis, double units) {
    return c.minimum + std::llround((units - HeadRange(axis).min) * ControlPerUnit(c, axis));
}

double ToUnits(const ControlInfo& c, AxisId axis, int64_t value) {
    const UnitRange r = HeadRange(axis);
    const double units = r.min + (value - c.minimum) / ControlPerUnit(c, axis);
    return std::clamp(units, static_cast<double>(r.min), static_cast<double>(r.max));
}

// Arc seconds of one head unit for a camera with no absolute control to measure it by: a unit
// spans one pixel's share of the field of view at the widest zoom, through the head's lens.
double ArcsecPerUnitWide(double fieldOfViewDegrees) {
    return fieldOfViewDegrees * kArcsecPerDegree / kPictureWidth / head::UnitsPerPixel(0);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The head's own track of an axis.

double ControlActuators::Track::At(int64_t us) const {
    if (velocity == 0 || us <= startUs)
        return origin;
    double pos = origin + velocity * static_cast<double>(us - startUs) / 1e6;
    if (driving)
        pos = velocity > 0 ? std::min(pos, target) : std::max(pos, target);
    return std::clamp(pos, min, max);
}

void ControlActuators::Track::Stop(int64_t us) {
    origin = At(us);
    startUs = us;
    velocity = 0;
    driving = false;
}

void ControlActuators::Track::Run(int64_t us, double unitsPerSecond) {
    Stop(us);
    velocity = unitsPerSecond;
}

void ControlActuators::Track::DriveTo(int64_t us, double to, double unitsPerSecond) {
    Stop(us);
    target = std::clamp(to, min, max);
    if (target != origin) {
        velocity = target > origin ? unitsPerSecond : -unitsPerSecond;
        driving = true;
    }
}

// ---------------------------------------------------------------------------------------------
// The actuators.

ControlActuators::ControlActuators(V4l2Operations& ops, int fd, double fieldOfViewDegrees)
    : ops_(ops), fd_(fd), fieldOfView_(fieldOfViewDegrees) {
    unplugged_ = !QueryControls(ops_, fd_, controls_);
    plan_ = PlanControls(controls_);
    auto make = [](AxisId id, const AxisPlan* plan) {
        AxisState s{id, plan, {}};
        const UnitRange r = HeadRange(id);
        s.track.min = r.min;
        s.track.max = r.max;
        return s;
    };
    pan_ = make(AxisId::kPan, &plan_.pan);
    tilt_ = make(AxisId::kTilt, &plan_.tilt);
    zoom_ = make(AxisId::kZoom, &plan_.zoom);
}

ControlActuators::AxisState& ControlActuators::State(AxisId axis) {
    return axis == AxisId::kPan ? pan_ : axis == AxisId::kTilt ? tilt_ : zoom_;
}

bool ControlActuators::Set(const ControlInfo* control, int64_t value) {
    if (!control || unplugged_)
        return false;
    v4l2_control c{control->id, static_cast<int32_t>(ClampToControl(*control, value))};
    for (int attempt = 0; attempt < kCallAttempts; ++attempt) {
        if (ops_.Ioctl(fd_, VIDIOC_S_CTRL, &c) == 0)
            return true;
        if (errno == ENODEV || errno == EIO)
            unplugged_ = true;
        if (errno != EINTR && errno != EAGAIN)
            return false;  // a refused value leaves everything as it was
    }
    return false;
}

bool ControlActuators::Get(const ControlInfo* control, int64_t& value) {
    if (!control || unplugged_ || (control->flags & V4L2_CTRL_FLAG_WRITE_ONLY))
        return false;
    v4l2_control c{control->id, 0};
    for (int attempt = 0; attempt < kCallAttempts; ++attempt) {
        if (ops_.Ioctl(fd_, VIDIOC_G_CTRL, &c) == 0) {
            value = c.value;
            return true;
        }
        if (errno == ENODEV || errno == EIO)
            unplugged_ = true;
        if (errno != EINTR && errno != EAGAIN)
            return false;
    }
    return false;
}

int64_t ControlActuators::ValueOr(const ControlInfo* control) {
    int64_t value = control ? control->defaultValue : 0;
    Get(control, value);
    return value;
}

int ControlActuators::Position(AxisId axis, int64_t us) {
    AxisState& s = State(axis);
    int64_t value = 0;
    if (s.plan->absolute && Get(s.plan->absolute, value))
        return static_cast<int>(std::lround(ToUnits(*s.plan->absolute, axis, value)));
    return static_cast<int>(std::lround(s.track.At(us)));
}

void ControlActuators::Advance(int64_t us) {
    for (AxisState* s : {&pan_, &tilt_, &zoom_})
        AdvanceAxis(*s, us);
}

void ControlActuators::AdvanceAxis(AxisState& s, int64_t us) {
    const AxisPlan& plan = *s.plan;
    switch (plan.run) {
        case RunBy::kAbsoluteTargets:
            if (s.track.velocity != 0) {
                const int64_t value =
                    ClampToControl(*plan.absolute, ToControl(*plan.absolute, s.id, s.track.At(us)));
                if (value != s.sentTarget && Set(plan.absolute, value))
                    s.sentTarget = value;
            }
            break;
        case RunBy::kRelativeSteps: {
            const double perUnit = ArcsecPerUnitWide(fieldOfView_);
            const int64_t arcsec = std::llround((s.track.At(us) - s.sentUnits) * perUnit);
            const int64_t step = std::max<int64_t>(plan.relative->step, 1);
            if (std::llabs(arcsec) >= step) {
                const int64_t sent = ClampToControl(*plan.relative, arcsec);
                if (Set(plan.relative, sent))
                    s.sentUnits += static_cast<double>(sent) / perUnit;
                else
                    s.sentUnits = s.track.At(us);  // a refused step is not tried again
            }
            break;
        }
        case RunBy::kSpeed:
            // A drive counted from the head's own moves ends where its count says.
            if (s.track.driving && s.track.At(us) == s.track.target) {
                s.track.Stop(us);
                if (s.speed != 0 && Set(plan.runControl, 0))
                    s.speed = 0;
            }
            break;
        case RunBy::kNone:
            break;
    }
}

void ControlActuators::Run(AxisId axis, int direction, head::Tier tier, int64_t us) {
    AxisState& s = State(axis);
    const AxisPlan& plan = *s.plan;
    if (plan.run == RunBy::kNone)
        return;
    AdvanceAxis(s, us);
    if (plan.run == RunBy::kAbsoluteTargets) {
        s.track.origin = Position(axis, us);  // from where the camera is now
        s.track.velocity = 0;
    }
    if (plan.run == RunBy::kRelativeSteps)
        s.sentUnits = s.track.At(us);
    s.track.Run(us, direction * TierSpeed(axis, tier));
    if (plan.run == RunBy::kSpeed) {
        const int64_t speed = direction * SpeedValue(*plan.runControl, axis, tier);
        if (Set(plan.runControl, speed))
            s.speed = speed;
    }
}

void ControlActuators::StopAxis(AxisState& s, int64_t us) {
    AdvanceAxis(s, us);
    s.track.Stop(us);
    if (s.plan->run == RunBy::kSpeed && Set(s.plan->runControl, 0))
        s.speed = 0;
}

void ControlActuators::StopPanTilt(int64_t us) {
    StopAxis(pan_, us);
    StopAxis(tilt_, us);
}

void ControlActuators::StopZoom(int64_t us) {
    StopAxis(zoom_, us);
}

void ControlActuators::Nudge(AxisId axis, int direction, int64_t us) {
    AxisState& s = State(axis);
    DriveAxis(s, Position(axis, us) + direction * head::kNudgeUnits, us);
}

void ControlActuators::DriveAxis(AxisState& s, int target, int64_t us) {
    const AxisPlan& plan = *s.plan;
    AdvanceAxis(s, us);
    if (plan.run == RunBy::kSpeed && s.speed != 0 && Set(plan.runControl, 0))
        s.speed = 0;  // a drive ends any held motion
    if (plan.absolute) {
        s.track.Stop(us);
        const int64_t value =
            ClampToControl(*plan.absolute, ToControl(*plan.absolute, s.id, target));
        if (Set(plan.absolute, value)) {
            s.sentTarget = value;
            s.track.origin = ToUnits(*plan.absolute, s.id, value);
        }
    } else if (plan.relative) {
        s.track.Stop(us);
        const double from = s.track.At(us);
        const double to = std::clamp<double>(target, s.track.min, s.track.max);
        TurnBy(s, (to - from) * ArcsecPerUnitWide(fieldOfView_), us);
    } else if (plan.run == RunBy::kSpeed) {
        // Run at the fast tier until the head's own count reaches the target.
        const double fast = TierSpeed(s.id, head::Tier::kFast);
        s.track.DriveTo(us, target, fast);
        if (s.track.driving) {
            const int64_t speed = (s.track.velocity > 0 ? 1 : -1) *
                                  SpeedValue(*plan.runControl, s.id, head::Tier::kFast);
            if (Set(plan.runControl, speed))
                s.speed = speed;
        }
    }
}

void ControlActuators::DrivePanTilt(int pan, int tilt, int64_t us) {
    DriveAxis(pan_, pan, us);
    DriveAxis(tilt_, tilt, us);
}

void ControlActuators::DriveZoom(int zoom, int64_t us) {
    DriveAxis(zoom_, zoom, us);
}

// Turns an axis by an angle through its absolute control, else its relative one, and keeps
// the head's count in step.
void ControlActuators::TurnBy(AxisState& s, double arcsec, int64_t us) {
    const AxisPlan& plan = *s.plan;
    if (plan.absolute) {
        s.track.Stop(us);
        int64_t now = 0;
        if (!Get(plan.absolute, now))
            now = s.sentTarget != INT64_MIN ? s.sentTarget : plan.absolute->defaultValue;
        const int64_t value = ClampToControl(*plan.absolute, now + std::llround(arcsec));
        if (Set(plan.absolute, value))
            s.sentTarget = value;
    } else if (plan.relative) {
        s.track.Stop(us);
        const int64_t sent = ClampToControl(*plan.relative, std::llround(arcsec));
        if (Set(plan.relative, sent)) {
            s.track.origin = std::clamp(s.track.origin + sent / ArcsecPerUnitWide(fieldOfView_),
                                        s.track.min, s.track.max);
            s.sentUnits = s.track.origin;
        }
    }
}

// The angle `pixels` of the picture span at the zoom now: each pixel takes an equal share of
// the field of view, which narrows as the focal length grows; the zoom control's value is taken
// to be proportional to the focal length.
double ControlActuators::ArcsecForPixels(double pixels) {
    double field = fieldOfView_ * kArcsecPerDegree;
    int64_t zoom = 0;
    const ControlInfo* z = plan_.zoom.absolute;
    if (z && z->minimum > 0 && Get(z, zoom) && zoom > 0)
        field *= static_cast<double>(z->minimum) / static_cast<double>(zoom);
    return pixels * field / kPictureWidth;
}

void ControlActuators::MoveRelative(int pan, int tilt, int64_t us) {
    // Units to pixels through the head's lens at its zoom, pixels to angles through this
    // camera's field of view.
    const double unitsPerPixel = head::UnitsPerPixel(Position(AxisId::kZoom, us));
    TurnBy(pan_, ArcsecForPixels(pan / unitsPerPixel), us);
    TurnBy(tilt_, ArcsecForPixels(tilt / unitsPerPixel), us);
}

// ---------------------------------------------------------------------------------------------
// Picture.

void ControlActuators::StepExposure(int steps) {
    const ControlInfo* c = plan_.irisControl;
    if (!c)
        return;
    const int64_t now = ValueOr(c);
    const int64_t step = std::max<int64_t>(c->step, 1);
    int64_t next = now + steps * step;
    switch (plan_.iris) {
        case IrisBy::kExposureTime:
            if (!manualExposure_ && plan_.autoExposure)
                manualExposure_ = Set(plan_.autoExposure, V4L2_EXPOSURE_MANUAL);
            // The head's iris steps are a quarter of a doubling of the light each.
            next = std::llround(static_cast<double>(now) * std::exp2(steps / 4.0));
            if (ClampToControl(*c, next) == now)
                next = now + steps * step;
            break;
        case IrisBy::kBrightness:
        case IrisBy::kGain:
            // The head's 32 iris steps span the control's range.
            next = now + steps * std::max(step, (c->maximum - c->minimum) / 32);
            break;
        default:
            break;
    }
    Set(c, next);
}

void ControlActuators::SetBrightness(int value) {
    if (plan_.brightness)
        Set(plan_.brightness, AroundDefault(*plan_.brightness, value, 128, 255));
}

void ControlActuators::SetContrast(int value) {
    if (plan_.contrast)
        Set(plan_.contrast, AroundDefault(*plan_.contrast, value, 64, 255));
}

void ControlActuators::SetSharpness(int level) {
    if (plan_.sharpness)
        Set(plan_.sharpness, AroundDefault(*plan_.sharpness, level, 2, 5));
}

void ControlActuators::SetColourLevel(int value) {
    if (plan_.saturation)
        Set(plan_.saturation, AroundDefault(*plan_.saturation, value, 64, 255));
}

void ControlActuators::SetAutoFocus(bool on) {
    Set(plan_.autoFocus, on ? 1 : 0);
}

void ControlActuators::SetAutoWhiteBalance(bool on) {
    Set(plan_.autoWhite, on ? 1 : 0);
}

// Without gain controls the gains live in the colour temperature: more red than blue asks for
// a warmer picture, a higher temperature setting, the whole difference spanning half the range.
double ControlActuators::TemperaturePerGain() const {
    const ControlInfo& t = *plan_.temperature;
    return static_cast<double>(t.maximum - t.minimum) / 510;
}

void ControlActuators::SendGains() {
    if (plan_.temperature) {
        const ControlInfo& t = *plan_.temperature;
        Set(&t, t.defaultValue + std::llround((redGain_ - blueGain_) * TemperaturePerGain()));
    }
}

// The gains the temperature now stands for, split evenly about unity, so that gains read and
// written back leave the picture as it is.
void ControlActuators::ReadGains() {
    int64_t value = 0;
    if (plan_.temperature && Get(plan_.temperature, value)) {
        const double difference = (value - plan_.temperature->defaultValue) / TemperaturePerGain();
        redGain_ =
            std::clamp(static_cast<int>(std::lround(head::kGainUnity + difference / 2)), 0, 255);
        blueGain_ =
            std::clamp(static_cast<int>(std::lround(head::kGainUnity - difference / 2)), 0, 255);
    }
}

void ControlActuators::SetRedGain(int gain) {
    redGain_ = gain;
    if (plan_.redBalance)
        Set(plan_.redBalance, AroundDefault(*plan_.redBalance, gain, head::kGainUnity, 255));
    SendGains();
}

void ControlActuators::SetBlueGain(int gain) {
    blueGain_ = gain;
    if (plan_.blueBalance)
        Set(plan_.blueBalance, AroundDefault(*plan_.blueBalance, gain, head::kGainUnity, 255));
    SendGains();
}

int ControlActuators::RedGain() {
    int64_t value = 0;
    if (plan_.redBalance && Get(plan_.redBalance, value))
        return FromDefault(*plan_.redBalance, value, head::kGainUnity, 255);
    ReadGains();
    return redGain_;
}

int ControlActuators::BlueGain() {
    int64_t value = 0;
    if (plan_.blueBalance && Get(plan_.blueBalance, value))
        return FromDefault(*plan_.blueBalance, value, head::kGainUnity, 255);
    ReadGains();
    return blueGain_;
}

}  // namespace v4l2
