// Little-endian numbers in byte buffers: the camera's requests and the bitmap headers store
// them so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

inline void PutLe16(std::span<uint8_t> out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(std::span<uint8_t> out, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint16_t GetLe16(std::span<const uint8_t> in, size_t at) {
    return static_cast<uint16_t>(in[at] | (in[at + 1] << 8));
}
