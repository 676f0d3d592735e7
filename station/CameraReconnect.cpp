// A camera that goes and comes back. When the live picture's frames stop because the camera has
// vanished (unplugged, not one bad frame), the station lets the camera go, says so over the live
// picture and looks for it once a second. When it is back, the camera is started as at start-up
// and the live picture goes on by itself: the stream first, so the picture is back at once, and
// once its first frame is on the screen the camera head (hand-shake, focus, colour, picture
// settings, zoom and the model check). Nothing of the settings changes: the zoom stored at the
// close is the one known before the camera went. A picture under review when the camera goes is
// abandoned as a capture without a picture is.
#include "device/Camera.h"
#include "device/CameraProperties.h"
#include "platform/system/Clock.h"
#include "platform/ui/Services.h"
#include "station/MainDialog.h"

namespace {

constexpr int kLookAgainMs = 1000;
constexpr char kCameraDisconnected[] = "Camera disconnected";

}  // namespace

void CTRIPOD01Dlg::StartStream() {
    SetCameraProperty(kPropRegister23, 1);
    sys::Wait(500);
    ConfigureStream();
}

void CTRIPOD01Dlg::OnCameraGone() {
    KillTimer(kPreviewTimer);
    m_PreviewRunning = 0;
    m_HeadRestart = HeadRestart::kNone;
    m_CameraLost = true;
    CloseCamera();
    ui::AnnounceReady("camera disconnected");
    ShowStatus(QString::fromLatin1(kCameraDisconnected));
    SetTimer(kReconnectTimer, kLookAgainMs);
}

void CTRIPOD01Dlg::WatchCamera() {
    SetTimer(kReconnectTimer, kLookAgainMs);
}

void CTRIPOD01Dlg::LookForCamera() {
    KillTimer(kReconnectTimer);
    if (!m_CameraLost) {
        // Watching over a review.
        if (m_CapturePhase != CapturePhase::kReview)
            return;
        if (!CameraGone()) {
            WatchCamera();
            return;
        }
        AbandonReview();
        OnCameraGone();
        TellNoPicture();
        return;
    }
    if (OpenCamera() != kCameraOk) {
        SetTimer(kReconnectTimer, kLookAgainMs);
        return;
    }
    m_CameraLost = false;
    StartStream();
    if (m_StatusText == QLatin1String(kCameraDisconnected))
        ShowStatus({});
    m_HeadRestart = HeadRestart::kAfterFirstFrame;
    StartPreview();
}

void CTRIPOD01Dlg::RestartCameraHead() {
    m_HeadRestart = HeadRestart::kNone;
    const int32_t modelBefore = m_CameraModel;
    Init_Camera();
    DetectCameraType();
    if (m_CameraType == camera_class::kUnknown)
        DetectCameraType();
    if (m_CameraType == camera_class::kUnknown || m_CameraModel != modelBefore) {
        // Another camera in its place: the station cannot go on with settings made for the
        // first. What the operator set is kept, and the host hears that the station closed.
        ui::MessageBox(this, "Camera not found, Close and restart application ");
        CloseAdjustSheet();
        CloseCamera();
        SaveStationSettings();
        NotifyStationClosed();
        ui::ExitProcess(2);
        return;
    }
    ui::AnnounceReady("camera back");
}
