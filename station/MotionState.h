// The main dialog's hold-to-move state, shared by the keyboard filter and the picture buttons
// (PanTiltZoom.cpp). All 0 once the dialog has initialised; flags are 0 or 1.
#pragma once

#include <cstdint>

struct MotionState {
    // A motion started by the Up / Down / Left / Right arrow key or by the matching picture
    // button is running.
    int32_t m_UpActive = 0;
    int32_t m_DownActive = 0;
    int32_t m_LeftActive = 0;
    int32_t m_RightActive = 0;
    // Keypad plus / minus is held.
    int32_t m_ZoomInKeyDown = 0;
    int32_t m_ZoomOutKeyDown = 0;
    // A motion started by a picture button is running.
    int32_t m_MouseMoving = 0;
    // Nudge steps sent since the last arrow or keypad release (0 to 4).
    int32_t m_NudgeCount = 0;
    int32_t m_ShiftDown = 0;
    int32_t m_ControlDown = 0;
    // 1 while a captured picture is under review: the keyboard filter ignores keys.
    int32_t m_ControlsDisabled = 0;

    void ClearMotionState() { *this = MotionState{}; }
};
