// The preview decodes and converts a frame every tick: once the decoder has seen the picture
// size, a frame must not allocate. Counts every allocation of this test program, so it stays
// out of sanitizer builds, whose allocators must not be mixed with ours.
#include <gtest/gtest.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELVOCAM_SANITIZED_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ZELVOCAM_SANITIZED_ALLOCATOR 1
#endif

#if !defined(ZELVOCAM_SANITIZED_ALLOCATOR)

#include <atomic>
#include <cstdlib>
#include <new>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"
#include "tests/decoder/TestFrames.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// These replace the global allocation functions, so malloc behind new and free behind delete
// match; GCC cannot see that across the replacement and warns at some optimisation levels.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

TEST(FramePath, NoAllocationPerFrame) {
    const int width = 640, height = 480;
    const auto frame = testframes::EncodeScene(testframes::Scene::kFace, width, height);
    std::vector<uint8_t> work(width * height * 2), picture(width * height * 3);
    FrameDecoder* decoder = nullptr;
    ASSERT_EQ(CreateFrameDecoder(kDecodeModeYuyv, &decoder), 0);
    auto onePreviewTick = [&] {
        int w = 0, h = 0;
        ASSERT_EQ(ParseFrame(decoder, frame, &w, &h), 0);
        ASSERT_EQ(DecodeFrame(decoder, work), 0);
        ConvertYuyvToBgr24(picture, width, height, work);
    };
    const long atStart = allocations.load();
    onePreviewTick();  // the first frame sizes the decoder's row buffer
    const long before = allocations.load();
    ASSERT_GT(before, atStart) << "allocations are not being counted";
    for (int tick = 0; tick < 3; ++tick)
        onePreviewTick();
    EXPECT_EQ(allocations.load() - before, 0);
    DestroyFrameDecoder(&decoder);
}

}  // namespace

#endif
