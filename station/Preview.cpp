// The live preview: timer 1 reads one frame per tick straight into the preview window's bitmap.
//
// Each tick kills the timer first and starts it again only when its work is done, so ticks
// never pile up behind a slow frame read: the period stretches instead. The first tick after
// start-up only creates the window and the two bitmaps.
#include "device/Camera.h"
#include "device/PreviewGeometry.h"
#include "platform/ui/Services.h"
#include "station/ControlIds.h"
#include "station/DisplayWindow.h"
#include "station/MainDialog.h"

namespace {
constexpr int kPreviewIntervalMs = 25;
}

int CTRIPOD01Dlg::StartPreview() {
    SetCameraProperty(kPropStreaming, 1);
    SetTimer(kPreviewTimer, kPreviewIntervalMs);
    m_PreviewRunning = 1;
    return 1;
}

int CTRIPOD01Dlg::StopPreview() {
    KillTimer(kPreviewTimer);
    m_PreviewRunning = 0;
    SetCameraProperty(kPropStreaming, 0);  // also frees the camera layer's frame buffers
    return 1;
}

void CTRIPOD01Dlg::OnTimer(int id) {
    if (id == kReconnectTimer) {
        LookForCamera();
        return;
    }
    KillTimer(kPreviewTimer);
    if (m_HeadRestart == HeadRestart::kNow)
        RestartCameraHead();
    if (m_CreatePreview == 1) {
        CreatePreviewWindow();
        m_hPreviewWnd->CreateDisplayBitmap();
        CreateCaptureBitmap();
        m_CreatePreview = 0;
        SetTimer(kPreviewTimer, kPreviewIntervalMs);
        return;
    }
    // A failed read leaves the last picture, which is shown again.
    bool live = false;
    if (m_hPreviewWnd != nullptr && m_hPreviewWnd->m_pBits != nullptr) {
        uint32_t returned = 0;
        live = ReadCameraFrame({m_hPreviewWnd->m_pBits, kFrameBytes}, &returned) == kCameraOk;
        if (!live && CameraGone()) {
            OnCameraGone();
            return;
        }
    }
    m_PreviewRunning = 1;
    if (m_hPreviewWnd != nullptr)
        m_hPreviewWnd->update();
    if (live) {
        ui::AnnounceReady("live picture");
        // Painted before the next tick, which starts the head of a camera that came back.
        if (m_HeadRestart == HeadRestart::kAfterFirstFrame) {
            ui::AnnounceReady("live picture again");
            m_HeadRestart = HeadRestart::kNow;
        }
    }
    SetTimer(kPreviewTimer, kPreviewIntervalMs);
}

bool CTRIPOD01Dlg::CreatePreviewWindow() {
    delete GetDlgItem(ids::kPreviewWindow);
    m_hPreviewWnd = nullptr;
    auto* window = new CDisplayWindow(this, PreviewView{&m_PreviewRunning, this});
    AddControl(ids::kPreviewWindow, window);
    window->m_Rotation = m_RotationAngle;
    window->m_pDlg = this;
    window->SetStatusText(m_StatusText);
    // Behind the controls that stand along its edges.
    window->lower();
    m_hPreviewWnd = Item<CDisplayWindow>(ids::kPreviewWindow);
    FitPreviewWindow();
    return m_hPreviewWnd != nullptr;
}

void CTRIPOD01Dlg::FitPreviewWindow() {
    if (m_hPreviewWnd == nullptr)
        return;
    const WindowExtent extent = PreviewWindowExtent(m_RotationAngle, m_CropWidth, m_CropHeight);
    m_hPreviewWnd->setGeometry(0, 0, extent.width, extent.height);
    m_hPreviewWnd->show();
    m_hPreviewWnd->update();
}

void CTRIPOD01Dlg::SetVideoRotation(int rotation) {
    m_RotationAngle = rotation;
    if (m_hPreviewWnd != nullptr)
        m_hPreviewWnd->m_Rotation = rotation;
    FitPreviewWindow();
}

void CTRIPOD01Dlg::ShowStatus(const QString& text) {
    m_StatusText = text;
    if (m_hPreviewWnd != nullptr)
        m_hPreviewWnd->SetStatusText(text);
}

int CTRIPOD01Dlg::CreateCaptureBitmap() {
    m_CaptureBitmapInfo =
        FrameBitmapInfo(PelsPerMeterForDpi(m_HorizontalDPI), PelsPerMeterForDpi(m_VerticalDPI));
    m_CaptureBitmap.Create(m_CaptureBitmapInfo);
    m_pCaptureBits = m_CaptureBitmap.Bits();
    return 1;
}

int CTRIPOD01Dlg::ReadCaptureFrame() {
    if (m_pCaptureBits == nullptr)
        return kCameraFailed;
    uint32_t returned = 0;
    const int read = ReadCameraFrame({m_pCaptureBits, kFrameBytes}, &returned);
    // A frame cut short is fine for the live picture but not for one that is kept.
    return read == kCameraOk && !LastFrameWasWhole() ? kCameraFailed : read;
}
