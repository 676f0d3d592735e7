// A V4L2 camera's controls, read once, and the plan of which control carries out each kind of
// head command (see ControlActuators.h for how). Plain data and functions, so the choice, the
// model number and the description zelvocam-probe prints can be checked from a list alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "head/HeadActuators.h"
#include "v4l2/V4l2Operations.h"

namespace v4l2 {

// A call interrupted by a signal or told to try again is repeated this often at most.
inline constexpr int kCallAttempts = 4;

inline constexpr double kDefaultFieldOfViewDegrees = 60.0;

// One control as VIDIOC_QUERY_EXT_CTRL describes it.
struct ControlInfo {
    uint32_t id = 0;
    uint32_t type = 0;  // V4L2_CTRL_TYPE_*
    std::string name;
    int64_t minimum = 0;
    int64_t maximum = 0;
    int64_t step = 1;
    int64_t defaultValue = 0;
    uint32_t flags = 0;
};

// The controls of the open device `fd`, in the device's order; disabled controls and class
// headings are left out. False when the device is gone (ENODEV, EIO).
bool QueryControls(V4l2Operations& ops, int fd, std::vector<ControlInfo>& controls);

// How one axis is carried out; the pointers are into the control list the plan was made from.
enum class RunBy { kNone, kSpeed, kRelativeSteps, kAbsoluteTargets };
struct AxisPlan {
    RunBy run = RunBy::kNone;
    const ControlInfo* runControl = nullptr;  // what continuous motion sets
    const ControlInfo* absolute = nullptr;    // positions read and driven; none: counted
    const ControlInfo* relative = nullptr;    // steps by an amount, in arc seconds
};

enum class IrisBy { kNone, kIris, kExposureTime, kBrightness, kGain };

struct ControlPlan {
    AxisPlan pan;
    AxisPlan tilt;
    AxisPlan zoom;
    IrisBy iris = IrisBy::kNone;
    const ControlInfo* irisControl = nullptr;
    const ControlInfo* autoExposure = nullptr;
    const ControlInfo* autoWhite = nullptr;
    const ControlInfo* redBalance = nullptr;
    const ControlInfo* blueBalance = nullptr;
    const ControlInfo* temperature = nullptr;  // only when the gains are missing
    const ControlInfo* autoFocus = nullptr;
    const ControlInfo* sharpness = nullptr;
    const ControlInfo* brightness = nullptr;
    const ControlInfo* contrast = nullptr;
    const ControlInfo* saturation = nullptr;
};

ControlPlan PlanControls(const std::vector<ControlInfo>& controls);

// The model number the head reports: a class-5 model with pan and tilt, a class-3 model with
// zoom only, and the same class-3 model (whose zoom then does nothing) with neither.
uint16_t ModelOf(const ControlPlan& plan);

// How each head command is carried out, one line each, for people to read.
std::vector<std::string> DescribePlan(const ControlPlan& plan, double fieldOfViewDegrees);

// A value as the control takes it: inside its range, on its steps from the minimum.
int64_t ClampToControl(const ControlInfo& control, int64_t value);

// The head's unit range of an axis.
struct UnitRange {
    int min;
    int max;
};
UnitRange HeadRange(head::AxisId axis);

// A speed control's value for a tier: its fastest value at the fast tier, the head's ratio
// below it, and never slower than one step.
int64_t SpeedValue(const ControlInfo& control, head::AxisId axis, head::Tier tier);
double TierSpeed(head::AxisId axis, head::Tier tier);  // the head's, in units per second

}  // namespace v4l2
