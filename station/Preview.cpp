// The live preview: timer 1 reads one frame per tick straight into the preview window's bitmap.
//
// Each tick kills the timer first and starts it again only when its work is done, so ticks
// never pile up behind a slow frame read: the period stretches instead. The first tick after
// start-up only creates the window and the two bitmaps.
#include <QRegion>

#include "device/Camera.h"
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

void CTRIPOD01Dlg::OnTimer(int) {
    KillTimer(kPreviewTimer);
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
    }
    m_PreviewRunning = 1;
    if (m_hPreviewWnd != nullptr)
        m_hPreviewWnd->update();
    if (live)
        ui::AnnounceReady("live picture");
    SetTimer(kPreviewTimer, kPreviewIntervalMs);
}

bool CTRIPOD01Dlg::CreatePreviewWindow() {
    delete GetDlgItem(ids::kPreviewWindow);
    auto* window = new CDisplayWindow(this, PreviewView{&m_PreviewRunning, this});
    AddControl(ids::kPreviewWindow, window);
    if (m_RotationAngle == 0) {
        window->setGeometry(0, 0, 640, 480);
    } else {
        window->setGeometry(0, 0, 480, 600);
    }
    window->m_Rotation = m_RotationAngle;
    window->m_pDlg = this;
    // The column's controls reach into the 640-pixel frame when the crop is narrower; they stay
    // in front, and the frame outside an upright crop shows the dialog, not an unpainted strip.
    const QRect shown = QRect(0, 0, m_CropWidth, m_CropHeight) & window->rect();
    if (m_RotationAngle == 0 && !shown.isEmpty())
        window->setMask(QRegion(shown));
    window->lower();
    window->show();
    m_hPreviewWnd = Item<CDisplayWindow>(ids::kPreviewWindow);
    return m_hPreviewWnd != nullptr;
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
    return ReadCameraFrame({m_pCaptureBits, kFrameBytes}, &returned);
}
