// Steering the camera by hand (see Steering.h).
//
// The waits give the head time between a command and the next one, or before its answer can
// be read: 85 ms after a key is let go, 75 ms after a button is let go, 100 ms between the
// zoom stop and the pan/tilt stop, 250 ms before a position report can be read.
#include "control/Steering.h"

#include <array>
#include <utility>

#include "control/CameraModels.h"
#include "control/HeadLink.h"
#include "device/HeadCommands.h"
#include "platform/system/Clock.h"

namespace {

struct TierCodes {
    uint16_t slow, medium, fast;
};

// By Motion, from kTiltUp.
constexpr std::array<TierCodes, 6> kMotionCodes{{
    {69, 61, 71},  // tilt up
    {70, 62, 72},  // tilt down
    {73, 63, 75},  // pan left
    {74, 64, 76},  // pan right
    {21, 1, 23},   // zoom in
    {22, 2, 24},   // zoom out
}};

// By Motion, from kTiltUp: tilt up, tilt down, pan left, pan right.
constexpr std::array<uint16_t, 4> kNudgeCodes{161, 162, 164, 163};

// By ArrowKey, then rotation 0, 1 (90 degrees), 2 (270 degrees).
constexpr std::array<std::array<Motion, 3>, 4> kKeyMotions{{
    {Motion::kTiltUp, Motion::kPanLeft, Motion::kPanRight},
    {Motion::kTiltDown, Motion::kPanRight, Motion::kPanLeft},
    {Motion::kPanLeft, Motion::kTiltDown, Motion::kTiltUp},
    {Motion::kPanRight, Motion::kTiltUp, Motion::kTiltDown},
}};

// Readings above this are negative positions.
constexpr int32_t kHighestPositivePosition = 20000;

// The running flag and starting direction shared by an arrow key and its picture button.
struct ArrowSlot {
    ArrowKey key;
    SteeringButton button;
    int32_t MotionState::*active;
    Motion MotionState::*motion;
};
constexpr std::array<ArrowSlot, 4> kArrowSlots{{
    {ArrowKey::kUp, SteeringButton::kTiltUp, &MotionState::m_UpActive, &MotionState::m_UpMotion},
    {ArrowKey::kDown, SteeringButton::kTiltDown, &MotionState::m_DownActive,
     &MotionState::m_DownMotion},
    {ArrowKey::kLeft, SteeringButton::kPanLeft, &MotionState::m_LeftActive,
     &MotionState::m_LeftMotion},
    {ArrowKey::kRight, SteeringButton::kPanRight, &MotionState::m_RightActive,
     &MotionState::m_RightMotion},
}};

const ArrowSlot& SlotOf(ArrowKey key) {
    return kArrowSlots[static_cast<size_t>(key)];
}

const ArrowSlot* SlotOfButton(SteeringButton button) {
    for (const ArrowSlot& slot : kArrowSlots) {
        if (slot.button == button)
            return &slot;
    }
    return nullptr;
}

// A picture button's own direction (never turned), before reversal.
Motion ButtonMotion(SteeringButton button) {
    switch (button) {
        case SteeringButton::kTiltUp:
            return Motion::kTiltUp;
        case SteeringButton::kTiltDown:
            return Motion::kTiltDown;
        case SteeringButton::kPanLeft:
            return Motion::kPanLeft;
        case SteeringButton::kPanRight:
            return Motion::kPanRight;
        case SteeringButton::kZoomIn:
            return Motion::kZoomIn;
        case SteeringButton::kZoomOut:
            return Motion::kZoomOut;
        default:
            return Motion::kNone;
    }
}

void SendMotion(Motion motion, SpeedTier tier) {
    if (const auto code = MotionCode(motion, tier))
        SendPtzCommand(*code);
}

}  // namespace

// --- tables ----------------------------------------------------------------------------------

SpeedTier PanTiltTier(int ptzSpeed, int cameraType) {
    if (ptzSpeed == 0)
        return SpeedTier::kSlow;
    if (!camera_class::HasPanAndTilt(cameraType))
        return SpeedTier::kNone;
    const bool fast = ptzSpeed == 2;
    if (cameraType < camera_class::kZoomRev2)
        return fast ? SpeedTier::kMedium : SpeedTier::kSlow;
    return fast ? SpeedTier::kFast : SpeedTier::kMedium;
}

