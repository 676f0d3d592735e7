// The flash brightness level (0 to 32) as the subject distance it suits, per camera class, and
// the flash brightness step (1 to 8) derived from it.
#pragma once

#include <optional>
#include <string_view>

// The subject-distance text of a level on a camera class (1, 3, 4 or 5), or nothing when the
// class has no table or the level is outside 1 to 32.
std::optional<std::string_view> SubjectDistanceText(int cameraType, int flashIrisLevel);

// The step set together with the text after a level change (classes 3 and 5 only).
std::optional<int> FlashStepForLevel(int cameraType, int flashIrisLevel);

// The step set once at camera start-up (class 3; classes 4 and 5), or nothing when that
// leaves the step as it is.
std::optional<int> StartupFlashStep(int cameraType, int flashIrisLevel);
