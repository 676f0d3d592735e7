// Entry point of zelvocam-frame; the work is in FrameTool.cpp.
#include <iostream>
#include <string>
#include <vector>

#include "platform/system/ProgramInfo.h"
#include "tools/zelvocam-frame/FrameTool.h"

namespace {

constexpr std::string_view kHelp =
    "usage: zelvocam-frame yuyv FRAME.jpg OUT.raw | bmp FRAME.jpg OUT.bmp | bench FRAME.jpg N\n"
    "Decodes a frame captured from a ZelvoCam USB camera.\n"
    "\n"
    "  yuyv   write the frame's 2-byte Y0 Cb Y1 Cr pixels, top row first\n"
    "  bmp    write the frame through the full picture path as a 24-bit BMP file\n"
    "  bench  decode and convert the frame N times; print ms_per_frame=X.XXX\n"
    "\n"
    "Exit codes: 0 done, 1 the frame cannot be read, decoded or written,\n"
    "2 bad command line. See zelvocam-frame(1).\n";

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> answered =
            AnswerProgramInfo(argc, argv, "zelvocam-frame", kHelp, std::cout))
        return *answered;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return RunFrameTool(arguments, std::cout, std::cerr);
}
