// Iris, brightness and colour: DARKER and IRIS, the flash choice, the colour-correction
// sliders of the review, the flash colour gains programmed before a flash capture, and the
// white-balance gains read back for a manual white balance.
//
// With the flash off DARKER and IRIS step the camera's live exposure by command; with the flash
// on they step the flash level, which only goes to the camera at capture time and sets the
// subject-distance text.
//
// The flash lights the face with a colder light than the room, and a fluorescent room adds its
// own green-blue cast; the head compensates by fixed red and blue gains that grow with the
// flash brightness step. Gains go out as one byte each.
#include <QSlider>
#include <algorithm>
#include <array>

#include "device/HeadCommands.h"
#include "platform/system/Clock.h"
#include "platform/ui/Services.h"
#include "station/ControlIds.h"
#include "control/HeadLink.h"
#include "station/IrisColor.h"
#include "station/MainDialog.h"

namespace {

struct FluorescentCorrection {
    int red;   // taken off the red gain
    int blue;  // added to the blue gain
};

// By flash step 1 to 8.
constexpr std::array<FluorescentCorrection, 8> kFluorescentClass3{
    {{1, 1}, {1, 3}, {1, 5}, {2, 7}, {2, 9}, {3, 13}, {3, 15}, {4, 17}}};
constexpr std::array<FluorescentCorrection, 8> kFluorescentClass5{
    {{1, 1}, {1, 3}, {2, 5}, {2, 7}, {2, 9}, {3, 16}, {4, 19}, {4, 22}}};
// Class 4 always adds this much blue, by flash step.
constexpr std::array<int, 8> kBlueBoostClass4{2, 3, 6, 8, 9, 10, 11, 11};

// A step read from a stored level may be anything; the tables cover 1 to 8.
size_t StepIndex(int flashStep) {
    return static_cast<size_t>(std::clamp(flashStep, 1, 8) - 1);
}

// The flash level is 0 to 32; a stored level outside that is taken as the nearest end before it
// is stepped, so it never reaches a table or the flash command out of range.
int FlashLevelInRange(int level) {
    return std::clamp(level, kLowestFlashLevel, kHighestFlashLevel);
}

}  // namespace

int StepFlashLevel(int level, int step) {
    return FlashLevelInRange(FlashLevelInRange(level) + step);
}

FlashGains FlashColorGains(const FlashColorInput& in) {
    FlashGains gains{in.redBase + in.redOffset, in.blueBase + in.blueOffset};
    const size_t step = StepIndex(in.flashStep);
    if ((in.cameraType == 3 || in.cameraType == 5) && in.fluorescent) {
        const auto& table = in.cameraType == 3 ? kFluorescentClass3 : kFluorescentClass5;
        gains.red -= table[step].red;
        gains.blue += table[step].blue;
    } else if (in.cameraType == 4) {
        gains.blue += kBlueBoostClass4[step];
    }
    gains.red = GainByte(gains.red);
    gains.blue = GainByte(gains.blue);
    return gains;
}

// --- DARKER and IRIS --------------------------------------------------------------------------

bool CTRIPOD01Dlg::IrisLocked() {
    if (m_LockIris != 1)
        return false;
    ui::MessageBox(this, "Iris is Locked, see Administrator", "Notice");
    return true;
}

void CTRIPOD01Dlg::EnterManualExposure() {
    // The oldest heads step their exposure only once out of automatic exposure.
    if (m_IrisModeSet == 0) {
        SendPtzCommand(head::kLeaveAutoExposure);
        sys::Wait(75);
        m_IrisModeSet = 1;
    }
}

void CTRIPOD01Dlg::OnDarker() {
    if (IrisLocked())
        return;
    if (m_FlashCapture != 0) {
        m_FlashIrisLevel = StepFlashLevel(m_FlashIrisLevel, -1);
        UpdateSubjectDistance();
    } else if (m_CameraType >= 2) {
        SendPtzCommand(head::kExposureDarker);
    } else {
        EnterManualExposure();
        SendPtzCommand(head::kExposureDarker);
    }
}

void CTRIPOD01Dlg::OnIris() {
    if (IrisLocked())
        return;
    if (m_FlashCapture != 0) {
        m_FlashIrisLevel = StepFlashLevel(m_FlashIrisLevel, +1);
        UpdateSubjectDistance();
    } else if (m_CameraType >= 2) {
        SendPtzCommand(head::kExposureBrighter);
    } else {
        EnterManualExposure();
        SendPtzCommand(head::kManualExposureBrighter);
    }
}

