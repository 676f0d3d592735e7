// Decoder object lifecycle and frame decoding (work in progress: every call fails for now).
#include "decoder/FrameDecoder.h"

int CreateFrameDecoder(int, FrameDecoder** decoder) {
    if (decoder != nullptr)
        *decoder = nullptr;
    return 1;
}
int DestroyFrameDecoder(FrameDecoder**) {
    return 1;
}
int ParseFrame(FrameDecoder*, std::span<const uint8_t>, int*, int*) {
    return 1;
}
int DecodeFrame(FrameDecoder*, std::span<uint8_t>) {
    return 1;
}