SpeedTier ZoomTier(int ptzSpeed) {
    switch (ptzSpeed) {
        case 0:
            return SpeedTier::kSlow;
        case 2:
            return SpeedTier::kFast;
        default:
            return SpeedTier::kMedium;
    }
}

std::optional<uint16_t> MotionCode(Motion motion, SpeedTier tier) {
    if (motion == Motion::kNone || tier == SpeedTier::kNone)
        return std::nullopt;
    const TierCodes& codes = kMotionCodes[static_cast<size_t>(motion) - 1];
    switch (tier) {
        case SpeedTier::kSlow:
            return codes.slow;
        case SpeedTier::kMedium:
            return codes.medium;
        case SpeedTier::kFast:
            return codes.fast;
        case SpeedTier::kNone:
            break;
    }
    return std::nullopt;
}

std::optional<uint16_t> NudgeCode(Motion motion) {
    const auto index = static_cast<size_t>(motion) - 1;
    if (motion == Motion::kNone || index >= kNudgeCodes.size())
        return std::nullopt;
    return kNudgeCodes[index];
}

Motion Reversed(Motion motion, bool reverse) {
    if (!reverse)
        return motion;
    switch (motion) {
        case Motion::kTiltUp:
            return Motion::kTiltDown;
        case Motion::kTiltDown:
            return Motion::kTiltUp;
        case Motion::kPanLeft:
            return Motion::kPanRight;
        case Motion::kPanRight:
            return Motion::kPanLeft;
        default:
            return motion;
    }
}

Motion KeyMotion(ArrowKey key, int rotationAngle, bool tiltReverse, bool panReverse) {
    if (rotationAngle < 0 || rotationAngle > 2)
        return Motion::kNone;
    const Motion turned = kKeyMotions[static_cast<size_t>(key)][static_cast<size_t>(rotationAngle)];
    const bool upDown = key == ArrowKey::kUp || key == ArrowKey::kDown;
    return Reversed(turned, upDown ? tiltReverse : panReverse);
}

int32_t SignedPosition(uint16_t reading) {
    const int32_t value = reading;
    return value > kHighestPositivePosition ? value - 65536 : value;
}

// --- keys ------------------------------------------------------------------------------------

SteeringAction Steering::KeyDown(SteeringKey key) {
    switch (key) {
        case SteeringKey::kZoomIn:
        case SteeringKey::kZoomOut:
            return ZoomKeyDown(key == SteeringKey::kZoomIn);
        case SteeringKey::kShift:
        case SteeringKey::kControl:
            ModifierDown(key == SteeringKey::kShift);
            return SteeringAction::kNone;
        default:
            ArrowDown(static_cast<ArrowKey>(key));
            return SteeringAction::kNone;
    }
}

SteeringAction Steering::KeyUp(SteeringKey key) {
    switch (key) {
        case SteeringKey::kZoomIn:
        case SteeringKey::kZoomOut:
            ZoomKeyUp(key == SteeringKey::kZoomIn);
            return SteeringAction::kNone;
        case SteeringKey::kShift:
        case SteeringKey::kControl:
            ModifierUp(key == SteeringKey::kShift);
            return SteeringAction::kNone;
        default:
            ArrowUp(static_cast<ArrowKey>(key));
            return key == SteeringKey::kUp ? SteeringAction::kFocusTiltUp : SteeringAction::kNone;
    }
}

