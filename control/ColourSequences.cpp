// The flash colour and the white-balance read (see ColourSequences.h).
#include "control/ColourSequences.h"

#include <array>

#include "control/CameraModels.h"
#include "control/HeadLink.h"
#include "device/HeadCommands.h"
#include "platform/system/Clock.h"

namespace {

struct FluorescentCorrection {
    int red;   // taken off the red gain
    int blue;  // added to the blue gain
};

// By flash step 1 to 8.
constexpr std::array<FluorescentCorrection, 8> kFluorescentZoomRev2{
    {{1, 1}, {1, 3}, {1, 5}, {2, 7}, {2, 9}, {3, 13}, {3, 15}, {4, 17}}};
constexpr std::array<FluorescentCorrection, 8> kFluorescentPtzRev3{
    {{1, 1}, {1, 3}, {2, 5}, {2, 7}, {2, 9}, {3, 16}, {4, 19}, {4, 22}}};
// The PTZ Rev 2 head always adds this much blue, by flash step.
constexpr std::array<int, 8> kBlueBoostPtzRev2{2, 3, 6, 8, 9, 10, 11, 11};

// A step read from a stored level may be anything; the tables cover 1 to 8.
size_t StepIndex(int flashStep) {
    return static_cast<size_t>(std::clamp(flashStep, 1, 8) - 1);
}

}  // namespace

FlashGains FlashColorGains(const FlashColorInput& in) {
    FlashGains gains{in.redBase + in.redOffset, in.blueBase + in.blueOffset};
    const size_t step = StepIndex(in.flashStep);
    const bool zoomRev2 = in.cameraType == camera_class::kZoomRev2;
    if ((zoomRev2 || in.cameraType == camera_class::kPtzRev3) && in.fluorescent) {
        const auto& table = zoomRev2 ? kFluorescentZoomRev2 : kFluorescentPtzRev3;
        gains.red -= table[step].red;
        gains.blue += table[step].blue;
    } else if (in.cameraType == camera_class::kPtzRev2) {
        gains.blue += kBlueBoostPtzRev2[step];
    }
    gains.red = GainByte(gains.red);
    gains.blue = GainByte(gains.blue);
    return gains;
}

namespace camera_seq {

void ProgramFlashColor(FlashGains gains, int32_t flashChromaLevel) {
    SendPtzCommand(head::kManualColour);
    sys::Wait(50);
    WriteArgument(HeadArgument::A, gains.red);
    sys::Wait(50);
    SendPtzCommand(head::kRedGain);
    sys::Wait(100);
    WriteArgument(HeadArgument::B, gains.blue);
    sys::Wait(50);
    SendPtzCommand(head::kBlueGain);
    sys::Wait(100);
    WriteArgument(HeadArgument::A, flashChromaLevel);
    sys::Wait(50);
    SendPtzCommand(head::kColourLevel);
    sys::Wait(100);
}

WhiteBalanceGains ReadWhiteBalanceGains() {
    // The first answer may be the previous report; the second, after the head has had time to
    // measure, is the gain in use.
    WhiteBalanceGains gains;
    SendPtzCommand(head::kReportRedGain);
    sys::Wait(30);
    ReadArgument(HeadArgument::A);
    sys::Wait(30);
    SendPtzCommand(head::kReportRedGain);
    sys::Wait(300);
    gains.red = static_cast<uint8_t>(ReadArgument(HeadArgument::A) & 0xFF);
    sys::Wait(30);

    SendPtzCommand(head::kReportBlueGain);
    sys::Wait(30);
    ReadArgument(HeadArgument::B);
    sys::Wait(30);
    SendPtzCommand(head::kReportBlueGain);
    sys::Wait(150);
    gains.blue = static_cast<uint8_t>(ReadArgument(HeadArgument::B) & 0xFF);
    sys::Wait(30);
    return gains;
}

}  // namespace camera_seq
