// Replays the committed fuzz corpus (valid camera frames and every input that once found a
// fault) through the whole frame path, so the sanitizer builds catch regressions.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/FramePipeline.h"

TEST(FuzzCorpus, EveryInputRunsThroughTheFramePath) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZELVOCAM_FUZZ_CORPUS)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                         std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().filename().string());
        fuzzing::RunFramePipeline(bytes);
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
