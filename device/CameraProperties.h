// Camera property ids and the device layer's result codes.
//
// The rest of the station never sees camera registers: it reads and writes these numbered
// properties through GetCameraProperty / SetCameraProperty (device/Camera.h). Ids 1-48 are
// the property space proper; ids 256-511 pass straight through to the camera register of the
// same number. Names follow what each property means to the station; ids whose meaning is the
// camera's own are named after the register they mirror.
#pragma once

#include <cstdint>

// Result codes returned by every device-layer call.
inline constexpr int kCameraOk = 0;
inline constexpr int kCameraFailed = 1;           // not open, platform call or allocation failed
inline constexpr int kCameraUnknownProperty = 3;  // id not in the property table
inline constexpr int kCameraOutOfRange = 5;       // value out of range or not found
inline constexpr int kCameraRefused = 7;          // refused in the current state (streaming)
inline constexpr int kCameraBufferTooSmall = 8;   // caller's buffer too small

inline constexpr uint32_t kPropModeWord = 1;    // while non-zero, property 42 is refused
inline constexpr uint32_t kPropRegister31 = 2;  // set to 0 by camera start-up
inline constexpr uint32_t kPropRegister32 = 3;  // set to 0 by camera start-up
inline constexpr uint32_t kPropToneKnee = 4;    // tone-curve knee P, 0-255
inline constexpr uint32_t kPropRegister48 = 5;
inline constexpr uint32_t kPropArgB = 6;  // command argument B / answer (live read)
inline constexpr uint32_t kPropRegister5 = 7;
inline constexpr uint32_t kPropStreaming = 8;     // streaming on (non-zero) or off
inline constexpr uint32_t kPropHostDecoding = 9;  // 1: frames arrive compressed
inline constexpr uint32_t kPropQuality = 10;      // compression quality Q, 0-100
inline constexpr uint32_t kPropCommand = 11;      // command code for the camera head
inline constexpr uint32_t kPropRegister9 = 12;
inline constexpr uint32_t kPropOutputFormat = 13;  // output pixel format (kFormat*)
inline constexpr uint32_t kPropToneSelector = 14;  // tone-curve selector S, 0-255
inline constexpr uint32_t kPropRegister42 = 15;    // live read / write-only register 42
inline constexpr uint32_t kPropRegister14 = 16;    // live read of register 14
inline constexpr uint32_t kPropRegister15 = 17;
inline constexpr uint32_t kPropRegister17 = 18;
inline constexpr uint32_t kPropRegister18 = 19;
inline constexpr uint32_t kPropInfoWord2 = 20;
inline constexpr uint32_t kPropInfoText1 = 21;      // narrow (UTF-8)
inline constexpr uint32_t kPropInfoText1Wide = 22;  // UTF-16
inline constexpr uint32_t kPropRegister19 = 23;
inline constexpr uint32_t kPropRegister20 = 24;
inline constexpr uint32_t kPropRegister23 = 25;  // host-side copy, cleared at close
inline constexpr uint32_t kPropInfoWord3 = 26;
inline constexpr uint32_t kPropInfoText2 = 27;
inline constexpr uint32_t kPropInfoText2Wide = 28;
inline constexpr uint32_t kPropArgA = 29;        // command argument A / answer (live read)
inline constexpr uint32_t kPropSizePreset = 30;  // set: preset key; get: size marker
inline constexpr uint32_t kPropImageWidth = 31;
inline constexpr uint32_t kPropImageHeight = 32;
inline constexpr uint32_t kPropAreaWidth = 33;  // sensor area read out
inline constexpr uint32_t kPropAreaHeight = 34;
inline constexpr uint32_t kPropLargestPreset = 35;  // key of the largest fitting preset
inline constexpr uint32_t kPropSensorMaxWidth = 36;
inline constexpr uint32_t kPropSensorMaxHeight = 37;
inline constexpr uint32_t kPropRegister35 = 38;
inline constexpr uint32_t kPropInfoText3 = 39;
inline constexpr uint32_t kPropInfoText3Wide = 40;
inline constexpr uint32_t kPropRegister36 = 41;
inline constexpr uint32_t kPropRegister37 = 42;  // refused while the mode word is set
inline constexpr uint32_t kPropInfoWord1 = 43;
inline constexpr uint32_t kPropRegister8 = 44;   // live read of register 8
inline constexpr uint32_t kPropRegister16 = 45;  // live read of register 16
inline constexpr uint32_t kPropRegister2 = 46;
inline constexpr uint32_t kPropScaleFactor = 47;    // sensor area = image size x factor
inline constexpr uint32_t kPropLastReadBytes = 48;  // u32, bytes of the last driver read

// Raw register pass-through: id = register number.
inline constexpr uint32_t kPropRawFirst = 256;
inline constexpr uint32_t kPropRawLast = 511;

// Output pixel formats (property 13).
inline constexpr uint16_t kFormatBgr24 = 2;     // 3 bytes per pixel, bottom row first
inline constexpr uint16_t kFormatRgb565 = 4;    // 2 bytes per pixel, bottom row first
inline constexpr uint16_t kFormatGrey8 = 6;     // 1 byte per pixel, bottom row first
inline constexpr uint16_t kFormatYuyv = 7;      // work buffer handed out unconverted
inline constexpr uint16_t kFormatRaw = 11;      // driver bytes, caller's size
inline constexpr uint16_t kFormatRawFull = 19;  // driver bytes, read size
