// libFuzzer target: arbitrary bytes through the host line protocol, both ends.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz/HostLinePipeline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!fuzzing::RunHostLines({data, size}))
        std::abort();
    return 0;
}
