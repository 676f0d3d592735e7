// Iris, brightness and colour: the tables and arithmetic behind the handlers of IrisColor.cpp.
#pragma once

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
