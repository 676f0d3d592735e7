// Iris, brightness and colour: the flash colour gains programmed before a flash capture, and
// the white-balance gains read back for a manual white balance.
//
// The flash lights the face with a colder light than the room, and a fluorescent room adds its
// own green-blue cast; the head compensates by fixed red and blue gains that grow with the
// flash brightness step. Gains go out as one byte each.
#include <algorithm>
#include <array>

#include "device/HeadCommands.h"
#include "platform/system/Clock.h"
#include "station/HeadLink.h"
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

int GainByte(int gain) {
    return std::clamp(gain, 0, 255);
}

}  // namespace

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
