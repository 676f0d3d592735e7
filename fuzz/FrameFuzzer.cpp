// libFuzzer target: arbitrary bytes through the frame parser, decoder and converters.
#include <cstddef>
#include <cstdint>

#include "fuzz/FramePipeline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::RunFramePipeline({data, size});
    return 0;
}
