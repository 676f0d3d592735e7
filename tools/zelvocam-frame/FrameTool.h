// zelvocam-frame, for engineers who capture frames from a camera:
//   zelvocam-frame yuyv FRAME.jpg OUT.raw   work pixels (Y0 Cb Y1 Cr), top row first
//   zelvocam-frame bmp FRAME.jpg OUT.bmp    the preview's 24-bit picture as a BMP file
//   zelvocam-frame bench FRAME.jpg N        decode + convert N times; prints ms_per_frame=X.XXX
// The picture size comes from the frame's own header. Failures give one line on the error
// stream and a non-zero exit code.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

// Runs the tool on its arguments (without the program name); returns the exit code.
int RunFrameTool(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

// A 24-bit BMP file of a picture given bottom row first, B G R, rows packed without padding.
std::vector<uint8_t> EncodeBmp24(std::span<const uint8_t> bottomUpBgr, int width, int height);
