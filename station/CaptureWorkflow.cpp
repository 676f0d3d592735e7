// Capture, review and store: the handlers of CAPTURE, Save, Don't Save and Preview Capture, and
// the chain from the frame to the picture (flash repair, sharpening, turn and crop, the
// operator's red and blue corrections).
//
// A capture stops the preview, prepares the stream (a better picture, or the flash), takes one
// frame into the capture bitmap and processes it. Without review the picture is stored at once;
// with review it is frozen in the preview area, the correction sliders beside it and "Save" and
// "Don't Save" under it, until the operator decides. The waits are the camera's: it needs them
// to switch its stream and to fire the flash on the right frame.
//
// The capture cannot be entered twice: CAPTURE is refused from the moment it is pressed until
// the picture is stored or dropped. A capture that gets no usable picture is abandoned as a
// whole: nothing is stored, the live picture comes back, and the host is told `failed` with
// the reason. A frame the camera cut short is no usable picture: its missing rows would be
// stored as grey.
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

#include "control/HeadLink.h"
#include "device/Camera.h"
#include "device/HeadCommands.h"
#include "platform/system/Clock.h"
#include "platform/ui/Services.h"
#include "station/ControlIds.h"
#include "station/DisplayWindow.h"
#include "station/MainDialog.h"

namespace {

// The flash level the head takes as command 100 + level.
constexpr int kFlashLevelMin = 0;
constexpr int kFlashLevelMax = 32;
// Without the flash a failed frame read is tried again on the next frames, this many times.
constexpr int kExtraFrameReads = 2;

constexpr char kCaptureCaption[] = "Capture";
constexpr char kNoPicture[] =
    "No picture came from the camera. Nothing was stored; please capture again.";
constexpr char kEmptyCrop[] =
    "The crop size leaves no picture to store. Nothing was stored; please check the crop size.";
// What the host is told of an abandoned capture.
constexpr char kNoPictureReason[] = "no whole picture came from the camera";
constexpr char kUnprocessedReason[] = "the picture could not be processed";
constexpr char kEmptyCropReason[] = "the crop size leaves no picture";
constexpr char kCameraGoneReason[] = "the camera went while the picture was reviewed";

// The controls of the live layout, hidden while a picture is reviewed. Each is hidden only if
// the layout in force shows it, and only those come back.
constexpr int kLiveControls[] = {
    ids::kHome,
    ids::kZoomControlGroup,
    ids::kPreset1,
    ids::kPreset2,
    ids::kPreset3,
    ids::kManualZoom,
    ids::kZoomIn,
    ids::kZoomOut,
    ids::kPanTiltGroup,
    ids::kTiltUp,
    ids::kTiltDown,
    ids::kPanLeft,
    ids::kPanRight,
    ids::kZoomGroup,
    ids::kBrightnessGroup,
    ids::kIris,
    ids::kDarker,
    ids::kSubjectDistanceLabel,
    ids::kSubjectDistance,
    ids::kCapture,
    ids::kUseFlashGroup,
    ids::kFlashOff,
    ids::kFlashOn,
    ids::kAdjust,
    ids::kPreviewCaptureGroup,
    ids::kPreviewNo,
    ids::kPreviewYes,
};

// The correction controls right of the reviewed picture, w pixels wide.
struct CorrectionPlace {
    int id;
    int dx;  // x = w + dx
    int y;
};
constexpr CorrectionPlace kCorrectionPlaces[] = {
    {ids::kColorCorrectionGroup, 22, 10},
    {ids::kRedLabel, 47, 36},
    {ids::kRedSlider, 45, 50},
    {ids::kRedValue, 40, 180},
    {ids::kBlueLabel, 47, 242},
    {ids::kBlueSlider, 45, 256},
    {ids::kBlueValue, 40, 386},
    {ids::kDefaultCorrection, 30, 440},
};

}  // namespace

void CTRIPOD01Dlg::EnterCapturePhase(CapturePhase phase) {
    m_CapturePhase = phase;
    // The keyboard filter's view of the same thing: no steering while a picture is reviewed.
    m_ControlsDisabled = phase == CapturePhase::kReview ? 1 : 0;
}

