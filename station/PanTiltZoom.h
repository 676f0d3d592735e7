// Pan, tilt and zoom: the tables behind the main dialog's steering handlers (PanTiltZoom.cpp).
//
// A motion runs in the camera head from its start code until a stop code (65 pan and tilt, 3
// zoom). Each direction has a slow, a medium and a fast code; the tier a motion starts at
// depends on the speed setting and the camera class, and Shift (slow) or Control (fast) choose
// it outright. The arrow keys turn with the picture and follow the reverse settings; the
// picture buttons follow only the reverse settings.
#pragma once

#include <cstdint>
#include <optional>

#include "station/MotionState.h"

enum class SpeedTier : uint8_t { kNone, kSlow, kMedium, kFast };
enum class ArrowKey : uint8_t { kUp, kDown, kLeft, kRight };

// The tier of a pan or tilt motion started without Shift or Control. kNone on the zoom-only
// class 3 camera at any speed but Slow: it has no pan/tilt drive.
SpeedTier PanTiltTier(int ptzSpeed, int cameraType);
// The tier of a zoom motion started without Shift or Control, whatever the class.
SpeedTier ZoomTier(int ptzSpeed);

// Which modifier decides when both are held: the keys look at Shift first, the picture buttons
// at Control first.
enum class FirstModifier : uint8_t { kShift, kControl };
// The tier a motion starts at: slow with Shift, fast with Control, else `unmodified`.
constexpr SpeedTier HeldTier(SpeedTier unmodified, bool shift, bool control, FirstModifier first) {
    if (shift && (!control || first == FirstModifier::kShift))
        return SpeedTier::kSlow;
    if (control)
        return SpeedTier::kFast;
    return unmodified;
}

// The code that starts `motion` at `tier`, or nothing (tier kNone, no direction).
std::optional<uint16_t> MotionCode(Motion motion, SpeedTier tier);
// The code of one small step in a pan or tilt direction; nothing for any other motion.
std::optional<uint16_t> NudgeCode(Motion motion);

// The other direction on the same axis when `reverse` is set.
Motion Reversed(Motion motion, bool reverse);
// Where an arrow key moves the camera: the key turned with the picture (rotation 0 none,
// 1 by 90 degrees, 2 by 270 degrees; any other rotation gives kNone), then reversed by the
// key's own setting: tilt reverse for Up and Down, pan reverse for Left and Right, whichever
// axis the rotation gave.
Motion KeyMotion(ArrowKey key, int rotationAngle, bool tiltReverse, bool panReverse);

// A pan or tilt position as the head reports it: 16 bits, where readings above 20000 are the
// negative positions.
int32_t SignedPosition(uint16_t reading);
