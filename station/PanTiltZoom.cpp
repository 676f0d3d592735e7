// Pan, tilt and zoom: the keyboard filter, the hold-to-move picture buttons, Home and its
// saving, and the zoom presets.
//
// Every motion is a command code sent to the camera head; it runs until a stop code is sent.
// The waits give the head time between a command and the next one, or before its answer can
// be read: 85 ms after a key is let go, 75 ms after a button is let go, 250 ms before a
// position report can be read.
#include "station/PanTiltZoom.h"

#include <array>

#include "control/HeadLink.h"
#include "device/HeadCommands.h"
#include "platform/system/Clock.h"
#include "platform/ui/Services.h"
#include "station/ControlIds.h"
#include "station/MainDialog.h"

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
    int buttonId;
    int32_t MotionState::*active;
    Motion MotionState::*motion;
};
constexpr std::array<ArrowSlot, 4> kArrowSlots{{
    {ArrowKey::kUp, ids::kTiltUp, &MotionState::m_UpActive, &MotionState::m_UpMotion},
    {ArrowKey::kDown, ids::kTiltDown, &MotionState::m_DownActive, &MotionState::m_DownMotion},
    {ArrowKey::kLeft, ids::kPanLeft, &MotionState::m_LeftActive, &MotionState::m_LeftMotion},
    {ArrowKey::kRight, ids::kPanRight, &MotionState::m_RightActive, &MotionState::m_RightMotion},
}};

const ArrowSlot& SlotOf(ArrowKey key) {
    return kArrowSlots[static_cast<size_t>(key)];
}

const ArrowSlot* SlotOfButton(int id) {
    for (const ArrowSlot& slot : kArrowSlots) {
        if (slot.buttonId == id)
            return &slot;
    }
    return nullptr;
}

std::optional<ArrowKey> ArrowOf(int virtualKey) {
    switch (virtualKey) {
        case ui::kVkUp:
            return ArrowKey::kUp;
        case ui::kVkDown:
            return ArrowKey::kDown;
        case ui::kVkLeft:
            return ArrowKey::kLeft;
        case ui::kVkRight:
            return ArrowKey::kRight;
        default:
            return std::nullopt;
    }
}

