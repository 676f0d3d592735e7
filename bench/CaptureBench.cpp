// The capture chain on a 640 x 480 frame, step for step as the capture workflow runs it:
//
//   BM_CaptureProcessing   the frame read into the capture bitmap, to the picture record, the
//                          flash repair (flash captures), sharpening, turn and crop, the kept
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
#include "imaging/ImageRecord.h"

namespace {

// A frame with detail everywhere, so no step meets a flat picture.
std::vector<uint8_t> TestFrame() {
    std::vector<uint8_t> bits(kFrameBytes);
    for (size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
    return bits;
}

bool Process(const std::vector<uint8_t>& frame, bool flash, int rotation, int sharpness,
             ImageRecord& image, std::vector<uint32_t>& kept) {
    const CaptureCrop crop =
        PlanCaptureCrop(rotation, rotation == 0 ? 640 : 480, rotation == 0 ? 480 : 640);
    if (!image.FromBitmap(FrameBitmapInfo(3782, 3782), frame))
        return false;
    const auto rotateAndCrop = [&] {
        return (crop.turn == 0 || image.Rotate(crop.turn)) &&
               image.Crop(crop.left, crop.top, crop.width, crop.height);
    };
    const int strength = SharpenStrength(sharpness);
    if (flash) {
        const LitField field = LitFieldOf(image.GetPixel(100, 320), image.GetPixel(101, 320));
        std::vector<uint8_t> row(640 * 3);
        for (int target = 0; target < kRepairedFieldRows; ++target) {
            const int source = FlashRepairSourceRow(field, target);
            if (source >= 0) {
                image.GetRow(row, source);
                image.PutRow(row, target);
            }
        }
        if (!image.Crop(0, 0, 640, kRepairedFieldRows) || !image.Resize(640, 480) ||
            !rotateAndCrop() || (strength != 0 && !image.Sharpen(strength)))
            return false;
    } else if ((strength != 0 && !image.Sharpen(strength)) || !rotateAndCrop()) {
        return false;
    }
    const int width = image.Width();
    kept.resize(static_cast<size_t>(width) * image.Height());
    for (int r = 0; r < image.Height(); ++r)
        KeepRow(image.RowBytes(r), std::span(kept).subspan(static_cast<size_t>(r) * width, width));
    const ColourCorrection correction(0, 0);
    for (int r = 0; r < image.Height(); ++r)
        CorrectRow(std::span(kept).subspan(static_cast<size_t>(r) * width, width), correction,
                   image.RowBytes(r));
    return true;
}

void BM_CaptureProcessing(benchmark::State& state) {
    const std::vector<uint8_t> frame = TestFrame();
    ImageRecord image;
    std::vector<uint32_t> kept;
    for (auto _ : state) {
        if (!Process(frame, state.range(0) != 0, static_cast<int>(state.range(1)),
                     static_cast<int>(state.range(2)), image, kept)) {
            state.SkipWithError("processing failed");
            break;
        }
        benchmark::DoNotOptimize(kept.data());
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
    const std::vector<uint8_t> frame = TestFrame();
    ImageRecord image;
    std::vector<uint32_t> kept;
    if (!Process(frame, false, 0, 0, image, kept)) {
        state.SkipWithError("processing failed");
        return;
    }
    const bool paint = state.range(0) != 0;
    QImage window(640, 480, QImage::Format_RGB32);
    int red = -50;
    for (auto _ : state) {
        const ColourCorrection correction(red, -red);
        for (int r = 0; r < image.Height(); ++r)
            CorrectRow(std::span(kept).subspan(static_cast<size_t>(r) * 640, 640), correction,
                       image.RowBytes(r));
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
