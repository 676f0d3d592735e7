// Camera frames that are not in the station's form, made into it with libjpeg: any baseline
// or progressive JPEG of 640 x 480 with three components (4:2:0, its own Huffman tables,
// restart intervals, extra segments), and YUYV frames. The output is the form the frame
// decoder takes (see FrameForm.h): the quantisation tables in the frame, components sampled
// 2x1, 1x1, 1x1, the standard Huffman tables left out.
//
// The libjpeg objects and the band buffers are made once, so a frame allocates nothing of
// ours; the result is written straight into the caller's buffer. The quantisation tables are
// the ones the station sent the camera (register 25's layout: 64 luminance then 64
// chrominance entries in zigzag order), so a re-encoded frame carries the quality the station
// asked for.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace v4l2 {

inline constexpr size_t kQuantEntries = 128;

class FrameReencoder {
  public:
    FrameReencoder();
    ~FrameReencoder();
    FrameReencoder(const FrameReencoder&) = delete;
    FrameReencoder& operator=(const FrameReencoder&) = delete;

    // Tables in register 25's layout; entries act as 1-255.
    void SetQuantTables(std::span<const uint16_t, kQuantEntries> tables);

    // The station form of a camera JPEG frame into `out`: its length, or 0 when the frame is
    // not a 640 x 480 colour JPEG libjpeg can read, or the result does not fit `out`.
    size_t FromJpeg(std::span<const uint8_t> jpeg, std::span<uint8_t> out);
    // The same for a YUYV frame (640 x 480, 1280 bytes a row); 0 when it is short.
    size_t FromYuyv(std::span<const uint8_t> yuyv, std::span<uint8_t> out);
    // A camera JPEG frame as 2-byte Y0 Cb Y1 Cr pixels (640 x 480 x 2 bytes into `out`).
    bool JpegToYuyv(std::span<const uint8_t> jpeg, std::span<uint8_t> out);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The tables the station sends at its default quality (75): a quarter of twice the example
// tables of the JPEG standard.
void DefaultQuantTables(std::span<uint16_t, kQuantEntries> tables);

}  // namespace v4l2
