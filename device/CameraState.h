// The camera state block: everything the device layer knows about the one open camera.
//
// One per process, owned by the device layer from OpenCamera to CloseCamera and cleared at
// every open, so settings never outlive an open. The stored settings are what a property get
// returns; registers the camera changes by itself are seen only through the live-read ids.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "device/ControlRequest.h"

struct FrameDecoder;

// The 33 stored property words, in the camera's order. Defaults live in the property table
// (device/CameraProperties.cpp); a zeroed record is the state before OpenCamera fills them.
struct CameraSettings {
    uint16_t modeWord = 0;         // id 1; while non-zero, property 42 is refused
    uint16_t register31 = 0;       // id 2
    uint16_t register32 = 0;       // id 3
    uint16_t toneKnee = 0;         // id 4, 0-255
    uint16_t register48 = 0;       // id 5
    uint16_t argB = 0;             // id 6, stored copy; gets read register 4
    uint16_t register5 = 0;        // id 7
    uint16_t streaming = 0;        // id 8
    uint16_t hostDecoding = 0;     // id 9; 1: frames arrive compressed
    uint16_t quality = 0;          // id 10, 0-100
    uint16_t command = 0;          // id 11
    uint16_t register9 = 0;        // id 12
    uint16_t outputFormat = 0;     // id 13
    uint16_t toneSelector = 0;     // id 14, 0-255
    uint16_t register15 = 0;       // id 17
    uint16_t register17 = 0;       // id 18
    uint16_t register18 = 0;       // id 19
    uint16_t register19 = 0;       // id 23
    uint16_t register20 = 0;       // id 24
    uint16_t argA = 0;             // id 29, stored copy; gets read register 26
    uint16_t sizeMarker = 0;       // id 30: 1 after open, 255 once any of ids 31-34 was set
    uint16_t imageWidth = 0;       // id 31
    uint16_t imageHeight = 0;      // id 32
    uint16_t areaWidth = 0;        // id 33, sensor area read out
    uint16_t areaHeight = 0;       // id 34
    uint16_t largestPreset = 0;    // id 35, key of the largest preset the sensor holds
    uint16_t sensorMaxWidth = 0;   // id 36, register 33 as read at open
    uint16_t sensorMaxHeight = 0;  // id 37, register 34 as read at open
    uint16_t register35 = 0;       // id 38
    uint16_t register36 = 0;       // id 41
    uint16_t register37 = 0;       // id 42, stored copy; gets read register 37
    uint16_t register2 = 0;        // id 46
    uint16_t scaleFactor = 0;      // id 47: sensor area = image size x factor
};

// A buffer the layer owns; empty (null, size 0) until allocated.
struct FrameBuffer {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;

    // Zero-filled; false (and empty) when the memory cannot be had.
    bool Allocate(size_t bytes);
    void Free() {
        data.reset();
        size = 0;
    }
    std::span<uint8_t> Span() const { return {data.get(), size}; }
};

struct CameraState {
    uint16_t settingsSelector = 0;  // always 0: there is one settings record
    uint16_t property25 = 0;        // host copy of register 23
    CameraSettings settings;
    bool decoderPresent = false;
    FrameDecoder* decoder = nullptr;  // owned; created by OpenCamera, destroyed by CloseCamera
    // Frame sizes, computed when streaming is switched on (and when the height changes while
    // streaming). 64-bit so that no sensor size the camera may report can wrap them.
    uint64_t outputFrameSize = 0;  // bytes handed back for converted formats
    uint64_t workSize = 0;         // width x height x 2
    uint64_t readSize = 0;         // bytes asked of each driver read
    uint32_t lastReadBytes = 0;    // what the last driver read delivered (property 48)
    bool lastFrameWhole = false;   // the last frame read held the whole picture
    FrameBuffer workBuffer;        // decoded frame, 2 bytes per pixel, Y0 Cb Y1 Cr
    FrameBuffer frameBuffer;       // compressed frame as the driver delivered it
    DeviceInfoReply info{};        // fetched once at open, never refreshed
};

// The state block as it stands (tests and diagnostics).
const CameraState& CurrentCameraState();
// Write access for tests that need a state the property setter never produces (output
// formats 7 and 19, which only a camera of another build selects).
CameraState& CameraStateForTests();
