// Pixel memory of 24-bit device-independent bitmaps (see DibSection.h).
#include "station/DibSection.h"

#include <new>

namespace {

// Larger pictures are refused, which also keeps every size below in 32 bits.
constexpr int32_t kMaxSide = 16384;

}  // namespace

bool DibSection::Create(const BitmapInfoHeader& info) {
    Destroy();
    // A negative height is a top-down bitmap; INT32_MIN has no magnitude and is refused.
    const int64_t rows = info.biHeight < 0 ? -int64_t{info.biHeight} : info.biHeight;
    if (info.biPlanes != 1 || info.biBitCount != 24 || info.biCompression != 0 ||
        info.biWidth <= 0 || info.biWidth > kMaxSide || rows <= 0 || rows > kMaxSide) {
        return false;
    }
    const size_t size = DibStride(info.biWidth) * static_cast<size_t>(rows);
    // Zeroed, so a window shown before the first frame arrives is black, not stale memory.
    m_Bits.reset(new (std::nothrow) uint8_t[size]());
    if (!m_Bits) {
        return false;
    }
    m_Size = size;
    m_Info = info;
    m_Info.biSize = static_cast<uint32_t>(kBitmapInfoHeaderBytes);
    m_Info.biSizeImage = static_cast<uint32_t>(size);
    return true;
}

void DibSection::Destroy() {
    m_Bits.reset();
    m_Size = 0;
    m_Info = BitmapInfoHeader{};
}
