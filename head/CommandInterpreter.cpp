// The camera head's command set over its actuators: argument latching, answers and their
// timing, and the meaning of each command code.
#include "head/CommandInterpreter.h"

#include <algorithm>
#include <iterator>

#include "device/HeadCommands.h"

namespace head {

namespace {

// Continuous motions: which axis, which way and at which tier each code drives.
struct Motion {
    uint16_t code;
    AxisId axis;
    int direction;
    Tier tier;
};
constexpr Motion kMotions[] = {
    {69, AxisId::kTilt, +1, Tier::kSlow},   {61, AxisId::kTilt, +1, Tier::kMedium},
    {71, AxisId::kTilt, +1, Tier::kFast},   {70, AxisId::kTilt, -1, Tier::kSlow},
    {62, AxisId::kTilt, -1, Tier::kMedium}, {72, AxisId::kTilt, -1, Tier::kFast},
    {73, AxisId::kPan, -1, Tier::kSlow},    {63, AxisId::kPan, -1, Tier::kMedium},
    {75, AxisId::kPan, -1, Tier::kFast},    {74, AxisId::kPan, +1, Tier::kSlow},
    {64, AxisId::kPan, +1, Tier::kMedium},  {76, AxisId::kPan, +1, Tier::kFast},
    {21, AxisId::kZoom, +1, Tier::kSlow},   {1, AxisId::kZoom, +1, Tier::kMedium},
    {23, AxisId::kZoom, +1, Tier::kFast},   {22, AxisId::kZoom, -1, Tier::kSlow},
    {2, AxisId::kZoom, -1, Tier::kMedium},  {24, AxisId::kZoom, -1, Tier::kFast},
};

// Nudges: one small step on one axis.
struct Nudge {
    uint16_t code;
    AxisId axis;
    int direction;
};
constexpr Nudge kNudges[] = {
    {161, AxisId::kTilt, +1},
    {162, AxisId::kTilt, -1},
    {163, AxisId::kPan, +1},
    {164, AxisId::kPan, -1},
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

bool ModelHasPanTilt(uint16_t model) {
    return std::find(std::begin(kZoomOnlyModels), std::end(kZoomOnlyModels), model) ==
           std::end(kZoomOnlyModels);
}

bool IsOldestModel(uint16_t model) {
    return std::find(std::begin(kNewerModels), std::end(kNewerModels), model) ==
           std::end(kNewerModels);
}

CommandInterpreter::CommandInterpreter(uint16_t model, bool silent, RegisterFile& registers,
                                       HeadActuators& actuators)
    : model_(model), silent_(silent), regs_(registers), act_(actuators) {}

void CommandInterpreter::PostAnswer(uint16_t reg, uint16_t value, int64_t us) {
    answers_.push_back({us + kAnswerDelayUs, reg, value});
}

void CommandInterpreter::Settle(int64_t us) {
    act_.Advance(us);
    while (!answers_.empty() && answers_.front().dueUs <= us) {
        regs_[answers_.front().reg] = answers_.front().value;
        answers_.pop_front();
    }
}

void CommandInterpreter::Command(uint16_t code, int64_t us) {
    Settle(us);
    const uint16_t a = regs_[kRegArgA];
    const uint16_t b = regs_[kRegArgB];
    if (RunMotion(code, us) || RunPictureCommand(code, a, b))
        return;

    switch (code) {
        case kHandshake:
            if (!silent_)
                PostAnswer(kRegArgB, kHandshakeAnswer, us);
            break;
        case kReportFocusMode:
            if (!silent_)
                PostAnswer(kRegArgA, autoFocus_ ? kAutoFocusAnswer : 1, us);
            break;
        case kAutoFocusOn:
        case kAutoFocusOff:
            autoFocus_ = code == kAutoFocusOn;
            act_.SetAutoFocus(autoFocus_);
            break;
        case kReportModel:
            PostAnswer(kRegArgA, model_, us);
            break;
        case kReportZoom:
            PostAnswer(kRegArgA, static_cast<uint16_t>(act_.Position(AxisId::kZoom, us)), us);
            break;
        case kReportPanTilt:
            PostAnswer(kRegArgA, static_cast<uint16_t>(act_.Position(AxisId::kPan, us)), us);
            PostAnswer(kRegArgB, static_cast<uint16_t>(act_.Position(AxisId::kTilt, us)), us);
            break;
        case kReportRedGain:
            PostAnswer(kRegArgA, static_cast<uint16_t>(act_.RedGain()), us);
            break;
        case kReportBlueGain:
            PostAnswer(kRegArgB, static_cast<uint16_t>(act_.BlueGain()), us);
            break;
        case kFlashArm:
            act_.ArmFlash(us);
            break;
        case kFlashDisarm:
            act_.DisarmFlash();
            break;
        default:
            if (code >= kFlashLevelBase && code <= kFlashLevelBase + kFlashLevelMax)
                act_.SetFlashLevel(code - kFlashLevelBase);
            break;  // anything else the head does not know is ignored, as the real one does
    }
}

bool CommandInterpreter::RunMotion(uint16_t code, int64_t us) {
    const bool panTilt = ModelHasPanTilt(model_);
    for (const Motion& m : kMotions) {
        if (m.code != code)
            continue;
        if (m.axis == AxisId::kZoom || panTilt)
            act_.Run(m.axis, m.direction, m.tier, us);
        return true;
    }
    for (const Nudge& n : kNudges) {
        if (n.code != code)
            continue;
        if (panTilt)
            act_.Nudge(n.axis, n.direction, us);
        return true;
    }
    const int16_t a = Signed(regs_[kRegArgA]);
    const int16_t b = Signed(regs_[kRegArgB]);
    switch (code) {
        case kStopPanTilt:
            act_.StopPanTilt(us);
            return true;
        case kStopZoom:
            act_.StopZoom(us);
            return true;
        case kDriveZoom:  // zoom positions are unsigned
            act_.DriveZoom(regs_[kRegArgA], us);
            return true;
        case kDrivePanTilt:
            if (panTilt)
                act_.DrivePanTilt(a, b, us);
            return true;
        case kMoveRelative:
            if (panTilt)
                act_.MoveRelative(a, b, us);
            return true;
        default:
            return false;
    }
}

bool CommandInterpreter::RunPictureCommand(uint16_t code, uint16_t a, uint16_t b) {
    switch (code) {
        case kExposureDarker:
            act_.StepExposure(-1);
            return true;
        case kExposureBrighter:
            act_.StepExposure(+1);
            return true;
        case kLeaveAutoExposure:  // the oldest heads: leave automatic exposure
            if (IsOldestModel(model_))
                manualExposure_ = true;
            return true;
        case kManualExposureBrighter:  // the oldest heads: one step brighter, in manual only
            if (IsOldestModel(model_) && manualExposure_)
                act_.StepExposure(+1);
            return true;
        case kBrightness:
            act_.SetBrightness(a & 0xFF);
            return true;
        case kContrast:
            act_.SetContrast(a & 0xFF);
            return true;
        case kSharpness: {
            const auto* level =
                std::find(std::begin(kSharpnessCodes), std::end(kSharpnessCodes), a);
            if (level != std::end(kSharpnessCodes))
                act_.SetSharpness(static_cast<int>(level - std::begin(kSharpnessCodes)));
            return true;
        }
        case kAutoWhiteBalance:  // the gains follow the light again
            autoWhite_ = true;
            act_.SetAutoWhiteBalance(true);
            return true;
        case kManualColour:  // the gains stay where they are until set
            autoWhite_ = false;
            act_.SetAutoWhiteBalance(false);
            return true;
        case kRedGain:
            if (!autoWhite_)
                act_.SetRedGain(a & 0xFF);
            return true;
        case kBlueGain:
            if (!autoWhite_)
                act_.SetBlueGain(b & 0xFF);
            return true;
        case kColourLevel:
            act_.SetColourLevel(a & 0xFF);
            return true;
        default:
            return false;
    }
}

}  // namespace head
