// The hold-to-move state the arrow keys, keypad plus and minus, Shift, Control and the picture
// buttons share (control/Steering.h). All 0 once the station has initialised; flags are 0 or 1.
#pragma once

#include <cstdint>

// A direction of motion as the camera head knows it; kNone where a key has no direction (an
// unknown picture rotation).
enum class Motion : uint8_t { kNone, kTiltUp, kTiltDown, kPanLeft, kPanRight, kZoomIn, kZoomOut };

// The picture buttons that steer, and Home, as the steering knows them.
enum class SteeringButton : uint8_t {
    kNone,
    kTiltUp,
    kTiltDown,
    kPanLeft,
    kPanRight,
    kZoomIn,
    kZoomOut,
    kHome
};

struct MotionState {
    // A motion started by the Up / Down / Left / Right arrow key or by the matching picture
    // button is running.
    int32_t m_UpActive = 0;
    int32_t m_DownActive = 0;
    int32_t m_LeftActive = 0;
    int32_t m_RightActive = 0;
    // The direction each of those motions started with, after rotation and reversal: Shift,
    // Control and their release retune this direction, so the camera never changes axis or
    // turns around while one key or button is held.
    Motion m_UpMotion = Motion::kNone;
    Motion m_DownMotion = Motion::kNone;
    Motion m_LeftMotion = Motion::kNone;
    Motion m_RightMotion = Motion::kNone;
    // Keypad plus / minus is held.
    int32_t m_ZoomInKeyDown = 0;
    int32_t m_ZoomOutKeyDown = 0;
    // A motion started by a picture button is running.
    int32_t m_MouseMoving = 0;
    // The picture button whose motion runs while m_MouseMoving is set.
    SteeringButton m_MouseButton = SteeringButton::kNone;
    // Nudge steps sent since the last arrow or keypad release (0 to 4).
    int32_t m_NudgeCount = 0;
    int32_t m_ShiftDown = 0;
    int32_t m_ControlDown = 0;
    // 1 while a captured picture is under review: the keyboard filter ignores keys.
    int32_t m_ControlsDisabled = 0;

    void ClearMotionState() { *this = MotionState{}; }
};
