// The camera driver's wire formats: the 8-byte register request header and the 1542-byte
// device-information reply.
//
// Both are encoded and decoded byte by byte, little-endian, so the bytes on the wire are the
// same on every host. A block write is the header followed by its payload in one input block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/LittleEndian.h"

inline constexpr uint16_t kDirectionCameraToHost = 0;
inline constexpr uint16_t kDirectionHostToCamera = 1;
inline constexpr uint16_t kRequestRead = 0x61;
inline constexpr uint16_t kRequestWrite = 0x60;

inline constexpr size_t kControlRequestSize = 8;
// The station's own block writes (quantisation tables, tone curve) carry 256 bytes.
inline constexpr size_t kTableBlockSize = 256;

struct ControlRequest {
    uint16_t direction = 0;
    uint16_t request = 0;
    uint16_t value = 0;
    uint16_t index = 0;  // register number

    static ControlRequest Read(uint16_t reg) {
        return {kDirectionCameraToHost, kRequestRead, 0, reg};
    }
    static ControlRequest Write(uint16_t reg, uint16_t value) {
        return {kDirectionHostToCamera, kRequestWrite, value, reg};
    }
    static ControlRequest Block(uint16_t reg) {
        return {kDirectionHostToCamera, kRequestWrite, 0, reg};
    }

    std::array<uint8_t, kControlRequestSize> Encode() const;
    // False when fewer than 8 bytes are given.
    static bool Decode(std::span<const uint8_t> bytes, ControlRequest& out);

    bool operator==(const ControlRequest&) const = default;
};

// Header followed by payload, as the driver expects a block write.
std::vector<uint8_t> EncodeBlockWrite(uint16_t reg, std::span<const uint8_t> payload);

// DeviceInfoReply: three information words and three zero-terminated UTF-16 texts of 512
// bytes each. The station gives them no meaning; it hands them out as properties.
inline constexpr size_t kDeviceInfoReplySize = 1542;
inline constexpr size_t kInfoWord1Offset = 0;
inline constexpr size_t kInfoWord2Offset = 2;
inline constexpr size_t kInfoText1Offset = 4;
inline constexpr size_t kInfoWord3Offset = 516;
inline constexpr size_t kInfoText2Offset = 518;
inline constexpr size_t kInfoText3Offset = 1030;
inline constexpr size_t kInfoTextBytes = 512;
inline constexpr size_t kInfoTextUnits = kInfoTextBytes / 2;

using DeviceInfoReply = std::array<uint8_t, kDeviceInfoReplySize>;

// The text at `offset` up to its terminator, or all 256 units when a camera leaves it out.
std::u16string InfoText(const DeviceInfoReply& reply, size_t offset);
// Writes `text` (cut to 255 units) and its terminator at `offset`; used by fake cameras.
void PutInfoText(DeviceInfoReply& reply, size_t offset, std::u16string_view text);
