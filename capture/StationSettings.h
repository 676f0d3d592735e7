// The operator's settings: the record the main dialog inherits, and its load and save.
//
// Every setting lives as a member named m_ plus its registry value name, and is kept between
// runs in the current user's key "Software\ZelvoCam USB". LoadSettings runs once while the main
// dialog initialises: it reads the values in a fixed order, puts back at once every default it
// had to use (some under a different name, which stored keys already carry), applies the range
// checks and derives the crop rectangle. SaveSettings writes the full list at close and on each
// host hide. Neither needs a window: the dialog supplies the screen size, takes its window
// position into m_WindowLeft/m_WindowTop before saving, and gives two callbacks for the dialog
// steps that run in the middle of loading.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class RegistryKey;

// The key every setting lives in.
inline constexpr char kStationSettingsKey[] = "Software\\ZelvoCam USB";

// Where a captured picture goes: the values of "Capture Type".
namespace destination {
inline constexpr int32_t kClipboard = 0;
inline constexpr int32_t kJpegFile = 1;
inline constexpr int32_t kBmpFile = 2;
// The host's hand-off file: a host's capture request, and a fresh station.
inline constexpr int32_t kHostHandOff = 5;
}  // namespace destination

// The record as the main dialog's constructor leaves it: texts empty, the home position and the
// zoom presets 0, the three radio groups -1 (no button checked). Everything else starts at 0.
struct StationSettings {
    std::string m_JpgFileName;  // fixed JPEG output file, full path
    std::string m_Path;         // folder for operator-named files, ends with '/'
    std::string m_PassWord;     // "None" or "" means no password
    int32_t m_Interface = 0;    // 0 Law Enforcement, 1 Standard
    int32_t m_PanSetting = 0;   // home position
    int32_t m_TiltSetting = 0;
    int32_t m_ZoomSetting = 0;
    int32_t m_ZoomPreset1 = 0;
    int32_t m_ZoomPreset2 = 0;
    int32_t m_ZoomPreset3 = 0;
    int32_t m_ZoomPosition = 0;  // last read back from the camera
    int32_t m_AutoFocus = 0;
    int32_t m_DefaultSharpness = 0;
    int32_t m_DefaultRedPreviewOffset = 0;
    int32_t m_DefaultBluePreviewOffset = 0;
    int32_t m_DefaultRedFlashOffset = 0;
    int32_t m_DefaultBlueFlashOffset = 0;
    int32_t m_DefaultChromaPreviewLevel = 0;
    int32_t m_DefaultChromaFlashLevel = 0;
    int32_t m_DefaultAperature = 0;
    int32_t m_DefaultFlashDelay = 0;
    int32_t m_ChromaLevel = 0;
    int32_t m_FlashChromaLevel = 0;
    int32_t m_WindowTop = 0;        // "Top", screen pixels
    int32_t m_WindowLeft = 0;       // "Left", screen pixels
    int32_t m_FlashIrisLevel = 0;   // 0 to 32
    int32_t m_PreviewCapture = -1;  // 0 No, 1 Yes
    int32_t m_ZoomPreset = -1;      // 0 to 2 Preset 1 to 3, 3 Manual Zoom
    int32_t m_FlashCapture = -1;    // 0 Flash Off, 1 Flash On
    int32_t m_Sharpness = 0;        // 0 to 3
    int32_t m_RedPreviewOffset = 0;
    int32_t m_RedFlashOffset = 0;
    int32_t m_BluePreviewOffset = 0;
    int32_t m_BlueFlashOffset = 0;
    int32_t m_Brightness = 0;
    int32_t m_Contrast = 0;
    int32_t m_Aperature = 0;  // 0 to 4
    int32_t m_PTZSpeed = 0;   // 0 Slow, 1 Med, 2 Fast
    int32_t m_CompressionLevel = 0;
    int32_t m_CropSelect = 0;
    int32_t m_LiveCapture = 0;  // 0 Fastest, 1 Med, 2 Best
    int32_t m_ZoomAutoPosition = 0;
    int32_t m_AutoPositionEnabled = 0;
    int32_t m_CalibrationError = 0;
    int32_t m_PanReverse = 0;
    int32_t m_TiltReverse = 0;
    int32_t m_XCenterOffset = 0;
    int32_t m_YCenterOffset = 0;
    int32_t m_LockZoom = 0;
    int32_t m_LockIris = 0;
    int32_t m_AutoWhite = 0;  // 0 auto, 1 manual
    int32_t m_RedLockGain = 0;
    int32_t m_BlueLockGain = 0;
    int32_t m_FlashColorCorrection = 0;  // 0 Default, 1 Fluorescent
    int8_t m_RedFlashCorrection = 0;
    int8_t m_BlueFlashCorrection = 0;
    int8_t m_RedLiveCorrection = 0;
    int8_t m_BlueLiveCorrection = 0;
    int32_t m_ColorCorrectionLock = 0;
    int32_t m_CaptureType = 0;  // a destination:: value
    int32_t m_CompressionFactor = 0;
    int32_t m_SaveFileType = 0;  // 0 fixed name, 1 operator enters a name
    int32_t m_HorizontalDPI = 0;
    int32_t m_VerticalDPI = 0;
    int32_t m_RotationAngle = 0;  // 0 none, 1 by 90 degrees, 2 by 270 degrees
    int32_t m_CropWidth = 0;      // size of the stored picture
    int32_t m_CropHeight = 0;

