// The control list of a V4L2 camera and the plan of which control carries out each head command.
#include "v4l2/ControlPlan.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "head/CommandInterpreter.h"

namespace v4l2 {

namespace {

using head::AxisId;

const ControlInfo* Find(const std::vector<ControlInfo>& controls, uint32_t id) {
    for (const ControlInfo& c : controls) {
        if (c.id == id)
            return &c;
    }
    return nullptr;
}

AxisPlan PlanAxis(const std::vector<ControlInfo>& controls, uint32_t speed, uint32_t relative,
                  uint32_t absolute) {
    AxisPlan plan;
    plan.absolute = Find(controls, absolute);
    plan.relative = Find(controls, relative);
    if (const ControlInfo* c = Find(controls, speed); c && c->maximum > 0) {
        plan.run = RunBy::kSpeed;
        plan.runControl = c;
    } else if (plan.relative) {
        plan.run = RunBy::kRelativeSteps;
        plan.runControl = plan.relative;
    } else if (plan.absolute) {
        plan.run = RunBy::kAbsoluteTargets;
        plan.runControl = plan.absolute;
    }
    return plan;
}

std::string Range(const ControlInfo& c) {
    return std::to_string(c.minimum) + ".." + std::to_string(c.maximum);
}

}  // namespace

int64_t ClampToControl(const ControlInfo& c, int64_t value) {
    const int64_t step = std::max<int64_t>(c.step, 1);
    value = std::clamp(value, c.minimum, c.maximum);
    const int64_t steps = (value - c.minimum + step / 2) / step;
    return std::min(c.minimum + steps * step, c.maximum);
}

UnitRange HeadRange(AxisId axis) {
    switch (axis) {
        case AxisId::kPan:
            return {head::kPanMin, head::kPanMax};
        case AxisId::kTilt:
            return {head::kTiltMin, head::kTiltMax};
        default:
            return {head::kZoomMin, head::kZoomMax};
    }
}

double TierSpeed(AxisId axis, head::Tier tier) {
    const int* speeds = axis == AxisId::kZoom ? head::kZoomTierSpeed : head::kPanTiltTierSpeed;
    return speeds[static_cast<int>(tier)];
}

int64_t SpeedValue(const ControlInfo& c, AxisId axis, head::Tier tier) {
    const double share = TierSpeed(axis, tier) / TierSpeed(axis, head::Tier::kFast);
    const int64_t step = std::max<int64_t>(c.step, 1);
    return std::max(step, ClampToControl(c, std::llround(c.maximum * share)));
}

bool QueryControls(V4l2Operations& ops, int fd, std::vector<ControlInfo>& controls) {
    controls.clear();
    v4l2_query_ext_ctrl query{};
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    for (;;) {
        int result = -1;
        for (int attempt = 0; attempt < kCallAttempts; ++attempt) {
            result = ops.Ioctl(fd, VIDIOC_QUERY_EXT_CTRL, &query);
            if (result == 0 || (errno != EINTR && errno != EAGAIN))
                break;
        }
        if (result != 0)
            return errno != ENODEV && errno != EIO;  // EINVAL: past the last control
        if (!(query.flags & V4L2_CTRL_FLAG_DISABLED) && query.type != V4L2_CTRL_TYPE_CTRL_CLASS) {
            ControlInfo c;
            c.id = query.id;
            c.type = query.type;
            c.name.assign(query.name, strnlen(query.name, sizeof query.name));
            c.minimum = query.minimum;
            c.maximum = query.maximum;
            c.step = static_cast<int64_t>(query.step);
            c.defaultValue = query.default_value;
            c.flags = query.flags;
            controls.push_back(std::move(c));
        }
        query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
}

ControlPlan PlanControls(const std::vector<ControlInfo>& controls) {
    ControlPlan p;
    p.pan = PlanAxis(controls, V4L2_CID_PAN_SPEED, V4L2_CID_PAN_RELATIVE, V4L2_CID_PAN_ABSOLUTE);
    p.tilt =
        PlanAxis(controls, V4L2_CID_TILT_SPEED, V4L2_CID_TILT_RELATIVE, V4L2_CID_TILT_ABSOLUTE);
    p.zoom = PlanAxis(controls, V4L2_CID_ZOOM_CONTINUOUS, 0, V4L2_CID_ZOOM_ABSOLUTE);
    p.autoExposure = Find(controls, V4L2_CID_EXPOSURE_AUTO);
    constexpr std::pair<IrisBy, uint32_t> kIris[] = {
        {IrisBy::kIris, V4L2_CID_IRIS_ABSOLUTE},
        {IrisBy::kExposureTime, V4L2_CID_EXPOSURE_ABSOLUTE},
        {IrisBy::kBrightness, V4L2_CID_BRIGHTNESS},
        {IrisBy::kGain, V4L2_CID_GAIN},
    };
    for (const auto& [by, id] : kIris) {
        if (const ControlInfo* c = Find(controls, id)) {
            p.iris = by;
            p.irisControl = c;
            break;
        }
    }
    p.autoWhite = Find(controls, V4L2_CID_AUTO_WHITE_BALANCE);
    p.redBalance = Find(controls, V4L2_CID_RED_BALANCE);
    p.blueBalance = Find(controls, V4L2_CID_BLUE_BALANCE);
    if (!p.redBalance && !p.blueBalance)
        p.temperature = Find(controls, V4L2_CID_WHITE_BALANCE_TEMPERATURE);
    p.autoFocus = Find(controls, V4L2_CID_FOCUS_AUTO);
    p.sharpness = Find(controls, V4L2_CID_SHARPNESS);
    p.brightness = Find(controls, V4L2_CID_BRIGHTNESS);
    p.contrast = Find(controls, V4L2_CID_CONTRAST);
    p.saturation = Find(controls, V4L2_CID_SATURATION);
    return p;
}

uint16_t ModelOf(const ControlPlan& plan) {
    const bool panTilt = plan.pan.run != RunBy::kNone && plan.tilt.run != RunBy::kNone;
    return panTilt ? head::kModelPanTilt : head::kModelZoomOnly;
}

std::vector<std::string> DescribePlan(const ControlPlan& p, double fieldOfViewDegrees) {
    std::vector<std::string> lines;
    auto axis = [&](const char* name, const AxisPlan& a, AxisId id) {
        std::string line = std::string(name) + ": ";
        switch (a.run) {
            case RunBy::kNone:
                lines.push_back(line + "no control; the commands are accepted and do nothing");
                return;
            case RunBy::kSpeed:
                line += "held motion runs \"" + a.runControl->name + "\" at " +
                        std::to_string(SpeedValue(*a.runControl, id, head::Tier::kSlow)) + ", " +
                        std::to_string(SpeedValue(*a.runControl, id, head::Tier::kMedium)) + ", " +
                        std::to_string(SpeedValue(*a.runControl, id, head::Tier::kFast)) +
                        " (slow, medium, fast)";
                break;
            case RunBy::kRelativeSteps:
                line += "held motion sends steps of \"" + a.runControl->name + "\" as time passes";
                break;
            case RunBy::kAbsoluteTargets:
                line += "held motion advances \"" + a.runControl->name + "\" on the clock";
                break;
        }
        if (a.absolute) {
            const UnitRange r = HeadRange(id);
            line += "; positions are \"" + a.absolute->name + "\" " + Range(*a.absolute) +
                    " as head units " + std::to_string(r.min) + ".." + std::to_string(r.max);
        } else {
            line += "; positions are counted from the station's own moves";
        }
        lines.push_back(line);
    };
    axis("pan", p.pan, AxisId::kPan);
    axis("tilt", p.tilt, AxisId::kTilt);
    axis("zoom", p.zoom, AxisId::kZoom);
    const bool relative =
        (p.pan.absolute || p.pan.relative) && (p.tilt.absolute || p.tilt.relative);
    lines.push_back(relative ? "click to centre: turns through the pan and tilt controls, " +
                                   std::to_string(std::lround(fieldOfViewDegrees)) +
                                   " degrees wide at the widest zoom"
                             : "click to centre: no pan and tilt positions; does nothing");
    std::string iris = "iris and brightness steps: ";
    if (p.irisControl) {
        iris += "\"" + p.irisControl->name + "\"";
        if (p.iris == IrisBy::kExposureTime)
            iris += " in manual exposure";
    } else {
        iris += "no control; does nothing";
    }
    lines.push_back(iris);
    std::string white = "white balance: ";
    white += p.autoWhite ? "automatic by \"" + p.autoWhite->name + "\"" : "no automatic control";
    if (p.redBalance || p.blueBalance)
        white += "; gains by the red and blue balance controls";
    else if (p.temperature)
        white += "; gains move \"" + p.temperature->name + "\" by their difference";
    else
        white += "; gains are kept and read back, with no effect";
    lines.push_back(white);
    auto single = [&](const char* what, const ControlInfo* c) {
        lines.push_back(std::string(what) + ": " +
                        (c ? "\"" + c->name + "\"" : std::string("no control; does nothing")));
    };
    single("focus", p.autoFocus);
    single("sharpness and aperture", p.sharpness);
    single("contrast", p.contrast);
    single("colour level", p.saturation);
    lines.push_back("flash, tone curve, quantisation tables: no counterpart; accepted, no effect");
    lines.push_back("model number: " + std::to_string(ModelOf(p)) +
                    (ModelOf(p) == head::kModelPanTilt ? " (pan, tilt and zoom)"
                     : p.zoom.run != RunBy::kNone      ? " (zoom only)"
                                                       : " (zoom only; the zoom does nothing)"));
    return lines;
}

}  // namespace v4l2
