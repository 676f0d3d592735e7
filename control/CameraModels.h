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
