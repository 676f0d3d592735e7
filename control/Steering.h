// Steering the camera by hand: the codes of each motion at its speed tiers, and the hold-to-move
// machine the arrow keys, keypad plus and minus, Shift, Control and the picture buttons drive.
//
// A motion runs in the camera head from its start code until a stop code (65 pan and tilt, 3
// zoom). Each direction has a slow, a medium and a fast code; the tier a motion starts at
// depends on the speed setting and the camera class, and Shift (slow) or Control (fast) choose
// it outright. The arrow keys turn with the picture and follow the reverse settings; the
// picture buttons follow only the reverse settings. The machine sends the head its commands
// with their waits and tells its caller what the operator must see.
#pragma once

#include <cstdint>
#include <optional>

#include "control/MotionState.h"

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

// The settings the machine steers by.
struct SteeringContext {
    int rotationAngle = 0;
    bool tiltReverse = false;
    bool panReverse = false;
    int ptzSpeed = 1;
    int cameraType = 0;
    bool zoomLocked = false;
};

// The keys the machine takes.
enum class SteeringKey : uint8_t { kUp, kDown, kLeft, kRight, kZoomIn, kZoomOut, kShift, kControl };

// What a pointer does over a control, as the window system reports it: the left or right button
// pressed, or the pointer moving (over a held button: it was let go there).
enum class PointerEvent : uint8_t { kLeftDown, kRightDown, kMove };

// What the operator must see after an event; the head has had its commands already.
enum class SteeringAction : uint8_t {
    kNone,
    kZoomLocked,    // the zoom lock box
    kFocusTiltUp,   // the focus goes to the tilt-up button
    kSavePosition,  // ask, then save the position as Home
};

// The hold-to-move machine over the station's motion state. It lives for one event: build it
// with the settings in force and hand it the event.
class Steering {
  public:
    Steering(MotionState& state, const SteeringContext& context)
        : state_(state), context_(context) {}

    SteeringAction KeyDown(SteeringKey key);
    SteeringAction KeyUp(SteeringKey key);

    struct PointerResult {
        bool handled;  // false: the control handles the event as it would anyway
        SteeringAction action;
    };
    PointerResult Pointer(SteeringButton button, PointerEvent event);

    // Stops every running motion and forgets the held keys and buttons (the keyboard went to
    // another window, so their releases will not come here).
    void StopAll();

  private:
    void ArrowDown(ArrowKey key);
    void ArrowUp(ArrowKey key);
    SteeringAction ZoomKeyDown(bool zoomIn);
    void ZoomKeyUp(bool zoomIn);
    void ModifierDown(bool shift);
    void ModifierUp(bool shift);
    // Sends the code of the first running motion at `tier`: up, down, left, right (right
    // before left when asked), then the keypad zoom.
    void RetuneRunningMotion(SpeedTier tier, bool rightBeforeLeft);
    SteeringAction PressButton(SteeringButton button);
    void LetGoOver(SteeringButton button);

    MotionState& state_;
    const SteeringContext context_;
};

namespace camera_seq {
// Drives the zoom to `position`, with no wait.
void DriveZoom(int32_t position);
// Drives the head to a pan/tilt position and, 200 ms later, to a zoom position.
void DrivePanTiltZoom(int32_t pan, int32_t tilt, int32_t zoom);
// The head's pan, tilt and zoom, each read 250 ms after it was asked for; nothing for a read
// that failed (camera gone).
struct PanTiltZoomReading {
    std::optional<int32_t> pan, tilt;
    std::optional<uint16_t> zoom;
};
PanTiltZoomReading ReadPanTiltZoom();
}  // namespace camera_seq
