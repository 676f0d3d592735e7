// Shared between the device layer's own source files; nothing outside device/ includes it.
#pragma once

#include <cstdint>
#include <span>

#include "device/CameraState.h"
#include "device/DriverTransport.h"

namespace camera_internal {

CameraState& State();
// The transport the camera was opened on, or nullptr while the layer is closed.
DriverTransport* OpenDevice();

// A block write (header + payload) to `reg`; false when the request fails.
bool SendBlock(uint16_t reg, std::span<const uint8_t> payload);

// Fills the defaults of the property table into a zeroed settings record.
void FillDefaultSettings(CameraSettings& settings);
// The initial programming sequence run by OpenCamera.
void ProgramCamera();

// Property 8: switch streaming on or off (register writes, sizes, buffers).
void SetStreaming(uint16_t on);
// The image height changed while streaming: recompute the frame sizes from it and drop both
// frame buffers so the next read allocates them at the new sizes.
void ResizeStreamingFrames();

}  // namespace camera_internal
