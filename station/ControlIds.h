// Control ids of the main dialog and of the About box.
//
// The ids are the vocabulary every handler, layout table and test uses; they never change.
#pragma once

namespace ids {

// Main dialog.
inline constexpr int kCapture = 1023;  // "&CAPTURE"
inline constexpr int kAdjust = 1044;   // "&Adjust"
inline constexpr int kHome = 1079;     // "Home"
inline constexpr int kZoomIn = 1004;   // picture button "ZOOMIN"
inline constexpr int kZoomOut = 1006;  // picture button "ZOOM OUT"
inline constexpr int kDarker = 1007;   // picture button "DARKER"
inline constexpr int kIris = 1008;     // picture button "IRIS" (brighter)
inline constexpr int kTiltUp = 1037;   // picture buttons of the arrow cross
inline constexpr int kTiltDown = 1038;
inline constexpr int kPanLeft = 1039;
inline constexpr int kPanRight = 1040;
inline constexpr int kZoomGroup = 1093;        // group "Zoom"
inline constexpr int kPanTiltGroup = 1094;     // group "Pan/Tilt"
inline constexpr int kBrightnessGroup = 1095;  // group "Brightness"
inline constexpr int kSubjectDistanceLabel = 1096;
inline constexpr int kSubjectDistance = 1033;  // read-only edit
inline constexpr int kUseFlashGroup = 1097;    // group "Use Flash"
inline constexpr int kFlashOff = 1026;
inline constexpr int kFlashOn = 1027;
inline constexpr int kPreviewCaptureGroup = 1098;  // group "Preview Capture"
inline constexpr int kPreviewNo = 1030;
inline constexpr int kPreviewYes = 1031;
inline constexpr int kZoomControlGroup = 1206;  // group "Zoom Control"
inline constexpr int kPreset1 = 1207;
inline constexpr int kPreset2 = 1208;
inline constexpr int kPreset3 = 1209;
inline constexpr int kManualZoom = 1213;
inline constexpr int kDontSave = 1028;
inline constexpr int kSave = 1029;
inline constexpr int kColorCorrectionGroup = 1200;
inline constexpr int kRedSlider = 1198;
inline constexpr int kBlueSlider = 1199;
inline constexpr int kRedValue = 1201;
inline constexpr int kBlueValue = 1202;
inline constexpr int kRedLabel = 1203;
inline constexpr int kBlueLabel = 1204;
inline constexpr int kDefaultCorrection = 1171;

// The preview window, a child of the main dialog.
inline constexpr int kPreviewWindow = 76;

// About box.
inline constexpr int kAboutIcon = 1001;
inline constexpr int kAboutProduct = 1002;
inline constexpr int kAboutNotice = 1003;
inline constexpr int kAboutOk = 1;

}  // namespace ids
