// Work-pixel to output-format converters (work in progress: they write nothing yet).
#include "decoder/PixelConvert.h"

void ConvertYuyvToBgr24(std::span<uint8_t>, int, int, std::span<const uint8_t>) {}
void ConvertYuyvToRgb565(std::span<uint8_t>, int, int, std::span<const uint8_t>) {}
void ConvertYuyvToGrey8(std::span<uint8_t>, int, int, std::span<const uint8_t>) {}