void Steering::ArrowDown(ArrowKey key) {
    const ArrowSlot& slot = SlotOf(key);
    // Steps and the motion that follows them go the same way: the key turned with the picture
    // and reversed by its setting.
    const Motion motion =
        KeyMotion(key, context_.rotationAngle, context_.tiltReverse, context_.panReverse);
    // A tap is one small step; a held key makes four (the press and three repeats) before the
    // continuous motion begins. The oldest heads take no steps.
    if (state_.m_NudgeCount < 4 && camera_class::TakesNudges(context_.cameraType)) {
        ++state_.m_NudgeCount;
        if (const auto code = NudgeCode(motion))
            SendPtzCommand(*code);
        state_.*slot.active = 0;
        return;
    }
    if (state_.*slot.active)
        return;
    const bool shift = state_.m_ShiftDown != 0;
    const bool control = state_.m_ControlDown != 0;
    const SpeedTier tier = HeldTier(PanTiltTier(context_.ptzSpeed, context_.cameraType), shift,
                                    control, FirstModifier::kShift);
    // The newer heads need a moment after the last step before a medium tilt up.
    if (!shift && !control && key == ArrowKey::kUp && context_.ptzSpeed == 1 &&
        camera_class::IsNewerHead(context_.cameraType))
        sys::Wait(250);
    SendMotion(motion, tier);
    state_.*slot.active = 1;
    state_.*slot.motion = motion;
}

void Steering::ArrowUp(ArrowKey key) {
    const ArrowSlot& slot = SlotOf(key);
    // Up and Down clear their flag before the stop, Left and Right after it: the order the
    // head's stops are sent in.
    const bool clearFirst = key == ArrowKey::kUp || key == ArrowKey::kDown;
    if (clearFirst)
        state_.*slot.active = 0;
    sys::Wait(85);
    SendPtzCommand(head::kStopPanTilt);
    state_.*slot.active = 0;
    state_.m_NudgeCount = 0;
}

SteeringAction Steering::ZoomKeyDown(bool zoomIn) {
    if (context_.zoomLocked)
        return SteeringAction::kZoomLocked;
    int32_t& flag = zoomIn ? state_.m_ZoomInKeyDown : state_.m_ZoomOutKeyDown;
    if (flag)
        return SteeringAction::kNone;
    SendMotion(zoomIn ? Motion::kZoomIn : Motion::kZoomOut,
               HeldTier(ZoomTier(context_.ptzSpeed), state_.m_ShiftDown, state_.m_ControlDown,
                        FirstModifier::kShift));
    flag = 1;
    return SteeringAction::kNone;
}

void Steering::ZoomKeyUp(bool zoomIn) {
    (zoomIn ? state_.m_ZoomInKeyDown : state_.m_ZoomOutKeyDown) = 0;
    sys::Wait(85);
    SendPtzCommand(head::kStopZoom);
    state_.m_NudgeCount = 0;
}

void Steering::ModifierDown(bool shift) {
    int32_t& down = shift ? state_.m_ShiftDown : state_.m_ControlDown;
    if (down)
        return;
    down = 1;
    RetuneRunningMotion(shift ? SpeedTier::kSlow : SpeedTier::kFast, false);
}

void Steering::ModifierUp(bool shift) {
    (shift ? state_.m_ShiftDown : state_.m_ControlDown) = 0;
    // Back to the medium tier; on the release of Control, right is looked at before left.
    RetuneRunningMotion(SpeedTier::kMedium, !shift);
}

void Steering::RetuneRunningMotion(SpeedTier tier, bool rightBeforeLeft) {
    std::array<ArrowKey, 4> order{ArrowKey::kUp, ArrowKey::kDown, ArrowKey::kLeft,
                                  ArrowKey::kRight};
    if (rightBeforeLeft)
        std::swap(order[2], order[3]);
    for (ArrowKey key : order) {
        const ArrowSlot& slot = SlotOf(key);
        if (state_.*slot.active) {
            SendMotion(state_.*slot.motion, tier);
            return;
        }
    }
    if (state_.m_ZoomInKeyDown) {
        SendMotion(Motion::kZoomIn, tier);
    } else if (state_.m_ZoomOutKeyDown) {
        SendMotion(Motion::kZoomOut, tier);
    }
}

void Steering::StopAll() {
    const bool panTilt = state_.m_UpActive || state_.m_DownActive || state_.m_LeftActive ||
                         state_.m_RightActive || state_.m_MouseMoving;
    const bool zoom = state_.m_ZoomInKeyDown || state_.m_ZoomOutKeyDown || state_.m_MouseMoving;
    if (zoom)
        SendPtzCommand(head::kStopZoom);
    if (zoom && panTilt)
        sys::Wait(100);
    if (panTilt)
        SendPtzCommand(head::kStopPanTilt);
    const int32_t controlsDisabled = state_.m_ControlsDisabled;
    state_.ClearMotionState();
    state_.m_ControlsDisabled = controlsDisabled;
}

