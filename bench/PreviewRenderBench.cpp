// The live preview's pixel pass alone (device/PreviewRender.h): a whole 640 x 480 frame, bottom
// row first in B G R, into 32-bit pixels as shown, once per rotation:
//
//   BM_RenderPreview/rotation:0   upright, 640 x 480 one to one
//   BM_RenderPreview/rotation:1   turned clockwise, 480 x 640 one to one
//   BM_RenderPreview/rotation:2   turned anticlockwise, 480 x 640 one to one
//
// The time per iteration is the time per frame; a preview tick at 30 frames a second has 33 ms.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "device/PreviewRender.h"

namespace {

constexpr size_t kStride = size_t{frame::kWidth} * 3;

void BM_RenderPreview(benchmark::State& state) {
    const auto rotation = static_cast<int32_t>(state.range(0));
    const frame::Size shown = frame::Shown(rotation);
    PreviewLayout layout;
    BuildPreviewLayout({rotation, shown.width, shown.height, 0, 0, shown}, layout);
    std::vector<uint8_t> bits(kStride * frame::kHeight);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
    std::vector<uint32_t> out(static_cast<size_t>(layout.width) * layout.height);
    const PixelRows rows{out, static_cast<size_t>(layout.width)};
    for (auto _ : state) {
        if (!RenderPreview(layout, {bits, kStride}, rows)) {
            state.SkipWithError("nothing rendered");
            break;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}
BENCHMARK(BM_RenderPreview)->ArgName("rotation")->DenseRange(0, 2);

}  // namespace

BENCHMARK_MAIN();
