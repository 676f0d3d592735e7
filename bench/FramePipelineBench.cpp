// The live-preview frame path beside libjpeg-turbo on the same 640 x 480 camera frames: our
// DecodeFrame (work pixels) + ConvertYuyvToBgr24, against tjDecompress2 to BGR, bottom-up,
// with the accurate integer transform. Buffers are allocated once; the loop allocates nothing.
// After the table, one line per frame gives the ratio ours / libjpeg-turbo in CPU time (target:
// <= 1.5); CPU time, because the machine may be shared.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"
#include "tests/decoder/TestFrames.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct BenchFrame {
    const char* name;
    testframes::Scene scene;
    int quality;
};

constexpr BenchFrame kFrames[] = {
    {"smooth", testframes::Scene::kGradient, 75},
    {"face", testframes::Scene::kFace, 75},
    {"edges", testframes::Scene::kEdges, 75},
    {"noisy", testframes::Scene::kNoise, 75},
};

std::vector<uint8_t> FrameFor(const BenchFrame& frame) {
    return testframes::EncodeCameraFrame(testframes::RenderScene(frame.scene, kWidth, kHeight),
                                         kWidth, kHeight, frame.quality);
}

void OurFramePath(benchmark::State& state, BenchFrame which) {
    const std::vector<uint8_t> frame = FrameFor(which);
    std::vector<uint8_t> work(kWidth * kHeight * 2);
    std::vector<uint8_t> picture(kWidth * kHeight * 3);
    FrameDecoder* decoder = nullptr;
    CreateFrameDecoder(kDecodeModeYuyv, &decoder);
    for (auto _ : state) {
        int width = 0, height = 0;
        if (ParseFrame(decoder, frame, &width, &height) != 0 || DecodeFrame(decoder, work) != 0) {
            state.SkipWithError("frame not decoded");
            break;
        }
        ConvertYuyvToBgr24(picture, kWidth, kHeight, work);
        benchmark::DoNotOptimize(picture.data());
    }
    DestroyFrameDecoder(&decoder);
}

void TurboFramePath(benchmark::State& state, BenchFrame which) {
    const std::vector<uint8_t> frame = FrameFor(which);
    std::vector<uint8_t> picture(kWidth * kHeight * 3);
    tjhandle handle = tjInitDecompress();
    for (auto _ : state) {
        if (tjDecompress2(handle, frame.data(), static_cast<unsigned long>(frame.size()),
                          picture.data(), kWidth, 0, kHeight, TJPF_BGR,
                          TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT | TJFLAG_FASTUPSAMPLE) != 0) {
            state.SkipWithError(tjGetErrorStr2(handle));
            break;
        }
        benchmark::DoNotOptimize(picture.data());
    }
    tjDestroy(handle);
}

// Prints the usual table and remembers each benchmark's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                // With --benchmark_repetitions the best repetition counts: the least disturbed.
                const std::string name = run.run_name.str();
                const double time = run.GetAdjustedCPUTime();
                const auto known = times_.find(name);
                if (known == times_.end() || time < known->second)
                    times_[name] = time;
            }
        }
    }
    void PrintRatios() const {
        for (const BenchFrame& frame : kFrames) {
            const auto ours = times_.find(std::string("ours/") + frame.name);
            const auto turbo = times_.find(std::string("libjpeg-turbo/") + frame.name);
            if (ours == times_.end() || turbo == times_.end())
                continue;
            std::printf("ratio ours/libjpeg-turbo %-7s %.3f (%.3f ms vs %.3f ms)\n", frame.name,
                        ours->second / turbo->second, ours->second, turbo->second);
        }
    }

  private:
    std::map<std::string, double> times_;  // CPU milliseconds per iteration
};

}  // namespace

int main(int argc, char** argv) {
    for (const BenchFrame& frame : kFrames) {
        benchmark::RegisterBenchmark((std::string("ours/") + frame.name).c_str(), OurFramePath,
                                     frame)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("libjpeg-turbo/") + frame.name).c_str(),
                                     TurboFramePath, frame)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
