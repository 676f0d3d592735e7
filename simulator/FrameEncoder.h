// Encodes rendered planes as the camera's restricted baseline JPEG frame.
//
// The camera's form, byte for byte: SOI; one DQT segment with the luminance and chrominance
// tables the host sent to register 25 (8-bit entries, zigzag order); SOF0 of length 17 with
// components 1, 2, 3 sampled 2 x 1, 1 x 1, 1 x 1 on tables 0, 1, 1; SOS of length 12 with
// table bytes 00, 11, 11; the entropy-coded data with the standard Huffman tables, which the
// frame never carries; EOI. No JFIF header, no restart markers.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "simulator/FrameRenderer.h"

namespace sim {

// 128 entries in zigzag order: 64 luminance, then 64 chrominance (register 25's layout).
using QuantTables = std::array<uint16_t, 128>;

// The camera's tables until the host sends its own: a quarter of twice the T.81 Annex K
// examples, which is what the host sends at quality 75.
QuantTables DefaultQuantTables();

// False only when the JPEG library fails (it reports through longjmp-free error exits here).
bool EncodeJpegFrame(const YccPlanes& planes, const QuantTables& tables,
                     std::vector<uint8_t>& frame);

}  // namespace sim
