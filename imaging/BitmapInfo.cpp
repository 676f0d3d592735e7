// Bitmap headers (see BitmapInfo.h).
#include "imaging/BitmapInfo.h"

#include <algorithm>
#include <limits>

#include "platform/system/LittleEndian.h"

BitmapInfoHeader FrameBitmapInfo(int32_t xPelsPerMeter, int32_t yPelsPerMeter) {
    BitmapInfoHeader info;
    info.biWidth = kFrameWidth;
    info.biHeight = kFrameHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = 0;
    info.biSizeImage = static_cast<uint32_t>(kFrameBytes);
    info.biXPelsPerMeter = xPelsPerMeter;
    info.biYPelsPerMeter = yPelsPerMeter;
    return info;
}

int32_t PelsPerMeterForDpi(int32_t dpi) {
    // 39.4 = 394 / 10; C++ integer division truncates toward zero, as the conversion of the
    // floating product would.
    const int64_t perMetre = int64_t{dpi} * 394 / 10;
    return static_cast<int32_t>(std::clamp<int64_t>(perMetre, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

size_t DibStride(int32_t width) {
    if (width <= 0) {
        return 0;
    }
    return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
}

void WriteBitmapInfoHeader(const BitmapInfoHeader& info,
                           std::span<uint8_t, kBitmapInfoHeaderBytes> out) {
    PutLe32(out, 0, info.biSize);
    PutLe32(out, 4, static_cast<uint32_t>(info.biWidth));
    PutLe32(out, 8, static_cast<uint32_t>(info.biHeight));
    PutLe16(out, 12, info.biPlanes);
    PutLe16(out, 14, info.biBitCount);
    PutLe32(out, 16, info.biCompression);
    PutLe32(out, 20, info.biSizeImage);
    PutLe32(out, 24, static_cast<uint32_t>(info.biXPelsPerMeter));
    PutLe32(out, 28, static_cast<uint32_t>(info.biYPelsPerMeter));
    PutLe32(out, 32, info.biClrUsed);
    PutLe32(out, 36, info.biClrImportant);
}