// The one place where the capture group's clicks reach their handlers.
void CTRIPOD01Dlg::OnCapture() {
    // Pressed again while a capture runs or a picture waits for review (a queued Alt+C, a
    // click during a message box): the picture in hand must not be overwritten.
    if (m_CapturePhase != CapturePhase::kLive)
        return;
    EnterCapturePhase(CapturePhase::kCapturing);
    UpdateData(true);
    StopPreview();

    const bool flash = m_FlashCapture == 1;
    if (m_FlashCapture == 0) {
        if (m_LiveCapture == 1) {
            // Host decoding at the best quality the camera sends.
            SetCameraProperty(kPropHostDecoding, 1);
            SetCameraProperty(kPropQuality, 100);
            sys::Wait(150);
        } else if (m_LiveCapture == 2) {
            // The camera's own decoded picture.
            SetCameraProperty(kPropHostDecoding, 0);
            sys::Wait(100);
        }
    }
    if (flash) {
        m_IrisModeSet = 0;
        EnableItem(ids::kCapture, false);
        const int level = std::clamp(m_FlashIrisLevel, kFlashLevelMin, kFlashLevelMax);
        SendPtzCommand(head::kFlashLevelBase + static_cast<uint32_t>(level));
        SetCameraProperty(kPropHostDecoding, 0);
        sys::Wait(600);
        ProgramFlashColor();
        SendPtzCommand(head::kFlashArm);
        sys::Wait(300);
    }

    StartPreview();
    sys::Wait(200);
    int read = ReadCaptureFrame();
    // The flash lights one frame only; a live picture can be taken from the next frames.
    for (int retry = 0; !flash && read != kCameraOk && retry < kExtraFrameReads; ++retry)
        read = ReadCaptureFrame();
    StopPreview();
    sys::Wait(100);
    if (read != kCameraOk) {
        AbandonCapture(kNoPicture, kNoPictureReason);
        return;
    }

    if (!ProcessCapture())
        return;
    if (m_CapturePhase == CapturePhase::kReview)
        ShowSaveButtons();
    if (m_LiveCapture > 0 && m_FlashCapture == 0)
        RestoreLiveStream();
}

bool CTRIPOD01Dlg::ProcessCapture() {
    sys::Wait(125);
    // The clipboard cannot be held by another program here; a desktop without one is the only
    // busy clipboard there is. The beep warns the operator, and the capture goes on.
    if (!ClipboardAvailable())
        ui::Beep(100, 500);

    // The crop is fixed here for this picture: the settings may change while it is reviewed.
    m_CaptureCrop = PlanCaptureCrop(m_RotationAngle, m_CropWidth, m_CropHeight);
    m_RotationAngle = m_CaptureCrop.rotation;
    if (m_CaptureCrop.IsEmpty()) {
        AbandonCapture(kEmptyCrop, kEmptyCropReason);
        return false;
    }
    const std::optional<picture::Picture> kept =
        m_pCaptureBits == nullptr
            ? std::nullopt
            : ProcessCaptureFrame({m_pCaptureBits, kFrameBytes},
                                  {m_FlashCapture == 1, m_Sharpness, m_CaptureCrop});
    if (!kept || !m_CaptureImage.FromPicture(kept->Pixels())) {
        AbandonCapture(kNoPicture, kUnprocessedReason);
        return false;
    }
    m_CaptureImage.SetResolution(m_CaptureBitmapInfo.biXPelsPerMeter,
                                 m_CaptureBitmapInfo.biYPelsPerMeter);
    const bool flash = m_FlashCapture == 1;
    m_CapturePixels = KeepPixels(kept->Pixels());

    const bool review = m_PreviewCapture != 0;
    if (review)
        ShowLiveControls(false);
    StopPreview();
    if (review) {
        EnterCapturePhase(CapturePhase::kReview);
        WatchCamera();
    }
    ApplyCaptureCorrection();

    if (!review) {
        StoreCapturedImage();
        m_CapturePixels.Release();
        StartPreview();
        if (flash) {
            RestoreLiveStream();
            EnableItem(ids::kCapture, true);
        }
        EnterCapturePhase(CapturePhase::kLive);
    }
    return true;
}

void CTRIPOD01Dlg::ApplyCaptureCorrection() {
    const auto [red, blue] = CorrectionsFor(*this);
    if (!CorrectPixels(m_CapturePixels, ColourCorrection(red, blue), m_CaptureImage.Pixels()))
        return;  // no picture in hand (a slider moved while live)
    if (m_PreviewCapture != 0 && m_hPreviewWnd != nullptr)
        m_hPreviewWnd->ShowPicture(&m_CaptureImage);
}

