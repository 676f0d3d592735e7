// The main dialog's exposure and colour state (IrisColor.cpp, SubjectDistance.cpp): what the
// camera head was told or answered, as opposed to the operator's stored settings.
#pragma once

#include <cstdint>
#include <string>

struct ExposureState {
    // The text of the subject-distance field 1033.
    std::string m_SubjectDistance;
    // Flash brightness step 1 to 8 derived from m_FlashIrisLevel; 0 until first derived.
    int32_t m_FlashStep = 0;
    // 1 once the manual-exposure command has been sent to a class 0 or 1 camera; cleared at
    // camera start-up and at each flash capture.
    int32_t m_IrisModeSet = 0;
    // Flash colour gain bases, set by the start-up hand-shake.
    int32_t m_RedFlashBase = 0;
    int32_t m_BlueFlashBase = 0;
    // The white-balance gains last read from the camera.
    uint8_t m_RedGainRead = 0;
    uint8_t m_BlueGainRead = 0;
};
