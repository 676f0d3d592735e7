// The device layer: one camera per process, reached through the installed DriverTransport.
//
// Plain functions over one module-level camera state, each returning a result code of
// device/CameraProperties.h (0 success, 1 not open or failed, 3 unknown property, 5 out of
// range, 7 refused while streaming, 8 buffer too small). Called only from the user-interface
// thread; nothing here locks. The camera stays on the transport it was opened on until
// CloseCamera, whatever InstallDriverTransport is given meanwhile; install while closed.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "device/CameraProperties.h"
#include "device/CameraState.h"
#include "device/DriverTransport.h"

// Longest device path the layer accepts, in UTF-16 units (without the terminator).
inline constexpr size_t kMaxDevicePathUnits = 511;

// Opens the first camera and programs it from the defaults; 0 also when it already was open.
int OpenCamera();
// Stops streaming, closes the device, frees the frame buffers and the decoder. Always 0.
int CloseCamera();
// The device path of the first camera; 1 when none is present.
int FindCameraDevice(std::u16string& path);

// One register transfer each; 1 when the camera is closed or the request fails.
int ReadRegister(uint16_t reg, uint16_t* value);
int WriteRegister(uint16_t value, uint16_t reg);

// Properties 1-48 and raw registers 256-511 (see device/CameraProperties.h).
// `returned` receives the byte (or, for wide texts, character) count.
int GetCameraProperty(uint32_t id, void* buffer, uint32_t size, uint32_t* returned = nullptr);
// A live property (the command arguments 29 and 6 among them) read as one register transfer
// whose failure is reported: 1 when the camera is closed or the transfer failed, 3 when `id` is
// not a live property. GetCameraProperty answers 0 with a zero value in both cases, which the
// station's pollers expect; this is for the reads whose failure matters.
int ReadLiveProperty(uint32_t id, uint16_t* value);
// Ids 1-48 use the low 16 bits of `value`; `length` matters only for raw ids, where a length
// above 2 needs a payload and so must go through SetCameraPropertyBlock (result 5 here).
int SetCameraProperty(uint32_t id, uint32_t value, uint32_t length = 0);
// Raw ids 256-511: a payload of up to 2 bytes is sent as a register write of its
// little-endian value, a longer one as a block write to that register.
int SetCameraPropertyBlock(uint32_t id, std::span<const uint8_t> payload);

// One frame into `buffer` in the output format of property 13 at the image size of
// properties 31 and 32. See device/CameraFrames.cpp for the formats.
int ReadCameraFrame(std::span<uint8_t> buffer, uint32_t* returned);
// Whether the last ReadCameraFrame that succeeded delivered the whole picture. A frame the
// camera cut short (the decoder ran out of data before the last row, or fewer pixels came than
// the picture holds) is still converted, its missing part filled, so the live picture goes on;
// a caller that keeps the picture asks here and reads again.
bool LastFrameWasWhole();
// Whether the open camera has vanished (unplugged), rather than failed one request or read:
// nothing but CloseCamera and a later OpenCamera brings it back. False when no camera is open.
bool CameraGone();
