// The emulated UVC camera's stream format: pixel format, frame size and frame rate.
//
// Answers the format requests (VIDIOC_ENUM_FMT, VIDIOC_ENUM_FRAMESIZES,
// VIDIOC_ENUM_FRAMEINTERVALS, VIDIOC_G/S/TRY_FMT, VIDIOC_G/S_PARM) of the capture node for one
// profile as uvcvideo does: an unknown pixel format becomes the camera's first, a size the
// nearest offered (the least area the two rectangles do not share), a rate the one whose frame
// interval is nearest; a new size keeps the rate if it offers it.
#pragma once

#include <cstdint>
#include <cstring>

#include "simulator/EmulatedUvcProfiles.h"

namespace sim {

// Copies a name into a fixed text field of a request's answer: cut to fit, zero-filled.
template <size_t N>
void CopyText(uint8_t (&to)[N], const char* from) {
    std::memset(to, 0, N);
    std::strncpy(reinterpret_cast<char*>(to), from, N - 1);
}

class UvcFormats {
  public:
    explicit UvcFormats(const UvcProfile& profile) : profile_(profile) { Reset(); }

    // True for the requests this class answers.
    static bool IsFormatRequest(unsigned long request);
    // Answers a format request: 0, or the errno value of the failure. VIDIOC_S_FMT fails with
    // EBUSY unless `formatMayChange`, VIDIOC_S_PARM unless `rateMayChange`.
    int Ioctl(unsigned long request, void* argument, bool formatMayChange, bool rateMayChange);

    void Reset();  // the camera's first format, its first size at its fastest rate

    const UvcFormat& Format() const { return profile_.formats[format_]; }
    const UvcFrameSize& Size() const { return Format().sizes[size_]; }
    int Rate() const { return rate_; }
    // The bytes a buffer must hold for a frame (uvcvideo's largest frame of the format).
    uint32_t SizeImage() const { return uint32_t{Size().width} * Size().height * 2; }

  private:
    const UvcProfile& profile_;
    size_t format_ = 0;
    size_t size_ = 0;
    uint8_t rate_ = 30;
};

}  // namespace sim