// A picture button's own direction (never turned), before reversal.
Motion ButtonMotion(int id) {
    switch (id) {
        case ids::kTiltUp:
            return Motion::kTiltUp;
        case ids::kTiltDown:
            return Motion::kTiltDown;
        case ids::kPanLeft:
            return Motion::kPanLeft;
        case ids::kPanRight:
            return Motion::kPanRight;
        case ids::kZoomIn:
            return Motion::kZoomIn;
        case ids::kZoomOut:
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

// --- keyboard --------------------------------------------------------------------------------

bool CTRIPOD01Dlg::PreTranslateMessage(const ui::KeyMessage& message) {
    if (m_ControlsDisabled)
        return false;
    const bool down = message.kind == ui::KeyMessage::kKeyDown;
    if (const auto arrow = ArrowOf(message.virtualKey)) {
        down ? OnArrowKeyDown(*arrow) : OnArrowKeyUp(*arrow);
        return true;
    }
    switch (message.virtualKey) {
        case ui::kVkAdd:
        case ui::kVkSubtract: {
            const bool zoomIn = message.virtualKey == ui::kVkAdd;
            down ? OnZoomKeyDown(zoomIn) : OnZoomKeyUp(zoomIn);
            return true;
        }
        case ui::kVkShift:
        case ui::kVkControl: {
            const bool shift = message.virtualKey == ui::kVkShift;
            down ? OnModifierDown(shift) : OnModifierUp(shift);
            return false;
        }
        default:
            return false;
    }
}

void CTRIPOD01Dlg::OnArrowKeyDown(ArrowKey key) {
    const ArrowSlot& slot = SlotOf(key);
    // Steps and the motion that follows them go the same way: the key turned with the picture
    // and reversed by its setting.
    const Motion motion = KeyMotion(key, m_RotationAngle, m_TiltReverse == 1, m_PanReverse == 1);
    // A tap is one small step; a held key makes four (the press and three repeats) before the
    // continuous motion begins. The oldest heads take no steps.
    if (m_NudgeCount < 4 && camera_class::TakesNudges(m_CameraType)) {
        ++m_NudgeCount;
        if (const auto code = NudgeCode(motion))
            SendPtzCommand(*code);
        this->*slot.active = 0;
        return;
    }
    if (this->*slot.active)
        return;
    const SpeedTier tier = HeldTier(PanTiltTier(m_PTZSpeed, m_CameraType), m_ShiftDown,
                                    m_ControlDown, FirstModifier::kShift);
    // The newer heads need a moment after the last step before a medium tilt up.
    if (!m_ShiftDown && !m_ControlDown && key == ArrowKey::kUp && m_PTZSpeed == 1 &&
        camera_class::IsNewerHead(m_CameraType))
        sys::Wait(250);
    SendMotion(motion, tier);
    this->*slot.active = 1;
    this->*slot.motion = motion;
}

void CTRIPOD01Dlg::OnArrowKeyUp(ArrowKey key) {
    const ArrowSlot& slot = SlotOf(key);
    if (key == ArrowKey::kUp)
        GotoDlgCtrl(ids::kTiltUp);
    // Up and Down clear their flag before the stop, Left and Right after it: the order the
    // head's stops are sent in.
    const bool clearFirst = key == ArrowKey::kUp || key == ArrowKey::kDown;
    if (clearFirst)
        this->*slot.active = 0;
    sys::Wait(85);
    SendPtzCommand(head::kStopPanTilt);
    this->*slot.active = 0;
    m_NudgeCount = 0;
}

void CTRIPOD01Dlg::OnZoomKeyDown(bool zoomIn) {
    if (m_LockZoom == 1) {
        ui::MessageBox(this, "Zoom is locked, See administrator", "Zoom Locked");
        return;
    }
    int32_t& flag = zoomIn ? m_ZoomInKeyDown : m_ZoomOutKeyDown;
    if (flag)
        return;
    const Motion motion = zoomIn ? Motion::kZoomIn : Motion::kZoomOut;
    SendMotion(motion,
               HeldTier(ZoomTier(m_PTZSpeed), m_ShiftDown, m_ControlDown, FirstModifier::kShift));
    flag = 1;
}

void CTRIPOD01Dlg::OnZoomKeyUp(bool zoomIn) {
    (zoomIn ? m_ZoomInKeyDown : m_ZoomOutKeyDown) = 0;
    sys::Wait(85);
    SendPtzCommand(head::kStopZoom);
    m_NudgeCount = 0;
}

void CTRIPOD01Dlg::OnModifierDown(bool shift) {
    int32_t& down = shift ? m_ShiftDown : m_ControlDown;
    if (down)
        return;
    down = 1;
    RetuneRunningMotion(shift ? SpeedTier::kSlow : SpeedTier::kFast, false);
}

void CTRIPOD01Dlg::OnModifierUp(bool shift) {
    (shift ? m_ShiftDown : m_ControlDown) = 0;
    // Back to the medium tier; on the release of Control, right is looked at before left.
    RetuneRunningMotion(SpeedTier::kMedium, !shift);
}

void CTRIPOD01Dlg::RetuneRunningMotion(SpeedTier tier, bool rightBeforeLeft) {
    std::array<ArrowKey, 4> order{ArrowKey::kUp, ArrowKey::kDown, ArrowKey::kLeft,
                                  ArrowKey::kRight};
    if (rightBeforeLeft)
        std::swap(order[2], order[3]);
    for (ArrowKey key : order) {
        const ArrowSlot& slot = SlotOf(key);
        if (this->*slot.active) {
            SendMotion(this->*slot.motion, tier);
            return;
        }
    }
    if (m_ZoomInKeyDown) {
        SendMotion(Motion::kZoomIn, tier);
    } else if (m_ZoomOutKeyDown) {
        SendMotion(Motion::kZoomOut, tier);
    }
}

void CTRIPOD01Dlg::StopAllMotion() {
    const bool panTilt =
        m_UpActive || m_DownActive || m_LeftActive || m_RightActive || m_MouseMoving;
    const bool zoom = m_ZoomInKeyDown || m_ZoomOutKeyDown || m_MouseMoving;
    if (zoom)
        SendPtzCommand(head::kStopZoom);
    if (zoom && panTilt)
        sys::Wait(100);
    if (panTilt)
        SendPtzCommand(head::kStopPanTilt);
    const int32_t controlsDisabled = m_ControlsDisabled;
    ClearMotionState();
    m_ControlsDisabled = controlsDisabled;
}

void CTRIPOD01Dlg::OnFocusLost() {
    // The releases of the keys held now will go to another window: stop what they started.
    StopAllMotion();
}

void CTRIPOD01Dlg::OnKeyDown(int) {
    ui::MessageBox(this, "Key Down");
}

// --- picture buttons -------------------------------------------------------------------------

bool CTRIPOD01Dlg::OnSetCursor(int id, ui::MouseMessage message) {
    const bool zoomButton = id == ids::kZoomIn || id == ids::kZoomOut;
    const ArrowSlot* arrow = SlotOfButton(id);

    if (zoomButton && message == ui::MouseMessage::kLeftButtonDown) {
        if (m_LockZoom == 1) {
            // The two buttons word it differently.
            ui::MessageBox(this,
                           id == ids::kZoomIn ? "Zoom is locked, See administrator"
                                              : "Zoom is locked. See administrator.",
                           "Zoom Locked");
            return true;
        }
        if (m_MouseMoving)
            return true;
        SendMotion(ButtonMotion(id), HeldTier(ZoomTier(m_PTZSpeed), m_ShiftDown, m_ControlDown,
                                              FirstModifier::kControl));
        m_MouseMoving = 1;
        m_MouseButton = id;
        return true;
    }
    if (zoomButton && message == ui::MouseMessage::kMouseMove) {
        if (m_MouseMoving) {
            m_MouseMoving = 0;
            m_MouseButton = 0;
            sys::Wait(75);
            SendPtzCommand(head::kStopZoom);
        }
        return true;
    }
    if (arrow != nullptr && message == ui::MouseMessage::kLeftButtonDown) {
        if (m_MouseMoving)
            return true;
        this->*arrow->active = 1;
        const bool upDown = id == ids::kTiltUp || id == ids::kTiltDown;
        const Motion motion =
            Reversed(ButtonMotion(id), upDown ? m_TiltReverse == 1 : m_PanReverse == 1);
        this->*arrow->motion = motion;
        // Speed 0 is slow in the tier table already.
        SendMotion(motion, HeldTier(PanTiltTier(m_PTZSpeed, m_CameraType), m_ShiftDown,
                                    m_ControlDown, FirstModifier::kControl));
        m_MouseMoving = 1;
        m_MouseButton = id;
        return true;
    }
    if (arrow != nullptr && message == ui::MouseMessage::kMouseMove) {
        if (m_MouseMoving) {
            this->*arrow->active = 0;
            sys::Wait(75);
            SendPtzCommand(head::kStopPanTilt);
            m_MouseMoving = 0;
            m_MouseButton = 0;
        }
        return true;
    }

    // Anywhere else: a button let go away from itself stops whatever it started.
    if (m_MouseMoving) {
        SendPtzCommand(head::kStopZoom);
        sys::Wait(100);
        SendPtzCommand(head::kStopPanTilt);
        if (const ArrowSlot* started = SlotOfButton(m_MouseButton))
            this->*started->active = 0;
        m_MouseMoving = 0;
        m_MouseButton = 0;
        m_NudgeCount = 0;
        return false;
    }
    if (id == ids::kHome && message == ui::MouseMessage::kRightButtonDown) {
        SavePTZPosition();
        return true;
    }
    return false;
}

// --- Home and the zoom presets ---------------------------------------------------------------

void CTRIPOD01Dlg::OnHome() {
    WriteArgument(HeadArgument::A, m_PanSetting);
    WriteArgument(HeadArgument::B, m_TiltSetting);
    SendPtzCommand(head::kDrivePanTilt);
    sys::Wait(200);
    WriteArgument(HeadArgument::A, m_ZoomSetting);
    SendPtzCommand(head::kDriveZoom);
}

void CTRIPOD01Dlg::SavePTZPosition() {
    // The position is taken once the operator has answered.
    ui::MessageBox(this, "Save PTZ Position", "Save PTZ Position");
    SendPtzCommand(head::kReportPanTilt);
    sys::Wait(250);
    // A read that fails (the camera unplugged) keeps the Home position there was, rather than
    // replacing it by 0.
    if (const auto pan = TryReadArgument(HeadArgument::A))
        m_PanSetting = SignedPosition(*pan);
    if (const auto tilt = TryReadArgument(HeadArgument::B))
        m_TiltSetting = SignedPosition(*tilt);
    SendPtzCommand(head::kReportZoom);
    sys::Wait(250);
    if (const auto zoom = TryReadArgument(HeadArgument::A))
        m_ZoomSetting = *zoom;
}

void CTRIPOD01Dlg::OnPreset1() {
    m_ZoomPreset = 0;
    WriteArgument(HeadArgument::A, m_ZoomPreset1);
    SendPtzCommand(head::kDriveZoom);
    CheckDlgButton(ids::kPreset2, false);
    CheckDlgButton(ids::kPreset3, false);
}

void CTRIPOD01Dlg::OnPreset2() {
    UpdateData(true);
    m_ZoomPreset = 1;
    CheckDlgButton(ids::kPreset1, false);
    WriteArgument(HeadArgument::A, m_ZoomPreset2);
    SendPtzCommand(head::kDriveZoom);
    UpdateData(false);
}

void CTRIPOD01Dlg::OnPreset3() {
    UpdateData(true);
    m_ZoomPreset = 2;
    WriteArgument(HeadArgument::A, m_ZoomPreset3);
    SendPtzCommand(head::kDriveZoom);
    UpdateData(false);
}
