// Replays the committed key-file corpus (the seeds and every input that once found a fault)
// through the reader and writer, so the sanitizer builds catch regressions.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "fuzz/KeyFileCheck.h"

TEST(KeyFileCorpus, EveryInputReadsAndWritesBackFaithfully) {
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZELVOCAM_KEYFILE_CORPUS)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        EXPECT_EQ(fuzzing::CheckKeyFile(text), "") << entry.path().filename();
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}
