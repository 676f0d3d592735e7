// The camera head's command codes: the one vocabulary the station sends and the simulated head
// answers.
//
// A command is sent by writing its code to property 11; its arguments go first into property 29
// (argument A) and property 6 (argument B), and a report comes back in the same two properties
// once the head has had time to answer. Continuous-motion codes come in speed tiers and are
// tabled where they are used; the codes here are the ones with a single meaning.
#pragma once

#include <cstdint>

namespace head {

// Motion and positions.
inline constexpr uint16_t kStopZoom = 3;
inline constexpr uint16_t kStopPanTilt = 65;
inline constexpr uint16_t kReportZoom = 155;     // zoom position → A
inline constexpr uint16_t kReportPanTilt = 156;  // pan → A, tilt → B (16-bit two's complement)
inline constexpr uint16_t kDriveZoom = 157;      // to A
inline constexpr uint16_t kMoveRelative = 159;   // pan by A, tilt by B (signed 16-bit)
inline constexpr uint16_t kDrivePanTilt = 160;   // pan to A, tilt to B

// Start-up: hand-shake, focus, model.
inline constexpr uint16_t kHandshake = 137;  // B = 175 when the head is ready
inline constexpr uint16_t kHandshakeAnswer = 175;
inline constexpr uint16_t kAutoFocusOn = 9;
inline constexpr uint16_t kAutoFocusOff = 10;
inline constexpr uint16_t kReportFocusMode = 170;  // A = 2 while auto focus is on
inline constexpr uint16_t kAutoFocusAnswer = 2;
inline constexpr uint16_t kReportModel = 152;  // model number → A

// Exposure (27 and 29 only on the oldest heads).
inline constexpr uint16_t kExposureDarker = 5;
inline constexpr uint16_t kExposureBrighter = 6;
inline constexpr uint16_t kManualExposureBrighter = 27;
inline constexpr uint16_t kLeaveAutoExposure = 29;

// Colour and picture.
inline constexpr uint16_t kAutoWhiteBalance = 7;
inline constexpr uint16_t kManualColour = 12;
inline constexpr uint16_t kRedGain = 142;         // from A
inline constexpr uint16_t kBlueGain = 143;        // from B
inline constexpr uint16_t kReportRedGain = 144;   // → A
inline constexpr uint16_t kReportBlueGain = 145;  // → B
inline constexpr uint16_t kColourLevel = 146;     // from A
inline constexpr uint16_t kBrightness = 147;      // from A
inline constexpr uint16_t kContrast = 148;        // from A
inline constexpr uint16_t kSharpness = 151;       // sharpness code from A

// Flash: level n is code 100 + n; an armed flash lights the next frame.
inline constexpr uint16_t kFlashLevelBase = 100;
inline constexpr uint16_t kFlashArm = 140;
inline constexpr uint16_t kFlashDisarm = 141;  // back to the live picture's colour

}  // namespace head
