// The camera's register file as every camera behind the driver interface keeps it: 512 words,
// and the numbers of the registers that mean something to the camera itself.
#pragma once

#include <array>
#include <cstdint>

namespace head {

inline constexpr int kRegisterCount = 512;
using RegisterFile = std::array<uint16_t, kRegisterCount>;

inline constexpr uint16_t kRegArgB = 4;
inline constexpr uint16_t kRegStreaming = 6;
inline constexpr uint16_t kRegCommand = 7;
inline constexpr uint16_t kRegCompression = 10;
inline constexpr uint16_t kRegToneCurve = 13;
inline constexpr uint16_t kRegQuantTables = 25;
inline constexpr uint16_t kRegArgA = 26;
inline constexpr uint16_t kRegAreaWidth = 27;
inline constexpr uint16_t kRegAreaHeight = 28;
inline constexpr uint16_t kRegImageWidth = 29;
inline constexpr uint16_t kRegImageHeight = 30;
inline constexpr uint16_t kRegSensorWidth = 33;
inline constexpr uint16_t kRegSensorHeight = 34;

inline constexpr uint16_t kSensorWidth = 640;
inline constexpr uint16_t kSensorHeight = 480;
inline constexpr uint16_t kCompressedFrames = 16;  // register 10: JPEG frames; else raw pixels

}  // namespace head