void CTRIPOD01Dlg::ShowLiveControls(bool show) {
    // The sheet's pages change what the picture under review was taken with: not meanwhile.
    EnableAdjustSheet(show);
    if (!show) {
        const auto [red, blue] = CorrectionsFor(*this);
        {
            // Placing the sliders is not the operator moving them.
            const QSignalBlocker redBlock(Item<QSlider>(ids::kRedSlider));
            const QSignalBlocker blueBlock(Item<QSlider>(ids::kBlueSlider));
            Item<QSlider>(ids::kRedSlider)->setValue(-red);
            Item<QSlider>(ids::kBlueSlider)->setValue(-blue);
        }
        SetDlgItemText(ids::kRedValue, QString::number(red));
        SetDlgItemText(ids::kBlueValue, QString::number(blue));
        m_HiddenForReview.clear();
        for (int id : kLiveControls) {
            if (IsItemVisible(id)) {
                m_HiddenForReview.push_back(id);
                ShowItem(id, false);
            }
        }
        const bool unlocked = m_ColorCorrectionLock < 1;
        for (int id : {ids::kRedSlider, ids::kBlueSlider, ids::kDefaultCorrection})
            EnableItem(id, unlocked);
        const int w = m_CapturePixels.width;
        for (const CorrectionPlace& place : kCorrectionPlaces)
            MoveItem(place.id, w + place.dx, place.y);
    } else {
        for (int id : m_HiddenForReview)
            ShowItem(id, true);
        m_HiddenForReview.clear();
    }
    for (const CorrectionPlace& place : kCorrectionPlaces)
        ShowItem(place.id, !show);
}

void CTRIPOD01Dlg::ShowSaveButtons() {
    const int w = m_CapturePixels.width;
    const int h = m_CapturePixels.height;
    EnableItem(ids::kFlashOff, false);
    EnableItem(ids::kFlashOn, false);
    ShowItem(ids::kCapture, false);
    MoveItem(ids::kDontSave, w / 2, h, w / 2, 25);
    ShowItem(ids::kDontSave, true);
    MoveItem(ids::kSave, 0, h, w / 2, 25);
    ShowItem(ids::kSave, true);
}

void CTRIPOD01Dlg::OnSave() {
    if (m_CapturePhase != CapturePhase::kReview)
        return;
    m_CapturePixels.Release();
    if (m_FlashCapture != 0)
        RestoreLiveStream();
    StoreCapturedImage();
    update();
    EndReview();
}

void CTRIPOD01Dlg::OnDontSave() {
    if (m_CapturePhase != CapturePhase::kReview)
        return;
    m_CapturePixels.Release();
    if (m_FlashCapture != 0)
        RestoreLiveStream();
    m_CaptureImage.Free();
    EndReview();
}

void CTRIPOD01Dlg::AbandonReview() {
    OnDontSave();
    if (m_CaptureFailedHook)
        m_CaptureFailedHook(kCameraGoneReason);
}

void CTRIPOD01Dlg::TellNoPicture() {
    ui::MessageBox(this, kNoPicture, kCaptureCaption);
}

void CTRIPOD01Dlg::EndReview() {
    if (m_hPreviewWnd != nullptr)
        m_hPreviewWnd->ShowPicture(nullptr);
    ShowItem(ids::kDontSave, false);
    ShowItem(ids::kSave, false);
    ShowItem(ids::kCapture, true);
    for (int id : {ids::kFlashOff, ids::kFlashOn, ids::kCapture})
        EnableItem(id, true);
    ShowLiveControls(true);
    EnterCapturePhase(CapturePhase::kLive);
    StartPreview();
}

void CTRIPOD01Dlg::OnPreviewCapture() {
    UpdateData(true);
    // The arrow keys keep steering the camera.
    GotoDlgCtrl(ids::kTiltUp);
}

void CTRIPOD01Dlg::AbandonCapture(const char* message, const char* hostReason) {
    m_CaptureImage.Free();
    m_CapturePixels.Release();
    // The flash may still be armed, and a better-picture stream is not the preview's.
    if (m_FlashCapture == 1 || m_LiveCapture > 0)
        RestoreLiveStream();
    StartPreview();
    ShowItem(ids::kCapture, true);
    EnableItem(ids::kCapture, true);
    EnterCapturePhase(CapturePhase::kLive);
    // The host hears of it at once, not when the operator has read the box.
    if (m_CaptureFailedHook)
        m_CaptureFailedHook(hostReason);
    ui::MessageBox(this, message, kCaptureCaption);
}
