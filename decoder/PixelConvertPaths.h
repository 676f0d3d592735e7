// The portable and vector paths of the 24-bit converter, exposed so tests can hold them
// against each other. Everyone else calls ConvertYuyvToBgr24.
#pragma once

#include <cstdint>
#include <span>

namespace decoder {

void ConvertYuyvToBgr24Portable(std::span<uint8_t> output, int width, int height,
                                std::span<const uint8_t> input);
#if defined(__SSE2__)
void ConvertYuyvToBgr24Sse2(std::span<uint8_t> output, int width, int height,
                            std::span<const uint8_t> input);
#endif

}  // namespace decoder
