// The head's colour outside start-up: the flash colour gains programmed before a flash capture,
// and the white-balance gains read back when the operator fixes the white balance.
//
// The flash lights the face with a colder light than the room, and a fluorescent room adds its
// own green-blue cast; the head compensates by fixed red and blue gains that grow with the
// flash brightness step. Gains go out as one byte each.
#pragma once

#include <algorithm>
#include <cstdint>

// A red or blue gain as the head takes it, one byte: a base plus an offset below 0 is sent as 0
// and above 255 as 255, never as its low bits (-5 would be 251, the strongest red).
constexpr int GainByte(int gain) {
    return std::clamp(gain, 0, 255);
}

struct FlashColorInput {
    int cameraType;    // model class
    int flashStep;     // 1 to 8; anything else is taken as the nearest step
    bool fluorescent;  // the Flesh Tones page's flash colour correction is Fluorescent
    int redBase;
    int redOffset;
    int blueBase;
    int blueOffset;
};

// Red and blue gains the head is given before a flash capture, each 0 to 255. The zoom-only
// class and the newest head take the fluorescent correction when it is chosen, the older
// pan-tilt head always adds its blue boost, any other class gets base plus offset.
struct FlashGains {
    int red;
    int blue;
};
FlashGains FlashColorGains(const FlashColorInput& in);

namespace camera_seq {

// Manual colour, then the red and blue gains and the flash colour level.
void ProgramFlashColor(FlashGains gains, int32_t flashChromaLevel);

// The red and blue gains the head's white balance uses now, one byte each.
struct WhiteBalanceGains {
    uint8_t red = 0;
    uint8_t blue = 0;
};
WhiteBalanceGains ReadWhiteBalanceGains();

}  // namespace camera_seq
