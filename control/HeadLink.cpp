// The camera head's command and argument properties, over the device layer.
#include "control/HeadLink.h"

#include "device/Camera.h"

namespace {

uint32_t PropertyOf(HeadArgument argument) {
    return argument == HeadArgument::A ? kPropArgA : kPropArgB;
}

}  // namespace

void SendPtzCommand(uint32_t code) {
    SetCameraProperty(kPropCommand, code, 4);
}

void WriteArgument(HeadArgument argument, int32_t value) {
    SetCameraProperty(PropertyOf(argument), static_cast<uint32_t>(value) & 0xFFFFu, 4);
}

std::optional<uint16_t> TryReadArgument(HeadArgument argument) {
    uint16_t value = 0;
    if (ReadLiveProperty(PropertyOf(argument), &value) != kCameraOk)
        return std::nullopt;
    return value;
}

uint16_t ReadArgument(HeadArgument argument) {
    return TryReadArgument(argument).value_or(0);
}