// --- flash off and on ------------------------------------------------------------------------

void CTRIPOD01Dlg::OnFlashOff() {
    UpdateData(true);
    GotoDlgCtrl(ids::kTiltUp);
    SetDlgItemText(ids::kBrightnessGroup, QStringLiteral("Live Brightness"));
    m_SubjectDistance = "NA";
    UpdateData(false);
}

void CTRIPOD01Dlg::OnFlashOn() {
    UpdateData(true);
    GotoDlgCtrl(ids::kTiltUp);
    SetDlgItemText(ids::kBrightnessGroup, QStringLiteral("Flash Brightness"));
    UpdateSubjectDistance();
    UpdateData(false);
}

// --- colour correction of the reviewed picture -----------------------------------------------

void CTRIPOD01Dlg::OnVScroll(int sliderId) {
    const bool red = sliderId == ids::kRedSlider;
    if (!red && sliderId != ids::kBlueSlider)
        return;
    const auto* slider = Item<QSlider>(sliderId);
    // The top of the slider (-50) is the strongest correction (+50).
    const auto correction = static_cast<int8_t>(-slider->value());
    SetDlgItemText(red ? ids::kRedValue : ids::kBlueValue, QString::number(correction));
    const bool flash = m_FlashCapture != 0;
    int8_t& member = red ? (flash ? m_RedFlashCorrection : m_RedLiveCorrection)
                         : (flash ? m_BlueFlashCorrection : m_BlueLiveCorrection);
    member = correction;
    ApplyCaptureCorrection();
    UpdateData(false);
}

void CTRIPOD01Dlg::OnDefaultCorrection() {
    if (m_FlashCapture != 0) {
        m_RedFlashCorrection = 0;
        m_BlueFlashCorrection = 0;
    } else {
        m_RedLiveCorrection = 0;
        m_BlueLiveCorrection = 0;
    }
    SetDlgItemText(ids::kRedValue, QStringLiteral("0"));
    SetDlgItemText(ids::kBlueValue, QStringLiteral("0"));
    Item<QSlider>(ids::kRedSlider)->setValue(0);
    Item<QSlider>(ids::kBlueSlider)->setValue(0);
    ApplyCaptureCorrection();
}

// --- flash colour and white balance ----------------------------------------------------------

void CTRIPOD01Dlg::ProgramFlashColor() {
    SendPtzCommand(head::kManualColour);
    sys::Wait(50);
    const FlashGains gains = FlashColorGains({m_CameraType, m_FlashStep, m_FlashColorCorrection == 1,
                                              m_RedFlashBase, m_RedFlashOffset, m_BlueFlashBase,
                                              m_BlueFlashOffset});
    WriteArgument(HeadArgument::A, gains.red);
    sys::Wait(50);
    SendPtzCommand(head::kRedGain);
    sys::Wait(100);
    WriteArgument(HeadArgument::B, gains.blue);
    sys::Wait(50);
    SendPtzCommand(head::kBlueGain);
    sys::Wait(100);
    WriteArgument(HeadArgument::A, m_FlashChromaLevel);
    sys::Wait(50);
    SendPtzCommand(head::kColourLevel);
    sys::Wait(100);
}

void CTRIPOD01Dlg::ReadWhiteBalanceGains() {
    // The first answer may be the previous report; the second, after the head has had time to
    // measure, is the gain in use.
    SendPtzCommand(head::kReportRedGain);
    sys::Wait(30);
    ReadArgument(HeadArgument::A);
    sys::Wait(30);
    SendPtzCommand(head::kReportRedGain);
    sys::Wait(300);
    m_RedGainRead = static_cast<uint8_t>(ReadArgument(HeadArgument::A) & 0xFF);
    sys::Wait(30);

    SendPtzCommand(head::kReportBlueGain);
    sys::Wait(30);
    ReadArgument(HeadArgument::B);
    sys::Wait(30);
    SendPtzCommand(head::kReportBlueGain);
    sys::Wait(150);
    m_BlueGainRead = static_cast<uint8_t>(ReadArgument(HeadArgument::B) & 0xFF);
    sys::Wait(30);
}
