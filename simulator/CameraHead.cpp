// The simulated camera head: motors on the clock, picture settings, answers with a delay.
#include "simulator/CameraHead.h"

#include "device/HeadCommands.h"

#include <algorithm>

namespace sim {

namespace {

// Continuous motions: which axis, which way and how fast each code drives.
enum class AxisId { kPan, kTilt, kZoom };
struct Motion {
    uint16_t code;
    AxisId axis;
    int velocity;  // units per second, signed
};
constexpr Motion kMotions[] = {
    {69, AxisId::kTilt, +kPanTiltSlow},   {61, AxisId::kTilt, +kPanTiltMedium},
    {71, AxisId::kTilt, +kPanTiltFast},   {70, AxisId::kTilt, -kPanTiltSlow},
    {62, AxisId::kTilt, -kPanTiltMedium}, {72, AxisId::kTilt, -kPanTiltFast},
    {73, AxisId::kPan, -kPanTiltSlow},    {63, AxisId::kPan, -kPanTiltMedium},
    {75, AxisId::kPan, -kPanTiltFast},    {74, AxisId::kPan, +kPanTiltSlow},
    {64, AxisId::kPan, +kPanTiltMedium},  {76, AxisId::kPan, +kPanTiltFast},
    {21, AxisId::kZoom, +kZoomSlow},      {1, AxisId::kZoom, +kZoomMedium},
    {23, AxisId::kZoom, +kZoomFast},      {22, AxisId::kZoom, -kZoomSlow},
    {2, AxisId::kZoom, -kZoomMedium},     {24, AxisId::kZoom, -kZoomFast},
};

// Nudges: one small step on one axis.
struct Nudge {
    uint16_t code;
    AxisId axis;
    int step;
};
constexpr Nudge kNudges[] = {
    {161, AxisId::kTilt, +kNudgeUnits},
    {162, AxisId::kTilt, -kNudgeUnits},
    {163, AxisId::kPan, +kNudgeUnits},
    {164, AxisId::kPan, -kNudgeUnits},
};

// Sharpness codes (argument A of command 151), softest first.
constexpr uint16_t kSharpnessCodes[] = {144, 151, 150, 149, 147, 145};

// Models whose head has no pan/tilt drive, and the newer models that do not know the old
// exposure commands 29 and 27.
constexpr uint16_t kZoomOnlyModels[] = {26, 27, 62};
constexpr uint16_t kNewerModels[] = {26, 27, 62, 8, 13, 14};

constexpr int16_t Signed(uint16_t v) {
    return static_cast<int16_t>(v);
}

}  // namespace

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

CameraHead::CameraHead(uint16_t model, bool silent, RegisterFile& registers)
    : model_(model), silent_(silent), regs_(registers) {}

bool CameraHead::HasPanTilt() const {
    return std::find(std::begin(kZoomOnlyModels), std::end(kZoomOnlyModels), model_) ==
           std::end(kZoomOnlyModels);
}

bool CameraHead::IsOldestModel() const {
    return std::find(std::begin(kNewerModels), std::end(kNewerModels), model_) ==
           std::end(kNewerModels);
}

void CameraHead::PostAnswer(uint16_t reg, uint16_t value, int64_t us) {
    answers_.push_back({us + kAnswerDelayUs, reg, value});
}

void CameraHead::Settle(int64_t us) {
    while (!answers_.empty() && answers_.front().dueUs <= us) {
        regs_[answers_.front().reg] = answers_.front().value;
        answers_.pop_front();
    }
}

bool CameraHead::TakeFlash(int64_t frameUs) {
    if (!flashArmed_ || frameUs < flashArmedUs_)
        return false;
    flashArmed_ = false;
    return true;
}

void CameraHead::Command(uint16_t code, int64_t us) {
    Settle(us);
    const uint16_t a = regs_[kRegArgA];
    const uint16_t b = regs_[kRegArgB];
    if (RunMotion(code, us) || RunPictureCommand(code, a, b))
        return;

    switch (code) {
        case head::kHandshake:
            if (!silent_)
                PostAnswer(kRegArgB, head::kHandshakeAnswer, us);
            break;
        case head::kReportFocusMode:
            if (!silent_)
                PostAnswer(kRegArgA, autoFocus_ ? head::kAutoFocusAnswer : 1, us);
            break;
        case head::kAutoFocusOn:
            autoFocus_ = true;
            break;
        case head::kAutoFocusOff:
            autoFocus_ = false;
            break;
        case head::kReportModel:
            PostAnswer(kRegArgA, model_, us);
            break;
        case head::kReportZoom:
            PostAnswer(kRegArgA, static_cast<uint16_t>(zoom_.At(us)), us);
            break;
        case head::kReportPanTilt:
            PostAnswer(kRegArgA, static_cast<uint16_t>(pan_.At(us)), us);
            PostAnswer(kRegArgB, static_cast<uint16_t>(tilt_.At(us)), us);
            break;
        case head::kReportRedGain:
            PostAnswer(kRegArgA, static_cast<uint16_t>(picture_.redGain), us);
            break;
        case head::kReportBlueGain:
            PostAnswer(kRegArgB, static_cast<uint16_t>(picture_.blueGain), us);
            break;
        case head::kFlashArm:
            flashArmed_ = true;
            flashArmedUs_ = us;
            break;
        case head::kFlashDisarm:
            flashArmed_ = false;
            break;
        default:
            if (code >= head::kFlashLevelBase && code <= head::kFlashLevelBase + kFlashLevelMax)
                picture_.flashLevel = code - head::kFlashLevelBase;
            break;  // anything else the head does not know is ignored, as the real one does
    }
}

bool CameraHead::RunMotion(uint16_t code, int64_t us) {
    auto axis = [this](AxisId id) -> Axis& {
        return id == AxisId::kPan ? pan_ : id == AxisId::kTilt ? tilt_ : zoom_;
    };
    for (const Motion& m : kMotions) {
        if (m.code != code)
            continue;
        if (m.axis != AxisId::kZoom && !HasPanTilt())
            return true;
        axis(m.axis).Run(us, m.velocity);
        return true;
    }
    for (const Nudge& n : kNudges) {
        if (n.code != code)
            continue;
        if (HasPanTilt())
            axis(n.axis).DriveTo(us, axis(n.axis).At(us) + n.step, kPanTiltDrive);
        return true;
    }
    const int16_t a = Signed(regs_[kRegArgA]);
    const int16_t b = Signed(regs_[kRegArgB]);
    switch (code) {
        case head::kStopPanTilt:
            pan_.Stop(us);
            tilt_.Stop(us);
            return true;
        case head::kStopZoom:
            zoom_.Stop(us);
            return true;
        case head::kDriveZoom:  // zoom positions are unsigned
            zoom_.DriveTo(us, regs_[kRegArgA], kZoomDrive);
            return true;
        case head::kDrivePanTilt:
            if (HasPanTilt()) {
                pan_.DriveTo(us, a, kPanTiltDrive);
                tilt_.DriveTo(us, b, kPanTiltDrive);
            }
            return true;
        case head::kMoveRelative:
            if (HasPanTilt()) {
                pan_.DriveTo(us, pan_.At(us) + a, kPanTiltDrive);
                tilt_.DriveTo(us, tilt_.At(us) + b, kPanTiltDrive);
            }
            return true;
        default:
            return false;
    }
}

bool CameraHead::RunPictureCommand(uint16_t code, uint16_t a, uint16_t b) {
    PictureSettings& p = picture_;
    switch (code) {
        case head::kExposureDarker:
            p.exposureStep = std::max(p.exposureStep - 1, kExposureStepMin);
            return true;
        case head::kExposureBrighter:
            p.exposureStep = std::min(p.exposureStep + 1, kExposureStepMax);
            return true;
        case head::kLeaveAutoExposure:  // the oldest heads: leave automatic exposure
            if (IsOldestModel())
                manualExposure_ = true;
            return true;
        case head::kManualExposureBrighter:  // the oldest heads: one step brighter, in manual
                                             // exposure only
            if (IsOldestModel() && manualExposure_) {
                p.exposureStep = std::min(p.exposureStep + 1, kExposureStepMax);
            }
            return true;
        case head::kBrightness:
            p.brightness = a & 0xFF;
            return true;
        case head::kContrast:
            p.contrast = a & 0xFF;
            return true;
        case head::kSharpness:
            for (int level = 0; level < static_cast<int>(std::size(kSharpnessCodes)); ++level) {
                if (kSharpnessCodes[level] == a)
                    p.sharpness = level;
            }
            return true;
        case head::kAutoWhiteBalance:  // automatic white balance: the gains follow the room light
                                       // again
            autoWhite_ = true;
            p.redGain = kAutoRedGain;
            p.blueGain = kAutoBlueGain;
            return true;
        case head::kManualColour:  // manual colour: the gains stay where they are until set
            autoWhite_ = false;
            return true;
        case head::kRedGain:
            if (!autoWhite_)
                p.redGain = a & 0xFF;
            return true;
        case head::kBlueGain:
            if (!autoWhite_)
                p.blueGain = b & 0xFF;
            return true;
        case head::kColourLevel:
            p.colourLevel = a & 0xFF;
            return true;
        default:
            return false;
    }
}

}  // namespace sim
