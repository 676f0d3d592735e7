// The BMP file writer (see BmpFile.h).
#include "platform/jpeg/BmpFile.h"

#include <algorithm>

#include "platform/system/LittleEndian.h"

namespace {

constexpr size_t kHeaderBytes = 14 + 40;

size_t PaddedRow(int width) {
    return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
}

}  // namespace

size_t Bmp24FileBytes(int width, int height) {
    return kHeaderBytes + PaddedRow(width) * static_cast<size_t>(height);
}

void WriteBmp24(std::span<uint8_t> file, int width, int height, int32_t xPelsPerMeter,
                int32_t yPelsPerMeter, const std::function<std::span<const uint8_t>(int)>& row) {
    const size_t padded = PaddedRow(width);
    std::fill(file.begin(), file.end(), uint8_t{0});
    file[0] = 'B';
    file[1] = 'M';
    PutLe32(file, 2, static_cast<uint32_t>(file.size()));
    PutLe32(file, 10, kHeaderBytes);
    PutLe32(file, 14, 40);  // the information header's size
    PutLe32(file, 18, static_cast<uint32_t>(width));
    PutLe32(file, 22, static_cast<uint32_t>(height));  // positive: bottom row first
    PutLe16(file, 26, 1);                              // planes
    PutLe16(file, 28, 24);                             // bits per pixel
    PutLe32(file, 34, static_cast<uint32_t>(padded * static_cast<size_t>(height)));
    PutLe32(file, 38, static_cast<uint32_t>(xPelsPerMeter));
    PutLe32(file, 42, static_cast<uint32_t>(yPelsPerMeter));
    for (int i = 0; i < height; ++i) {
        const std::span<const uint8_t> bytes = row(i);
        std::copy(bytes.begin(), bytes.end(),
                  file.begin() + static_cast<std::ptrdiff_t>(kHeaderBytes + i * padded));
    }
}
