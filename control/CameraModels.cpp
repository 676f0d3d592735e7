// The camera models the station can drive, and the camera head's aperture codes.
#include "control/CameraModels.h"

#include <array>

namespace {

struct ModelEntry {
    int model;
    int cameraType;
};
constexpr ModelEntry kCameraModels[] = {
    {2, 1}, {26, 3}, {27, 3}, {62, 3}, {8, 4}, {13, 4}, {14, 5},
};

struct ClassName {
    int cameraType;
    std::string_view name;
};
constexpr ClassName kCameraClassNames[] = {
    {1, "PTZ Rev1"},
    {3, "Zoom Rev 2"},
    {4, "PTZ Rev 2"},
    {5, "PTZ Rev 3"},
};

// Aperture codes for the stored settings 0 to 5.
constexpr std::array<int, 6> kApertureCodes = {144, 151, 150, 149, 147, 145};

}  // namespace

int CameraClassOfModel(int modelNumber) {
    for (const ModelEntry& entry : kCameraModels) {
        if (entry.model == modelNumber)
            return entry.cameraType;
    }
    return 0;
}

std::string_view CameraClassName(int cameraType) {
    for (const ClassName& entry : kCameraClassNames) {
        if (entry.cameraType == cameraType)
            return entry.name;
    }
    return "Other";
}

std::optional<int> ApertureCode(int aperature) {
    if (aperature < 0 || aperature >= static_cast<int>(kApertureCodes.size()))
        return std::nullopt;
    return kApertureCodes[aperature];
}
