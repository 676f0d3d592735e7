// Pan, tilt and zoom in the main dialog: the keys and picture buttons handed to the steering
// machine (control/Steering.h), what the operator sees of it, Home and its saving, and the
// zoom presets.
#include <optional>

#include "control/Steering.h"
#include "platform/ui/Services.h"
#include "station/ControlIds.h"
#include "station/MainDialog.h"

namespace {

std::optional<SteeringKey> SteeringKeyOf(int virtualKey) {
    switch (virtualKey) {
        case ui::kVkUp:
            return SteeringKey::kUp;
        case ui::kVkDown:
            return SteeringKey::kDown;
        case ui::kVkLeft:
            return SteeringKey::kLeft;
        case ui::kVkRight:
            return SteeringKey::kRight;
        case ui::kVkAdd:
            return SteeringKey::kZoomIn;
        case ui::kVkSubtract:
            return SteeringKey::kZoomOut;
        case ui::kVkShift:
            return SteeringKey::kShift;
        case ui::kVkControl:
            return SteeringKey::kControl;
        default:
            return std::nullopt;
    }
}

SteeringButton SteeringButtonOf(int id) {
    switch (id) {
        case ids::kTiltUp:
            return SteeringButton::kTiltUp;
        case ids::kTiltDown:
            return SteeringButton::kTiltDown;
        case ids::kPanLeft:
            return SteeringButton::kPanLeft;
        case ids::kPanRight:
            return SteeringButton::kPanRight;
        case ids::kZoomIn:
            return SteeringButton::kZoomIn;
        case ids::kZoomOut:
            return SteeringButton::kZoomOut;
        case ids::kHome:
            return SteeringButton::kHome;
        default:
            return SteeringButton::kNone;
    }
}

PointerEvent PointerEventOf(ui::MouseMessage message) {
    switch (message) {
        case ui::MouseMessage::kLeftButtonDown:
            return PointerEvent::kLeftDown;
        case ui::MouseMessage::kRightButtonDown:
            return PointerEvent::kRightDown;
        default:
            return PointerEvent::kMove;
    }
}

}  // namespace

Steering CTRIPOD01Dlg::Steer() {
    return Steering(*this, {m_RotationAngle, m_TiltReverse == 1, m_PanReverse == 1, m_PTZSpeed,
                            m_CameraType, m_LockZoom == 1});
}

void CTRIPOD01Dlg::ShowSteeringAction(SteeringAction action, int id) {
    switch (action) {
        case SteeringAction::kZoomLocked:
            // The zoom-out button words it differently.
            ui::MessageBox(this,
                           id == ids::kZoomOut ? "Zoom is locked. See administrator."
                                               : "Zoom is locked, See administrator",
                           "Zoom Locked");
            break;
        case SteeringAction::kFocusTiltUp:
            GotoDlgCtrl(ids::kTiltUp);
            break;
        case SteeringAction::kSavePosition:
            SavePTZPosition();
            break;
        case SteeringAction::kNone:
            break;
    }
}

bool CTRIPOD01Dlg::PreTranslateMessage(const ui::KeyMessage& message) {
    if (m_ControlsDisabled)
        return false;
    const auto key = SteeringKeyOf(message.virtualKey);
    if (!key)
        return false;
    const bool down = message.kind == ui::KeyMessage::kKeyDown;
    ShowSteeringAction(down ? Steer().KeyDown(*key) : Steer().KeyUp(*key), 0);
    // Shift and Control go on to the controls as well.
    return *key != SteeringKey::kShift && *key != SteeringKey::kControl;
}

void CTRIPOD01Dlg::OnFocusLost() {
    // The releases of the keys held now will go to another window: stop what they started.
    Steer().StopAll();
}

void CTRIPOD01Dlg::OnKeyDown(int) {
    ui::MessageBox(this, "Key Down");
}

bool CTRIPOD01Dlg::OnSetCursor(int id, ui::MouseMessage message) {
    const auto [handled, action] = Steer().Pointer(SteeringButtonOf(id), PointerEventOf(message));
    ShowSteeringAction(action, id);
    return handled;
}

// --- Home and the zoom presets ---------------------------------------------------------------

void CTRIPOD01Dlg::OnHome() {
    camera_seq::DrivePanTiltZoom(m_PanSetting, m_TiltSetting, m_ZoomSetting);
}

void CTRIPOD01Dlg::SavePTZPosition() {
    // The position is taken once the operator has answered.
    ui::MessageBox(this, "Save PTZ Position", "Save PTZ Position");
    // A read that fails (the camera unplugged) keeps the Home position there was, rather than
    // replacing it by 0.
    const camera_seq::PanTiltZoomReading reading = camera_seq::ReadPanTiltZoom();
    m_PanSetting = reading.pan.value_or(m_PanSetting);
    m_TiltSetting = reading.tilt.value_or(m_TiltSetting);
    m_ZoomSetting = reading.zoom.value_or(m_ZoomSetting);
}

void CTRIPOD01Dlg::OnPreset1() {
    m_ZoomPreset = 0;
    camera_seq::DriveZoom(m_ZoomPreset1);
    CheckDlgButton(ids::kPreset2, false);
    CheckDlgButton(ids::kPreset3, false);
}

void CTRIPOD01Dlg::OnPreset2() {
    UpdateData(true);
    m_ZoomPreset = 1;
    CheckDlgButton(ids::kPreset1, false);
    camera_seq::DriveZoom(m_ZoomPreset2);
    UpdateData(false);
}

void CTRIPOD01Dlg::OnPreset3() {
    UpdateData(true);
    m_ZoomPreset = 2;
    camera_seq::DriveZoom(m_ZoomPreset3);
    UpdateData(false);
}
