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

#include "imaging/BitmapInfo.h"

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
