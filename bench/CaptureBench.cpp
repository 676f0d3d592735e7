// The capture chain on a 640 x 480 frame, step for step as the capture workflow runs it:
//
//   BM_CaptureProcessing   the capture pipeline on the frame (the flash repair of a flash
//                          frame, sharpening, turn and crop), the picture record, the kept
//                          pixels and the first correction pass. Must stay within 20 ms.
//   BM_CorrectionRerender  one slider move in review: the corrections applied from the kept
//                          pixels to the whole picture, and the picture painted into a window-
//                          sized surface as the preview window does. Must stay within 2 ms.
//
// Arguments: flash (0, 1), rotation (0, 1), sharpness (0 to 3); the crop is the whole frame,
// the largest picture there is.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <vector>

#include "capture/CaptureProcessing.h"
#include "device/FrameGeometry.h"
#include "imaging/ImageRecord.h"

namespace {

// A frame with detail everywhere, so no step meets a flat picture; with the flash, its odd
// rows are the lit field.
std::vector<uint8_t> TestFrame(bool flash) {
    std::vector<uint8_t> bits(kFrameBytes);
    for (size_t i = 0; i < bits.size(); ++i) {
        const uint8_t detail = static_cast<uint8_t>((i * 2654435761u) >> 13);
        const bool lit = (i / kFrameStride) % 2 == 1;
        bits[i] = flash && !lit ? detail / 4 : detail;
    }
    return bits;
}

bool Process(const std::vector<uint8_t>& frame, bool flash, int rotation, int sharpness,
             ImageRecord& image, CapturePixels& kept) {
    const frame::Size shown = frame::Shown(rotation);
    const CaptureCrop crop = PlanCaptureCrop(rotation, shown.width, shown.height);
    const auto picture = ProcessCaptureFrame(frame, {flash, sharpness, crop});
    if (!picture || !image.FromPicture(picture->Pixels()))
        return false;
    kept = KeepPixels(picture->Pixels());
    return CorrectPixels(kept, ColourCorrection(0, 0), image.Pixels());
}

void BM_CaptureProcessing(benchmark::State& state) {
    const std::vector<uint8_t> frame = TestFrame(state.range(0) != 0);
    ImageRecord image;
    CapturePixels kept;
    for (auto _ : state) {
        if (!Process(frame, state.range(0) != 0, static_cast<int>(state.range(1)),
                     static_cast<int>(state.range(2)), image, kept)) {
            state.SkipWithError("processing failed");
            break;
        }
        benchmark::DoNotOptimize(kept.colours.data());
    }
}
BENCHMARK(BM_CaptureProcessing)
    ->ArgNames({"flash", "rotation", "sharpness"})
    ->Args({0, 0, 0})
    ->Args({0, 0, 3})
    ->Args({0, 1, 3})
    ->Args({1, 0, 3})
    ->Args({1, 1, 3})
    ->Unit(benchmark::kMillisecond);

void BM_CorrectionRerender(benchmark::State& state) {
    const std::vector<uint8_t> frame = TestFrame(false);
    ImageRecord image;
    CapturePixels kept;
    if (!Process(frame, false, 0, 0, image, kept)) {
        state.SkipWithError("processing failed");
        return;
    }
    const bool paint = state.range(0) != 0;
    QImage window(640, 480, QImage::Format_RGB32);
    int red = -50;
    for (auto _ : state) {
        CorrectPixels(kept, ColourCorrection(red, -red), image.Pixels());
        if (paint) {
            QPainter painter(&window);
            image.Paint(painter, QRect(0, 0, image.Width(), image.Height()));
        }
        red = red == 50 ? -50 : red + 1;
        benchmark::DoNotOptimize(image.RowBytes(0).data());
    }
}
BENCHMARK(BM_CorrectionRerender)->ArgName("paint")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
