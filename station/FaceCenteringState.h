// The main dialog's state around face centering on the preview (FaceCenteringMoves.cpp) and
// the set-offset step of the Auto Position page. Not saved: 0 when the dialog is created.
#pragma once

#include <cstdint>

struct FaceCenteringState {
    // 1 while "Set Offset" is armed: the next left-button release on the preview sets the
    // centre offsets to its point instead of moving the camera.
    int32_t m_SetOffsetMode = 0;
    // The last left-button press (or double-click) point on the preview, in window pixels.
    int32_t m_PressX = 0;
    int32_t m_PressY = 0;
};