    // Saved at close but never read back at start.
    int32_t m_FlashDelay = 0;             // milliseconds
    float m_AutoCorrectionFactor = 0.0f;  // face-centering scale in use

    // Working members the loader fills: the screen size, taken before any value is read, and
    // the crop rectangle's left and top inside the 640 by 480 frame (for an upright picture;
    // the layout sets them for a turned one).
    int32_t m_ScreenWidth = 0;
    int32_t m_ScreenHeight = 0;
    int32_t m_CropOffsetX = 0;
    int32_t m_CropOffsetY = 0;

    friend bool operator==(const StationSettings&, const StationSettings&) = default;
};

struct ScreenSize {
    int32_t width = 0;
    int32_t height = 0;
};

// The two dialog steps that run in the middle of loading. Either may be empty.
struct LoadSettingsSteps {
    // Right after "FlashCapture": the "Brightness" group box caption and the subject-distance
    // text, which depend on m_FlashCapture and m_FlashIrisLevel.
    std::function<void()> afterFlashCapture;
    // Right after "RotationAngle": show the members in the controls (data exchange towards the
    // controls), so the radio groups show the loaded values.
    std::function<void()> afterRotationAngle;
};

// Loads every setting from `key` (opened on kStationSettingsKey by the caller; a closed key
// makes every value take its default). Defaults that had to be used are written back, all in
// one replacement of the key's file at the end. False when they could not be stored (the key
// is closed, or its file cannot be replaced): this run's settings will not be kept either.
bool LoadSettings(StationSettings& settings, RegistryKey& key, ScreenSize screen,
                  const LoadSettingsSteps& steps = {});

// Writes the full list of saved values in their fixed order, in one replacement of the key's
// file. True when every value was stored; a value that cannot be stored does not stop the
// others, and a failed replacement leaves the key and its file as they were. Nothing retries.
bool SaveSettings(const StationSettings& settings, RegistryKey& key);

// The red and blue corrections in force: the flash pair while captures use the flash, the live
// pair otherwise. Writing through them changes that pair only.
struct CorrectionsInForce {
    int8_t& red;
    int8_t& blue;
};
CorrectionsInForce CorrectionsFor(StationSettings& settings);

// Where a crop of `size` pixels starts when centred in `frame` pixels: half the room left,
// rounded toward zero, negative for a crop larger than the frame. Any stored size may arrive
// here, so the difference is formed in 64 bits; the result always fits.
int32_t CentredCropOffset(int32_t frame, int32_t size);

// The crop sizes the loader keeps for a rotation: a width of 100 up to the frame's width as
// shown and a height of 1 up to its height, the frame being 640 x 480 upright and 480 x 640
// turned (rotation 1 or 2). A size typed for the crop is held to these, so the session and the
// next start use the same crop.
struct CropSizeLimits {
    int32_t minWidth;
    int32_t maxWidth;
    int32_t minHeight;
    int32_t maxHeight;
};
CropSizeLimits CropLimitsFor(int32_t rotation);

// The defaults of the two file-name settings: "ZelvoCam Temp.JPG" in the home folder, and the
// home folder itself, ending with '/'.
std::string DefaultJpgFileName();
std::string DefaultPath();
