// libFuzzer target: arbitrary bytes read as a settings key file, written back and read again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/KeyFileCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string broken = fuzzing::CheckKeyFile({reinterpret_cast<const char*>(data), size});
    if (!broken.empty()) {
        std::fprintf(stderr, "key file: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
