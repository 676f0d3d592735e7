// Bringing the camera up and down: the stream, the hand-shake with the camera head, restoring
// the operator's colour, picture and zoom settings, the model check, and the close.
//
// The camera's own sequences are in control/StartupSequences; here the dialog tells the
// operator what they found and keeps what they read.
#include "control/CameraModels.h"
#include "control/StartupSequences.h"
#include "device/Camera.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Clock.h"
#include "platform/ui/Services.h"
#include "station/MainDialog.h"

void CTRIPOD01Dlg::ConfigureStream() {
    camera_seq::ConfigureStream();
}

void CTRIPOD01Dlg::Init_Camera() {
    // Only a head that still has not answered on the last try is reported; one that answers
    // then is ready like any other.
    if (!camera_seq::Handshake()) {
        ui::Beep(200, 500);
        ui::MessageBox(this, "Error 101 in Init_Camera", "Error 101");
    }
    if (!camera_seq::EnsureAutoFocus()) {
        ui::MessageBox(this, "Auto Focus Off", "OFF");
        ui::Beep(200, 500);
    }
    ApplyColorSettings();
    ApplyImageSettings();
    m_RedFlashBase = 210;
    m_BlueFlashBase = 155;
    RestoreZoomPosition();
}

void CTRIPOD01Dlg::ApplyColorSettings() {
    camera_seq::ApplyColorSettings(*this);
}

void CTRIPOD01Dlg::ApplyImageSettings() {
    camera_seq::ApplyImageSettings(*this);
}

void CTRIPOD01Dlg::RestoreZoomPosition() {
    camera_seq::RestoreZoom(m_ZoomPosition);
}

void CTRIPOD01Dlg::DetectCameraType() {
    const int32_t model = camera_seq::ReadModel();
    m_CameraModel = model;
    m_CameraType = CameraClassOfModel(model);
    if (model == kEnhancedZoomModel) {
        ui::MessageBox(this, "Enhanced Zoom Camera detected, Install Enhanced Zoom Software",
                       "Software Version Probelem");
    }

    if (m_FlashCapture == 1) {
        UpdateSubjectDistance();
    } else {
        m_SubjectDistance = "NA";
        UpdateData(false);
    }
}

void CTRIPOD01Dlg::RestoreLiveStream() {
    camera_seq::RestoreLiveStream(*this, m_FlashCapture == 1);
}

void CTRIPOD01Dlg::ReadZoomPosition() {
    // An unplugged camera answers nothing: the position known before stays, so the close does
    // not store 0 over the operator's zoom.
    if (const auto zoom = camera_seq::ReadZoom(0, 100)) {
        m_ZoomPosition = *zoom;
        m_ZoomAutoPosition = *zoom;
    }
}

void CTRIPOD01Dlg::SaveStationSettings() {
    const QRect frame = frameGeometry();
    m_WindowLeft = frame.left();
    m_WindowTop = frame.top();
    RegistryKey key(kStationSettingsKey);
    NoteSettingsStored(SaveSettings(*this, key));
}

void CTRIPOD01Dlg::NoteSettingsStored(bool stored) {
    // The station goes on; only the changes do not outlast it. The reason is on stderr, from the
    // registry key.
    static const QString kNotStored =
        QStringLiteral("Settings cannot be stored: changes last until the station closes");
    if (!stored) {
        ShowStatus(kNotStored);
    } else if (m_StatusText == kNotStored) {
        ShowStatus({});
    }
}

void CTRIPOD01Dlg::OnClose() {
    // The sheet's pages write their last values into the settings as they close.
    CloseAdjustSheet();
    ReadZoomPosition();
    CloseCamera();
    SaveStationSettings();
    NotifyStationClosed();
}
