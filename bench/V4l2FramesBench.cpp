// The V4L2 camera's frame path per 640 x 480 frame: checking and copying a frame that is already
// in the station's form (target: at most 0.2 ms added to the read), and re-encoding one that is
// not, from a 4:2:0 JPEG with its own Huffman tables and restarts or from YUYV (target: at most
// 4 ms). The output buffer and the re-encoder are made once; the loops allocate nothing of ours.
// libjpeg still takes its per-picture working memory from malloc inside jpeg_start_decompress
// and jpeg_start_compress (counted: 9 blocks for a JPEG re-encode, 2 for a YUYV encode, none on
// the pass-through path).
//
//   bench_v4l2frames                      all cases
//   bench_v4l2frames --benchmark_filter=Reencode
#include <benchmark/benchmark.h>

#include <vector>

#include "tests/decoder/TestFrames.h"
#include "tests/v4l2/UvcFrames.h"
#include "v4l2/FrameForm.h"
#include "v4l2/FrameReencoder.h"

namespace {

const std::vector<uint8_t>& Picture() {
    static const std::vector<uint8_t> rgb =
        testframes::RenderScene(testframes::Scene::kPhotograph, 640, 480);
    return rgb;
}

void PassThrough(benchmark::State& state, const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> out(640 * 480 * 3);
    for (auto _ : state) {
        v4l2::PassThroughPlan plan;
        if (!v4l2::PlanPassThrough(frame, 640, 480, plan))
            state.SkipWithError("not in the station's form");
        benchmark::DoNotOptimize(v4l2::CopyPassThrough(frame, plan, out));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * frame.size()));
}

void BM_PassThroughBare(benchmark::State& state) {
    static const auto frame = testframes::EncodeCameraFrame(Picture(), 640, 480, 75);
    PassThrough(state, frame);
}
BENCHMARK(BM_PassThroughBare)->Unit(benchmark::kMillisecond);

void BM_PassThroughWithHuffmanTables(benchmark::State& state) {
    static const auto frame = zelvo_test::MakeUvcJpeg(Picture(), {});
    PassThrough(state, frame);
}
BENCHMARK(BM_PassThroughWithHuffmanTables)->Unit(benchmark::kMillisecond);

void BM_Reencode420OwnTablesRestarts(benchmark::State& state) {
    static const auto frame =
        zelvo_test::MakeUvcJpeg(Picture(), {.lumaRows = 2, .ownHuffman = true, .restartRows = 1});
    v4l2::FrameReencoder reencoder;
    std::vector<uint8_t> out(640 * 480 * 3);
    for (auto _ : state) {
        if (reencoder.FromJpeg(frame, out) == 0)
            state.SkipWithError("re-encode failed");
    }
}
BENCHMARK(BM_Reencode420OwnTablesRestarts)->Unit(benchmark::kMillisecond);

void BM_EncodeYuyv(benchmark::State& state) {
    std::vector<uint8_t> yuyv(640 * 480 * 2);
    const std::vector<uint8_t>& rgb = Picture();
    for (size_t p = 0; p < 640 * 480; ++p) {
        const int y = (66 * rgb[3 * p] + 129 * rgb[3 * p + 1] + 25 * rgb[3 * p + 2] + 128) / 256;
        yuyv[2 * p] = static_cast<uint8_t>(16 + y);
        yuyv[2 * p + 1] = static_cast<uint8_t>(128 + (p % 2 == 0 ? -8 : 8));
    }
    v4l2::FrameReencoder reencoder;
    std::vector<uint8_t> out(640 * 480 * 3);
    for (auto _ : state) {
        if (reencoder.FromYuyv(yuyv, out) == 0)
            state.SkipWithError("encode failed");
    }
}
BENCHMARK(BM_EncodeYuyv)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
