// Bringing the camera up and down: the stream, the hand-shake with the camera head, restoring
// the operator's colour, picture and zoom settings, the model check, and the close.
//
// Every step is a camera property write followed by the wait the camera head needs before its
// next command or before its answer can be read; the order and the waits are the camera's
// contract, not ours to tidy. Writing v to the command property sends command v to the head;
// properties 29 (argument A) and 6 (argument B) carry arguments and answers.
#include "device/Camera.h"
#include "device/HeadCommands.h"
#include "platform/registry/RegistryKey.h"
#include "platform/system/Clock.h"
#include "platform/ui/Services.h"
#include "control/CameraModels.h"
#include "control/HeadLink.h"
#include "station/IrisColor.h"
#include "station/MainDialog.h"

namespace {

// How often the head is asked before start-up goes on without its answer.
constexpr int kHandshakeRepeats = 9;
constexpr int kFocusRepeats = 10;

}  // namespace

void CTRIPOD01Dlg::ConfigureStream() {
    SetCameraProperty(kPropImageWidth, 640);
    SetCameraProperty(kPropImageHeight, 480);
    SetCameraProperty(kPropAreaWidth, 640);
    SetCameraProperty(kPropAreaHeight, 480);
    SetCameraProperty(kPropRegister31, 0);
    SetCameraProperty(kPropRegister32, 0);
    SetCameraProperty(kPropOutputFormat, kFormatBgr24);
    SetCameraProperty(kPropHostDecoding, 1);
    SetCameraProperty(kPropQuality, 75);
    SetCameraProperty(kPropStreaming, 1);
}

void CTRIPOD01Dlg::Init_Camera() {
    sys::Wait(50);

    // The head answers 175 once it is ready for commands.
    SendPtzCommand(head::kHandshake);
    sys::Wait(100);
    int32_t answer = ReadArgument(HeadArgument::B);
    for (int repeat = 1; answer != head::kHandshakeAnswer; ++repeat) {
        SendPtzCommand(head::kHandshake);
        sys::Wait(100);
        answer = ReadArgument(HeadArgument::B);
        if (repeat == kHandshakeRepeats) {
            // Only a head that still has not answered is reported; one that answers on the
            // last try is ready like any other.
            if (answer != head::kHandshakeAnswer) {
                ui::Beep(200, 500);
                ui::MessageBox(this, "Error 101 in Init_Camera", "Error 101");
            }
            break;
        }
    }

    // Focus mode 2 is auto focus; ask for it until the head reports it.
    SendPtzCommand(head::kReportFocusMode);
    sys::Wait(100);
    int32_t focus = ReadArgument(HeadArgument::A);
    sys::Wait(100);
    for (int repeat = 1; focus != head::kAutoFocusAnswer; ++repeat) {
        SendPtzCommand(head::kAutoFocusOn);
        sys::Wait(100);
        SendPtzCommand(head::kReportFocusMode);
        sys::Wait(100);
        focus = ReadArgument(HeadArgument::A);
        sys::Wait(5);
        if (repeat == kFocusRepeats) {
            if (focus != head::kAutoFocusAnswer) {
                ui::MessageBox(this, "Auto Focus Off", "OFF");
                ui::Beep(200, 500);
            }
            break;
        }
    }

    ApplyColorSettings();
    ApplyImageSettings();
    m_RedFlashBase = 210;
    m_BlueFlashBase = 155;
    RestoreZoomPosition();
}

void CTRIPOD01Dlg::ApplyColorSettings() {
    SendPtzCommand(head::kManualColour);
    sys::Wait(200);
    if (m_AutoWhite == 0) {
        SendPtzCommand(head::kAutoWhiteBalance);
        sys::Wait(150);
        WriteArgument(HeadArgument::A, m_ChromaLevel);
        SendPtzCommand(head::kColourLevel);
    } else if (m_AutoWhite == 1) {
        // Manual white balance; the red gain goes out twice, which the head is set up with.
        const int32_t red = GainByte(m_RedPreviewOffset + m_RedLockGain);
        for (int write = 0; write < 2; ++write) {
            WriteArgument(HeadArgument::A, red);
            sys::Wait(100);
            SendPtzCommand(head::kRedGain);
            sys::Wait(50);
        }
        WriteArgument(HeadArgument::B, GainByte(m_BluePreviewOffset + m_BlueLockGain));
        sys::Wait(100);
        SendPtzCommand(head::kBlueGain);
        sys::Wait(50);
        WriteArgument(HeadArgument::A, m_ChromaLevel);
        sys::Wait(50);
        SendPtzCommand(head::kColourLevel);
        sys::Wait(100);
    }
}

void CTRIPOD01Dlg::ApplyImageSettings() {
    WriteArgument(HeadArgument::A, m_Brightness);
    sys::Wait(50);
    SendPtzCommand(head::kBrightness);
    WriteArgument(HeadArgument::A, m_Contrast);
    sys::Wait(50);
    SendPtzCommand(head::kContrast);
    // An aperture setting without a code (a value a page stored out of range) leaves the
    // camera's aperture as it is.
    if (const auto code = ApertureCode(m_Aperature)) {
        WriteArgument(HeadArgument::A, *code);
        sys::Wait(50);
        SendPtzCommand(head::kSharpness);
    }
}

void CTRIPOD01Dlg::RestoreZoomPosition() {
    WriteArgument(HeadArgument::A, m_ZoomPosition);
    sys::Wait(100);
    SendPtzCommand(head::kDriveZoom);
    sys::Wait(100);
}

void CTRIPOD01Dlg::DetectCameraType() {
    // The first answer may still be stale; the second is the model number.
    SendPtzCommand(head::kReportModel);
    sys::Wait(200);
    ReadArgument(HeadArgument::A);
    sys::Wait(50);
    SendPtzCommand(head::kReportModel);
    sys::Wait(200);
    const int32_t model = ReadArgument(HeadArgument::A);

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
    if (m_FlashCapture == 1) {
        SendPtzCommand(head::kHandshake);
        sys::Wait(100);
        SendPtzCommand(head::kFlashDisarm);
    }
    SetCameraProperty(kPropStreaming, 0);
    SetCameraProperty(kPropHostDecoding, 1);
    SetCameraProperty(kPropQuality, 75);
    SetCameraProperty(kPropStreaming, 1);
    if (m_FlashCapture == 1) {
        sys::Wait(100);
        ApplyColorSettings();
    }
}

void CTRIPOD01Dlg::ReadZoomPosition() {
    WriteArgument(HeadArgument::A, 0);
    SendPtzCommand(head::kReportZoom);
    sys::Wait(100);
    // An unplugged camera answers nothing: the position known before stays, so the close does
    // not store 0 over the operator's zoom.
    if (const auto zoom = TryReadArgument(HeadArgument::A)) {
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
