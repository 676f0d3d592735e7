// The camera's frame decoder: turns one compressed camera frame (restricted baseline JPEG:
// three components sampled 2x1, 1x1, 1x1, quantisation tables in the stream, the standard
// Huffman tables implied) into packed pixels in the caller's buffer.
//
// It is written for exactly the camera's stream and rejects or ignores everything else; it is
// not a general JPEG reader. Calls come in pairs: ParseFrame reads the marker segments up to
// the scan header and keeps a view of the frame, DecodeFrame decodes its entropy-coded data.
// The frame passed to ParseFrame must stay alive until the following DecodeFrame returns.
// Header state (quantisation tables, component records) persists from frame to frame and is
// only replaced by segments that carry it.
//
// Safety: the decoder never reads past the parsed frame's length and never writes past the
// output span; a picture that does not fit the output is refused without writing anything.
#pragma once

#include <cstdint>
#include <span>

struct FrameDecoder;

// Output modes chosen at creation.
inline constexpr int kDecodeModeYuyv = 1;         // Y0 Cb Y1 Cr per pixel pair, top row first
inline constexpr int kDecodeModeUyvy = 2;         // Cb Y0 Cr Y1 per pixel pair, top row first
inline constexpr int kDecodeModeBgrBottomUp = 3;  // B G R per pixel, bottom row first
inline constexpr int kDecodeModeRgbBottomUp = 4;  // R G B per pixel, bottom row first

// 0 on success; 1 when the object cannot be allocated; 2 for an unknown mode (the caller's
// reference is then left empty).
int CreateFrameDecoder(int mode, FrameDecoder** decoder);

// Frees the decoder and clears the caller's reference; 1 if the reference is already empty.
int DestroyFrameDecoder(FrameDecoder** decoder);

// Reads the frame's marker segments up to the scan header and reports the picture size from
// the decoder's header state. 0 on success, 1 for a frame that is not the camera's form
// (missing start of image, an unsupported marker, no scan header before the end).
int ParseFrame(FrameDecoder* decoder, std::span<const uint8_t> frame, int* width, int* height);

// Decodes the frame last parsed into `output`. 1 for a null decoder, and 1 without writing
// anything when the picture (bits per pixel x width x height / 8 bytes) does not fit
// `output`; otherwise 0. Truncated entropy data decodes as if padded with zero bits.
int DecodeFrame(FrameDecoder* decoder, std::span<uint8_t> output);

// Whether the last DecodeFrame ran out of entropy-coded data before its last block (the camera
// delivered less than the picture needs), or wrote nothing. The picture it wrote is still
// there, its missing part decoded from zero bits; only a caller that needs the whole picture
// asks.
bool LastDecodeRanOut(const FrameDecoder* decoder);
