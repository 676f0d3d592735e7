// The pixel packers and row writers of the four output modes, chosen when a decoder is
// created.
#pragma once

#include "decoder/FrameDecoderState.h"

namespace decoder {

struct ModeRoutines {
    int bitsPerPixel;
    PixelPacker pixelPacker;
    RowWriter rowWriter;
};

// The routines of output mode 1-4; false for any other mode.
bool RoutinesForMode(int mode, ModeRoutines& routines);

// The portable packers, exposed so tests can hold the vector ones against them.
void PackYuyvPortable(const uint8_t* macroblock, uint8_t* destination, ptrdiff_t lineStep);
void PackUyvyPortable(const uint8_t* macroblock, uint8_t* destination, ptrdiff_t lineStep);
#if defined(__SSE2__)
void PackYuyvSse2(const uint8_t* macroblock, uint8_t* destination, ptrdiff_t lineStep);
#endif

}  // namespace decoder
