// Pixel memory of a device-independent bitmap: the picture the camera layer converts frames into
// and the preview window paints from.
//
// Only the uncompressed 24-bit layout is supported: 3 bytes per pixel in the order B, G, R,
// every row padded to a multiple of 4 bytes, bottom row first when biHeight is positive. The
// memory is allocated once by Create() and stays at the same address until Destroy() or the
// next Create(), so callers may keep Bits() and let the camera layer write into it directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

// The header of a device-independent bitmap, field for field as it is stored in a bitmap file
// after the file header (40 bytes, little-endian). Write it out with WriteBitmapInfoHeader, never
// by copying the struct.
struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;  // positive: bottom row first
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;  // 0: uncompressed
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};

inline constexpr int32_t kFrameWidth = 640;
inline constexpr int32_t kFrameHeight = 480;
inline constexpr size_t kFrameStride = 1920;  // 640 pixels of 3 bytes, already a multiple of 4
inline constexpr size_t kFrameBytes = 921600;
inline constexpr size_t kBitmapInfoHeaderBytes = 40;

// The header of a camera frame bitmap: 640 x 480, bottom row first, 24 bits, 921600 bytes, with
// the given resolution (0 when unknown).
BitmapInfoHeader FrameBitmapInfo(int32_t xPelsPerMeter = 0, int32_t yPelsPerMeter = 0);

// Dots per inch to pixels per metre as bitmap headers store them: dpi x 39.4, truncated toward
// zero, computed exactly in integers and saturated to the 32-bit range.
int32_t PelsPerMeterForDpi(int32_t dpi);

// Bytes of one row of a 24-bit bitmap `width` pixels wide, padded to 4 bytes; 0 if width <= 0.
size_t DibStride(int32_t width);

// The 40 header bytes, little-endian, as a bitmap file stores them.
void WriteBitmapInfoHeader(const BitmapInfoHeader& info,
                           std::span<uint8_t, kBitmapInfoHeaderBytes> out);

class DibSection {
  public:
    DibSection() = default;
    ~DibSection() = default;
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    // Releases any previous memory, then allocates zeroed pixel memory for `info`. Refuses
    // (returns false, holds nothing) anything but an uncompressed 24-bit single-plane bitmap of
    // sane size (at most 16384 x 16384). Info() afterwards is `info` with biSize 40 and
    // biSizeImage set to the real size of the pixel memory.
    bool Create(const BitmapInfoHeader& info);
    void Destroy();

    uint8_t* Bits() { return m_Bits.get(); }
    const uint8_t* Bits() const { return m_Bits.get(); }
    std::span<uint8_t> Span() { return {m_Bits.get(), m_Size}; }
    std::span<const uint8_t> Span() const { return {m_Bits.get(), m_Size}; }
    bool IsValid() const { return m_Bits != nullptr; }
    const BitmapInfoHeader& Info() const { return m_Info; }
    size_t Stride() const { return DibStride(m_Info.biWidth); }

  private:
    BitmapInfoHeader m_Info{};
    std::unique_ptr<uint8_t[]> m_Bits;
    size_t m_Size = 0;
};
