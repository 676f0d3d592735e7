// The camera's start-up sequences (see StartupSequences.h).
#include "control/StartupSequences.h"

#include "capture/StationSettings.h"
#include "control/CameraModels.h"
#include "control/ColourSequences.h"
#include "control/HeadLink.h"
#include "device/Camera.h"
#include "device/CameraProperties.h"
#include "device/FrameGeometry.h"
#include "device/HeadCommands.h"
#include "platform/system/Clock.h"

namespace camera_seq {

namespace {

// How often the head is asked again before start-up goes on without its answer.
constexpr int kHandshakeRepeats = 9;
constexpr int kFocusRepeats = 10;

}  // namespace

void ConfigureStream() {
    SetCameraProperty(kPropImageWidth, frame::kWidth);
    SetCameraProperty(kPropImageHeight, frame::kHeight);
    SetCameraProperty(kPropAreaWidth, frame::kWidth);
    SetCameraProperty(kPropAreaHeight, frame::kHeight);
    SetCameraProperty(kPropRegister31, 0);
    SetCameraProperty(kPropRegister32, 0);
    SetCameraProperty(kPropOutputFormat, kFormatBgr24);
    SetCameraProperty(kPropHostDecoding, 1);
    SetCameraProperty(kPropQuality, 75);
    SetCameraProperty(kPropStreaming, 1);
}

bool Handshake() {
    sys::Wait(50);
    SendPtzCommand(head::kHandshake);
    sys::Wait(100);
    int32_t answer = ReadArgument(HeadArgument::B);
    for (int repeat = 1; answer != head::kHandshakeAnswer && repeat <= kHandshakeRepeats;
         ++repeat) {
        SendPtzCommand(head::kHandshake);
        sys::Wait(100);
        answer = ReadArgument(HeadArgument::B);
    }
    return answer == head::kHandshakeAnswer;
}

bool EnsureAutoFocus() {
    // Focus mode 2 is auto focus.
    SendPtzCommand(head::kReportFocusMode);
    sys::Wait(100);
    int32_t focus = ReadArgument(HeadArgument::A);
    sys::Wait(100);
    for (int repeat = 1; focus != head::kAutoFocusAnswer && repeat <= kFocusRepeats; ++repeat) {
        SendPtzCommand(head::kAutoFocusOn);
        sys::Wait(100);
        SendPtzCommand(head::kReportFocusMode);
        sys::Wait(100);
        focus = ReadArgument(HeadArgument::A);
        sys::Wait(5);
    }
    return focus == head::kAutoFocusAnswer;
}

void ApplyColorSettings(const StationSettings& s) {
    SendPtzCommand(head::kManualColour);
    sys::Wait(200);
    if (s.m_AutoWhite == 0) {
        SendPtzCommand(head::kAutoWhiteBalance);
        sys::Wait(150);
        WriteArgument(HeadArgument::A, s.m_ChromaLevel);
        SendPtzCommand(head::kColourLevel);
    } else if (s.m_AutoWhite == 1) {
        // Manual white balance; the red gain goes out twice, which the head is set up with.
        const int32_t red = GainByte(s.m_RedPreviewOffset + s.m_RedLockGain);
        for (int write = 0; write < 2; ++write) {
            WriteArgument(HeadArgument::A, red);
            sys::Wait(100);
            SendPtzCommand(head::kRedGain);
            sys::Wait(50);
        }
        WriteArgument(HeadArgument::B, GainByte(s.m_BluePreviewOffset + s.m_BlueLockGain));
        sys::Wait(100);
        SendPtzCommand(head::kBlueGain);
        sys::Wait(50);
        WriteArgument(HeadArgument::A, s.m_ChromaLevel);
        sys::Wait(50);
        SendPtzCommand(head::kColourLevel);
        sys::Wait(100);
    }
}

void ApplyImageSettings(const StationSettings& s) {
    WriteArgument(HeadArgument::A, s.m_Brightness);
    sys::Wait(50);
    SendPtzCommand(head::kBrightness);
    WriteArgument(HeadArgument::A, s.m_Contrast);
    sys::Wait(50);
    SendPtzCommand(head::kContrast);
    // An aperture setting without a code (a value a page stored out of range) leaves the
    // camera's aperture as it is.
    if (const auto code = ApertureCode(s.m_Aperature)) {
        WriteArgument(HeadArgument::A, *code);
        sys::Wait(50);
        SendPtzCommand(head::kSharpness);
    }
}

void RestoreZoom(int32_t position) {
    WriteArgument(HeadArgument::A, position);
    sys::Wait(100);
    SendPtzCommand(head::kDriveZoom);
    sys::Wait(100);
}

std::optional<uint16_t> ReadZoom(int settleMs, int answerMs) {
    WriteArgument(HeadArgument::A, 0);
    if (settleMs > 0)
        sys::Wait(settleMs);
    SendPtzCommand(head::kReportZoom);
    sys::Wait(answerMs);
    return TryReadArgument(HeadArgument::A);
}

int32_t ReadModel() {
    SendPtzCommand(head::kReportModel);
    sys::Wait(200);
    ReadArgument(HeadArgument::A);
    sys::Wait(50);
    SendPtzCommand(head::kReportModel);
    sys::Wait(200);
    return ReadArgument(HeadArgument::A);
}

void RestoreLiveStream(const StationSettings& settings, bool flash) {
    if (flash) {
        SendPtzCommand(head::kHandshake);
        sys::Wait(100);
        SendPtzCommand(head::kFlashDisarm);
    }
    SetCameraProperty(kPropStreaming, 0);
    SetCameraProperty(kPropHostDecoding, 1);
    SetCameraProperty(kPropQuality, 75);
    SetCameraProperty(kPropStreaming, 1);
    if (flash) {
        sys::Wait(100);
        ApplyColorSettings(settings);
    }
}

}  // namespace camera_seq
