// Control requests of the emulated UVC camera, and its motors.
#include "simulator/EmulatedUvcControls.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace sim {

namespace {

// The head's mechanical stops, in arc-seconds either side of straight ahead.
constexpr double kPanStopArcsec = 612000;   // 170 degrees
constexpr double kTiltStopArcsec = 108000;  // 30 degrees

constexpr uint32_t kNextFlags = V4L2_CTRL_FLAG_NEXT_CTRL | V4L2_CTRL_FLAG_NEXT_COMPOUND;

// The automatic mode that governs a control, and the master's value in which the control is
// the camera's to set.
struct Governed {
    uint32_t id;
    uint32_t master;
    int32_t manual;
};
constexpr Governed kGoverned[] = {
    {V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL},
    {V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CID_AUTO_WHITE_BALANCE, 0},
    {V4L2_CID_RED_BALANCE, V4L2_CID_AUTO_WHITE_BALANCE, 0},
    {V4L2_CID_BLUE_BALANCE, V4L2_CID_AUTO_WHITE_BALANCE, 0},
};

void CopyName(char (&to)[32], const char* from) {
    std::memset(to, 0, sizeof to);
    std::strncpy(to, from, sizeof to - 1);
}

double ZoomMin(const UvcProfile& p) {
    const UvcControl* c = FindUvcControl(p, V4L2_CID_ZOOM_ABSOLUTE);
    return c != nullptr ? c->minimum : 1;
}
double ZoomMax(const UvcProfile& p) {
    const UvcControl* c = FindUvcControl(p, V4L2_CID_ZOOM_ABSOLUTE);
    return c != nullptr ? c->maximum : 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Motors.

double UvcMotor::At(int64_t us) const {
    const double seconds = static_cast<double>(std::max<int64_t>(us - startUs_, 0)) / 1e6;
    if (driving_) {
        const double distance = target_ - origin_;
        const double moved = speed_ * seconds;
        return moved >= std::abs(distance) ? target_ : origin_ + std::copysign(moved, distance);
    }
    return std::clamp(origin_ + velocity_ * seconds, min_, max_);
}

void UvcMotor::Run(int64_t us, double velocity) {
    origin_ = At(us);
    startUs_ = us;
    velocity_ = velocity;
    driving_ = false;
}

void UvcMotor::DriveTo(int64_t us, double target, double speed) {
    origin_ = At(us);
    startUs_ = us;
    velocity_ = 0;
    target_ = std::clamp(target, min_, max_);
    speed_ = speed;
    driving_ = true;
}

// ---------------------------------------------------------------------------------------------
// Control values.

UvcControls::UvcControls(const UvcProfile& profile, bool silentHead)
    : profile_(profile),
      silentHead_(silentHead),
      pan_(-kPanStopArcsec, kPanStopArcsec, 0),
      tilt_(-kTiltStopArcsec, kTiltStopArcsec, 0),
      zoom_(ZoomMin(profile), ZoomMax(profile), ZoomMin(profile)) {
    Reset(0);
}

void UvcControls::Reset(int64_t us) {
    values_.clear();
    for (const UvcControl& c : profile_.controls)
        values_.push_back(c.defaultValue);
    StopMotors(us);
}

void UvcControls::StopMotors(int64_t us) {
    pan_.Run(us, 0);
    tilt_.Run(us, 0);
    zoom_.Run(us, 0);
}

const UvcControl* UvcControls::Find(uint32_t id, size_t& index) const {
    for (index = 0; index < profile_.controls.size(); ++index) {
        if (profile_.controls[index].id == id)
            return &profile_.controls[index];
    }
    return nullptr;
}

// The fixed flags, and INACTIVE while the control's automatic mode is on. A master set in the
// same request (`pending`) counts with its new value.
uint32_t UvcControls::Flags(size_t index, const v4l2_ext_control* pending,
                            uint32_t pendingCount) const {
    const UvcControl& c = profile_.controls[index];
    uint32_t flags = c.flags;
    for (const Governed& g : kGoverned) {
        size_t master = 0;
        if (g.id != c.id || Find(g.master, master) == nullptr)
            continue;
        int32_t masterValue = values_[master];
        for (uint32_t i = 0; i < pendingCount; ++i) {
            if (pending[i].id == g.master)
                masterValue = pending[i].value;
        }
        if (masterValue != g.manual)
            flags |= V4L2_CTRL_FLAG_INACTIVE;
    }
    return flags;
}

int32_t UvcControls::Read(size_t index, int64_t us) const {
    const UvcControl& c = profile_.controls[index];
    double position = 0;
    switch (c.id) {
        case V4L2_CID_PAN_ABSOLUTE:
            position = pan_.At(us);
            break;
        case V4L2_CID_TILT_ABSOLUTE:
            position = tilt_.At(us);
            break;
        case V4L2_CID_ZOOM_ABSOLUTE:
            position = zoom_.At(us);
            break;
        default:
            return values_[index];
    }
    // A position reads on the control's grid of steps.
    const double steps = std::round((position - c.minimum) / c.step);
    return static_cast<int32_t>(std::min<double>(c.minimum + steps * c.step, c.maximum));
}

// Whether `value` may be set, rounded onto the control's steps: 0, ERANGE or EINVAL.
int UvcControls::Check(size_t index, int32_t& value) const {
    const UvcControl& c = profile_.controls[index];
    if (value < c.minimum || value > c.maximum)
        return ERANGE;
    switch (c.type) {
        case V4L2_CTRL_TYPE_MENU:
            return (c.menuMask >> value & 1) != 0 ? 0 : EINVAL;
        case V4L2_CTRL_TYPE_INTEGER: {
            const int64_t offset = static_cast<int64_t>(value) - c.minimum;
            const int64_t rounded = (offset + c.step / 2) / c.step * c.step + c.minimum;
            value = static_cast<int32_t>(std::min<int64_t>(rounded, c.maximum));
            return 0;
        }
        default:
            return 0;
    }
}

void UvcControls::Apply(size_t index, int32_t value, int64_t us) {
    const uint32_t id = profile_.controls[index].id;
    const bool relative = id == V4L2_CID_PAN_RELATIVE || id == V4L2_CID_TILT_RELATIVE;
    values_[index] = relative ? 0 : value;  // a relative move leaves nothing to read back
    if (silentHead_)
        return;
    auto clearSpeed = [this](uint32_t speedId) {
        size_t i = 0;
        if (Find(speedId, i) != nullptr)
            values_[i] = 0;
    };
    switch (id) {
        case V4L2_CID_PAN_ABSOLUTE:
            pan_.DriveTo(us, value, kDriveArcsecPerSecond);
            clearSpeed(V4L2_CID_PAN_SPEED);
            break;
        case V4L2_CID_TILT_ABSOLUTE:
            tilt_.DriveTo(us, value, kDriveArcsecPerSecond);
            clearSpeed(V4L2_CID_TILT_SPEED);
            break;
        case V4L2_CID_PAN_RELATIVE:
            pan_.DriveTo(us, pan_.Heading(us) + value, kDriveArcsecPerSecond);
            break;
        case V4L2_CID_TILT_RELATIVE:
            tilt_.DriveTo(us, tilt_.Heading(us) + value, kDriveArcsecPerSecond);
            break;
        case V4L2_CID_PAN_SPEED:
            pan_.Run(us, value * kSpeedStepArcsecPerSecond);
            break;
        case V4L2_CID_TILT_SPEED:
            tilt_.Run(us, value * kSpeedStepArcsecPerSecond);
            break;
        case V4L2_CID_ZOOM_ABSOLUTE:
            zoom_.DriveTo(us, value, (ZoomMax(profile_) - ZoomMin(profile_)) / kZoomDriveSeconds);
            clearSpeed(V4L2_CID_ZOOM_CONTINUOUS);
            break;
        case V4L2_CID_ZOOM_CONTINUOUS: {
            const double fullSpeed = profile_.controls[index].maximum;
            const double range = ZoomMax(profile_) - ZoomMin(profile_);
            zoom_.Run(us, value / fullSpeed * range / kZoomFullSpeedSeconds);
            break;
        }
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Requests.

bool UvcControls::IsControlRequest(unsigned long request) {
    switch (request) {
        case VIDIOC_QUERYCTRL:
        case VIDIOC_QUERY_EXT_CTRL:
        case VIDIOC_QUERYMENU:
        case VIDIOC_G_CTRL:
        case VIDIOC_S_CTRL:
        case VIDIOC_G_EXT_CTRLS:
        case VIDIOC_S_EXT_CTRLS:
        case VIDIOC_TRY_EXT_CTRLS:
            return true;
        default:
            return false;
    }
}

int UvcControls::QueryControl(unsigned long request, void* argument) const {
    // Both query structures start with the id; NEXT_CTRL asks for the first control after it.
    // The camera has no compound controls, so NEXT_COMPOUND alone finds nothing.
    const uint32_t asked = *static_cast<const uint32_t*>(argument);
    const uint32_t id = asked & ~kNextFlags;
    const UvcControl* found = nullptr;
    size_t index = 0;
    if ((asked & V4L2_CTRL_FLAG_NEXT_CTRL) != 0) {
        for (size_t i = 0; i < profile_.controls.size(); ++i) {
            const UvcControl& c = profile_.controls[i];
            if (c.id > id && (found == nullptr || c.id < found->id)) {
                found = &c;
                index = i;
            }
        }
    } else if ((asked & kNextFlags) == 0) {
        found = Find(id, index);
    }
    if (found == nullptr)
        return EINVAL;
    const int32_t step = found->type == V4L2_CTRL_TYPE_MENU ? 1 : found->step;
    if (request == VIDIOC_QUERYCTRL) {
        auto& q = *static_cast<v4l2_queryctrl*>(argument);
        q = {};
        q.id = found->id;
        q.type = found->type;
        CopyName(reinterpret_cast<char(&)[32]>(q.name), found->name);
        q.minimum = found->minimum;
        q.maximum = found->maximum;
        q.step = step;
        q.default_value = found->defaultValue;
        q.flags = Flags(index);
        return 0;
    }
    auto& q = *static_cast<v4l2_query_ext_ctrl*>(argument);
    q = {};
    q.id = found->id;
    q.type = found->type;
    CopyName(q.name, found->name);
    q.minimum = found->minimum;
    q.maximum = found->maximum;
    q.step = static_cast<uint64_t>(step);
    q.default_value = found->defaultValue;
    q.flags = Flags(index);
    q.elem_size = sizeof(int32_t);
    q.elems = 1;
    return 0;
}

int UvcControls::Ioctl(unsigned long request, void* argument, int64_t us) {
    switch (request) {
        case VIDIOC_QUERYCTRL:
        case VIDIOC_QUERY_EXT_CTRL:
            return QueryControl(request, argument);
        case VIDIOC_QUERYMENU: {
            auto& m = *static_cast<v4l2_querymenu*>(argument);
            size_t index = 0;
            const UvcControl* c = Find(m.id, index);
            if (c == nullptr || c->type != V4L2_CTRL_TYPE_MENU)
                return EINVAL;
            const char* name = UvcMenuItemName(m.id, m.index);
            if (name == nullptr || (c->menuMask >> m.index & 1) == 0)
                return EINVAL;
            m.reserved = 0;
            CopyName(reinterpret_cast<char(&)[32]>(m.name), name);
            return 0;
        }
        case VIDIOC_G_CTRL:
        case VIDIOC_S_CTRL: {
            // The single-control requests are a request of one extended control.
            auto& control = *static_cast<v4l2_control*>(argument);
            v4l2_ext_control one{};
            one.id = control.id;
            one.value = control.value;
            v4l2_ext_controls list{};
            list.which = V4L2_CTRL_WHICH_CUR_VAL;
            list.count = 1;
            list.controls = &one;
            const int error = ExtControls(
                request == VIDIOC_G_CTRL ? VIDIOC_G_EXT_CTRLS : VIDIOC_S_EXT_CTRLS, list, us);
            if (error == 0 && request == VIDIOC_G_CTRL)
                control.value = one.value;
            return error;
        }
        case VIDIOC_G_EXT_CTRLS:
        case VIDIOC_S_EXT_CTRLS:
        case VIDIOC_TRY_EXT_CTRLS:
            return ExtControls(request, *static_cast<v4l2_ext_controls*>(argument), us);
        default:
            return ENOTTY;
    }
}

// All or nothing: every control is checked before any is set. A failing control is named by
// error_idx; VIDIOC_S_EXT_CTRLS names it with `count` when nothing has been set, as V4L2 asks.
int UvcControls::ExtControls(unsigned long request, v4l2_ext_controls& list, int64_t us) {
    const bool get = request == VIDIOC_G_EXT_CTRLS;
    const bool set = request == VIDIOC_S_EXT_CTRLS;
    const uint32_t which = list.which;
    const bool defaults = which == V4L2_CTRL_WHICH_DEF_VAL;
    const bool byClass = which == V4L2_CTRL_CLASS_USER || which == V4L2_CTRL_CLASS_CAMERA;
    if (which != V4L2_CTRL_WHICH_CUR_VAL && !(defaults && get) && !byClass)
        return EINVAL;
    if (list.count == 0)
        return 0;
    if (list.controls == nullptr)
        return EFAULT;
    auto fail = [&](uint32_t i, int error) {
        list.error_idx = set ? list.count : i;
        return error;
    };
    std::vector<int32_t> checked(list.count);
    std::vector<size_t> indices(list.count);
    for (uint32_t i = 0; i < list.count; ++i) {
        v4l2_ext_control& c = list.controls[i];
        const UvcControl* control = Find(c.id, indices[i]);
        if (byClass && V4L2_CTRL_ID2WHICH(c.id) != which) {
            // V4L2 itself refuses a control of another class, before the driver sees any.
            list.error_idx = request == VIDIOC_TRY_EXT_CTRLS ? i : list.count;
            return EINVAL;
        }
        if (control == nullptr)
            return fail(i, EINVAL);
        const uint32_t flags = Flags(indices[i], list.controls, set ? list.count : 0);
        if (get) {
            if (!defaults && (flags & V4L2_CTRL_FLAG_WRITE_ONLY) != 0)
                return fail(i, EACCES);
            checked[i] = defaults ? control->defaultValue : Read(indices[i], us);
            continue;
        }
        if (set && (flags & V4L2_CTRL_FLAG_INACTIVE) != 0)
            return fail(i, EACCES);
        checked[i] = c.value;
        if (const int error = Check(indices[i], checked[i]); error != 0)
            return fail(i, error);
    }
    for (uint32_t i = 0; i < list.count; ++i) {
        list.controls[i].value = checked[i];
        if (set)
            Apply(indices[i], checked[i], us);
    }
    return 0;
}

}  // namespace sim
