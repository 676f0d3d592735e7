// Iris, brightness and colour: the tables and arithmetic behind the handlers of IrisColor.cpp.
#pragma once

#include <algorithm>

// A red or blue gain as the head takes it, one byte: a base plus an offset below 0 is sent as 0
// and above 255 as 255, never as its low bits (-5 would be 251, the strongest red).
constexpr int GainByte(int gain) {
    return std::clamp(gain, 0, 255);
}

struct FlashColorInput {
    int cameraType;   // model class
    int flashStep;    // 1 to 8; anything else is taken as the nearest step
    bool fluorescent; // the Flesh Tones page's flash colour correction is Fluorescent
    int redBase;
    int redOffset;
    int blueBase;
    int blueOffset;
};

// Red and blue gains the head is given before a flash capture, each 0 to 255. Class 3 and 5
// take the fluorescent correction when it is chosen, class 4 always adds its blue boost, any
// other class gets base plus offset.
struct FlashGains {
    int red;
    int blue;
};
FlashGains FlashColorGains(const FlashColorInput& in);

// The flash level range, and a level stepped by `step` within it. A level outside the range (a
// stored value an administrator edited) is first taken as the nearest end.
inline constexpr int kLowestFlashLevel = 0;
inline constexpr int kHighestFlashLevel = 32;
int StepFlashLevel(int level, int step);
