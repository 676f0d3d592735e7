// Iris, brightness and colour: DARKER and IRIS, the flash choice, the colour-correction
// sliders of the review, the flash colour gains programmed before a flash capture, and the
// white-balance gains read back for a manual white balance.
//
// With the flash off DARKER and IRIS step the camera's live exposure by command; with the flash
// on they step the flash level, which only goes to the camera at capture time and sets the
// subject-distance text.
#include <QSlider>
#include <algorithm>
#include <array>

#include "control/HeadLink.h"
#include "device/HeadCommands.h"
#include "platform/system/Clock.h"
#include "platform/ui/Services.h"
#include "station/ControlIds.h"
#include "station/IrisColor.h"
#include "station/MainDialog.h"

namespace {

// The flash level is 0 to 32; a stored level outside that is taken as the nearest end before it
// is stepped, so it never reaches a table or the flash command out of range.
int FlashLevelInRange(int level) {
    return std::clamp(level, kLowestFlashLevel, kHighestFlashLevel);
}

}  // namespace

int StepFlashLevel(int level, int step) {
    return FlashLevelInRange(FlashLevelInRange(level) + step);
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
    } else if (camera_class::StepsExposureItself(m_CameraType)) {
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
    } else if (camera_class::StepsExposureItself(m_CameraType)) {
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
    const CorrectionsInForce inForce = CorrectionsFor(*this);
    (red ? inForce.red : inForce.blue) = correction;
    ApplyCaptureCorrection();
    UpdateData(false);
}

void CTRIPOD01Dlg::OnDefaultCorrection() {
    const CorrectionsInForce inForce = CorrectionsFor(*this);
    inForce.red = 0;
    inForce.blue = 0;
    SetDlgItemText(ids::kRedValue, QStringLiteral("0"));
    SetDlgItemText(ids::kBlueValue, QStringLiteral("0"));
    Item<QSlider>(ids::kRedSlider)->setValue(0);
    Item<QSlider>(ids::kBlueSlider)->setValue(0);
    ApplyCaptureCorrection();
}

// --- flash colour and white balance ----------------------------------------------------------

void CTRIPOD01Dlg::ProgramFlashColor() {
    camera_seq::ProgramFlashColor(
        FlashColorGains({m_CameraType, m_FlashStep, m_FlashColorCorrection == 1, m_RedFlashBase,
                         m_RedFlashOffset, m_BlueFlashBase, m_BlueFlashOffset}),
        m_FlashChromaLevel);
}

void CTRIPOD01Dlg::ReadWhiteBalanceGains() {
    const camera_seq::WhiteBalanceGains gains = camera_seq::ReadWhiteBalanceGains();
    m_RedGainRead = gains.red;
    m_BlueGainRead = gains.blue;
}
