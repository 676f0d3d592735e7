// The camera models the station knows, and the aperture codes of the camera head.
#pragma once

#include <optional>
#include <string_view>

// The model classes (m_CameraType); class 2 does not exist.
namespace camera_class {
inline constexpr int kUnknown = 0;  // not yet read, or a model the station cannot drive
inline constexpr int kPtzRev1 = 1;
inline constexpr int kZoomRev2 = 3;
inline constexpr int kPtzRev2 = 4;
inline constexpr int kPtzRev3 = 5;

// A model the station drives (class 0 is the one it cannot).
constexpr bool Known(int c) {
    return c != kUnknown;
}
// The zoom-only class has no pan or tilt motion.
constexpr bool HasPanAndTilt(int c) {
    return c != kZoomRev2;
}
// Every class but the oldest head takes the small steps of a tapped arrow key.
constexpr bool TakesNudges(int c) {
    return c > kPtzRev1;
}
// The head steps its exposure darker and brighter itself; the oldest head needs manual
// exposure first.
constexpr bool StepsExposureItself(int c) {
    return c > kPtzRev1;
}
// The head takes separate red and blue colour gains.
constexpr bool HasColourGains(int c) {
    return c >= kZoomRev2;
}
// The newer heads: they centre a face by a relative move, and need a moment after the last
// step before a medium tilt up.
constexpr bool IsNewerHead(int c) {
    return c >= kPtzRev2;
}
}  // namespace camera_class

// The model class of a reported model number: 1, 3, 4, 5, or 0 for a model the station cannot
// drive (64 among them).
int CameraClassOfModel(int modelNumber);

// The name of a class as the Crop page shows it ("Other" for 0 and unknown classes).
std::string_view CameraClassName(int cameraType);

// The model that reports itself as needing the enhanced-zoom software instead.
inline constexpr int kEnhancedZoomModel = 64;

// The camera-head code for a stored aperture setting 0 to 5; nothing outside that range.
std::optional<int> ApertureCode(int aperature);