// --- picture buttons -------------------------------------------------------------------------

Steering::PointerResult Steering::Pointer(SteeringButton button, PointerEvent event) {
    const bool steers = ButtonMotion(button) != Motion::kNone;
    if (steers && event == PointerEvent::kLeftDown)
        return {true, PressButton(button)};
    if (steers && event == PointerEvent::kMove) {
        LetGoOver(button);
        return {true, SteeringAction::kNone};
    }
    // Anywhere else: a button let go away from itself stops whatever it started.
    if (state_.m_MouseMoving) {
        SendPtzCommand(head::kStopZoom);
        sys::Wait(100);
        SendPtzCommand(head::kStopPanTilt);
        if (const ArrowSlot* started = SlotOfButton(state_.m_MouseButton))
            state_.*started->active = 0;
        state_.m_MouseMoving = 0;
        state_.m_MouseButton = SteeringButton::kNone;
        state_.m_NudgeCount = 0;
        return {false, SteeringAction::kNone};
    }
    if (button == SteeringButton::kHome && event == PointerEvent::kRightDown)
        return {true, SteeringAction::kSavePosition};
    return {false, SteeringAction::kNone};
}

SteeringAction Steering::PressButton(SteeringButton button) {
    const ArrowSlot* arrow = SlotOfButton(button);
    if (arrow == nullptr && context_.zoomLocked)
        return SteeringAction::kZoomLocked;
    if (state_.m_MouseMoving)
        return SteeringAction::kNone;
    const bool shift = state_.m_ShiftDown != 0;
    const bool control = state_.m_ControlDown != 0;
    if (arrow == nullptr) {
        SendMotion(ButtonMotion(button),
                   HeldTier(ZoomTier(context_.ptzSpeed), shift, control, FirstModifier::kControl));
    } else {
        state_.*arrow->active = 1;
        const bool upDown =
            button == SteeringButton::kTiltUp || button == SteeringButton::kTiltDown;
        const Motion motion =
            Reversed(ButtonMotion(button), upDown ? context_.tiltReverse : context_.panReverse);
        state_.*arrow->motion = motion;
        // Speed 0 is slow in the tier table already.
        SendMotion(motion, HeldTier(PanTiltTier(context_.ptzSpeed, context_.cameraType), shift,
                                    control, FirstModifier::kControl));
    }
    state_.m_MouseMoving = 1;
    state_.m_MouseButton = button;
    return SteeringAction::kNone;
}

void Steering::LetGoOver(SteeringButton button) {
    if (!state_.m_MouseMoving)
        return;
    const ArrowSlot* arrow = SlotOfButton(button);
    if (arrow != nullptr)
        state_.*arrow->active = 0;
    state_.m_MouseMoving = 0;
    state_.m_MouseButton = SteeringButton::kNone;
    sys::Wait(75);
    SendPtzCommand(arrow != nullptr ? head::kStopPanTilt : head::kStopZoom);
}

// --- Home ------------------------------------------------------------------------------------

namespace camera_seq {

void DriveZoom(int32_t position) {
    WriteArgument(HeadArgument::A, position);
    SendPtzCommand(head::kDriveZoom);
}

void DrivePanTiltZoom(int32_t pan, int32_t tilt, int32_t zoom) {
    WriteArgument(HeadArgument::A, pan);
    WriteArgument(HeadArgument::B, tilt);
    SendPtzCommand(head::kDrivePanTilt);
    sys::Wait(200);
    DriveZoom(zoom);
}

PanTiltZoomReading ReadPanTiltZoom() {
    PanTiltZoomReading reading;
    SendPtzCommand(head::kReportPanTilt);
    sys::Wait(250);
    if (const auto pan = TryReadArgument(HeadArgument::A))
        reading.pan = SignedPosition(*pan);
    if (const auto tilt = TryReadArgument(HeadArgument::B))
        reading.tilt = SignedPosition(*tilt);
    SendPtzCommand(head::kReportZoom);
    sys::Wait(250);
    reading.zoom = TryReadArgument(HeadArgument::A);
    return reading;
}

}  // namespace camera_seq
