// The live-preview frame path beside libjpeg-turbo on the same 640 x 480 camera frames: our
// DecodeFrame (work pixels) + ConvertYuyvToBgr24, against tjDecompress2 to BGR, bottom-up,
// with the accurate integer transform and fast upsampling. Buffers are allocated once; the
// loops allocate nothing. Target: ours / libjpeg-turbo <= 1.0 on every frame.
//
// The machine is usually shared, so the two are timed side by side: each round decodes a batch
// with ours, then the same batch with libjpeg-turbo, in thread CPU time, and the table gives
// the median and the best round of each with their ratios.
//
//   bench_framepipeline [--rounds N]            the side-by-side table (default 40 rounds)
//   bench_framepipeline --benchmark_filter=...  the same paths as Google Benchmark cases
//   bench_framepipeline --only ours|libjpeg-turbo --frame NAME --decodes N
//       N decodes of one frame by one side and nothing else, for instruction counts:
//       valgrind --tool=callgrind --toggle-collect='*DecodeRepeatedly*' ...
//       (instructions per frame = the total over N)
#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
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
    // Detailed frames: most blocks carry many coefficients.
    {"plasma", testframes::Scene::kPlasma, 85},
    {"granite", testframes::Scene::kGranite, 75},
    {"photograph", testframes::Scene::kPhotograph, 90},
};

std::vector<uint8_t> FrameFor(const BenchFrame& frame) {
    return testframes::EncodeCameraFrame(testframes::RenderScene(frame.scene, kWidth, kHeight),
                                         kWidth, kHeight, frame.quality);
}

// One side of the comparison, set up once: decode(frame) writes the BGR bottom-up picture.
class Path {
  public:
    virtual ~Path() = default;
    virtual bool Decode(const std::vector<uint8_t>& frame) = 0;
    virtual const char* Error() const { return "frame not decoded"; }
};

class OurPath : public Path {
  public:
    OurPath() { CreateFrameDecoder(kDecodeModeYuyv, &decoder_); }
    ~OurPath() override { DestroyFrameDecoder(&decoder_); }
    bool Decode(const std::vector<uint8_t>& frame) override {
        int width = 0, height = 0;
        if (ParseFrame(decoder_, frame, &width, &height) != 0 || DecodeFrame(decoder_, work_) != 0)
            return false;
        ConvertYuyvToBgr24(picture_, kWidth, kHeight, work_);
        benchmark::DoNotOptimize(picture_.data());
        return true;
    }

  private:
    FrameDecoder* decoder_ = nullptr;
    std::vector<uint8_t> work_ = std::vector<uint8_t>(kWidth * kHeight * 2);
    std::vector<uint8_t> picture_ = std::vector<uint8_t>(kWidth * kHeight * 3);
};

class TurboPath : public Path {
  public:
    TurboPath() : handle_(tjInitDecompress()) {}
    ~TurboPath() override { tjDestroy(handle_); }
    bool Decode(const std::vector<uint8_t>& frame) override {
        const int result =
            tjDecompress2(handle_, frame.data(), static_cast<unsigned long>(frame.size()),
                          picture_.data(), kWidth, 0, kHeight, TJPF_BGR,
                          TJFLAG_BOTTOMUP | TJFLAG_ACCURATEDCT | TJFLAG_FASTUPSAMPLE);
        benchmark::DoNotOptimize(picture_.data());
        return result == 0;
    }
    const char* Error() const override { return tjGetErrorStr2(handle_); }

  private:
    tjhandle handle_;
    std::vector<uint8_t> picture_ = std::vector<uint8_t>(kWidth * kHeight * 3);
};

void GoogleBenchmarkCase(benchmark::State& state, BenchFrame which, bool ours) {
    const std::vector<uint8_t> frame = FrameFor(which);
    OurPath ourPath;
    TurboPath turboPath;
    Path& path = ours ? static_cast<Path&>(ourPath) : turboPath;
    for (auto _ : state) {
        if (!path.Decode(frame)) {
            state.SkipWithError(path.Error());
            break;
        }
    }
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Kept out of line so an instruction counter can collect exactly the decodes.
[[gnu::noinline]] bool DecodeRepeatedly(Path& path, const std::vector<uint8_t>& frame,
                                        int decodes) {
    for (int i = 0; i < decodes; ++i) {
        if (!path.Decode(frame))
            return false;
    }
    return true;
}

// Milliseconds per decode of one batch.
double TimeBatch(Path& path, const std::vector<uint8_t>& frame, int decodes) {
    const double start = ThreadCpuSeconds();
    if (!DecodeRepeatedly(path, frame, decodes)) {
        std::fprintf(stderr, "decode failed: %s\n", path.Error());
        std::exit(1);
    }
    return (ThreadCpuSeconds() - start) * 1e3 / decodes;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void SideBySide(int rounds) {
    OurPath ours;
    TurboPath turbo;
    std::printf("%-11s %7s | %9s %9s %6s | %9s %9s %6s\n", "frame", "bytes", "ours med",
                "turbo med", "ratio", "ours min", "turbo min", "ratio");
    for (const BenchFrame& which : kFrames) {
        const std::vector<uint8_t> frame = FrameFor(which);
        // Batches of about 10 ms, so each round sees the same conditions on both sides.
        const double estimate = std::max(TimeBatch(turbo, frame, 5), 0.05);
        const int decodes = std::max(1, static_cast<int>(10.0 / estimate));
        std::vector<double> ourTimes, turboTimes;
        for (int round = 0; round < rounds; ++round) {
            // Alternate which side goes first, so neither always runs on a warmer cache.
            if (round % 2 == 0) {
                ourTimes.push_back(TimeBatch(ours, frame, decodes));
                turboTimes.push_back(TimeBatch(turbo, frame, decodes));
            } else {
                turboTimes.push_back(TimeBatch(turbo, frame, decodes));
                ourTimes.push_back(TimeBatch(ours, frame, decodes));
            }
        }
        const double ourMedian = Median(ourTimes), turboMedian = Median(turboTimes);
        const double ourBest = *std::min_element(ourTimes.begin(), ourTimes.end());
        const double turboBest = *std::min_element(turboTimes.begin(), turboTimes.end());
        std::printf("%-11s %7zu | %9.3f %9.3f %6.3f | %9.3f %9.3f %6.3f\n", which.name,
                    frame.size(), ourMedian, turboMedian, ourMedian / turboMedian, ourBest,
                    turboBest, ourBest / turboBest);
        std::fflush(stdout);
    }
}

int InstructionCountRun(std::string_view side, std::string_view name, int decodes) {
    if (side != "ours" && side != "libjpeg-turbo") {
        std::fprintf(stderr, "--only takes ours or libjpeg-turbo\n");
        return 2;
    }
    for (const BenchFrame& which : kFrames) {
        if (name != which.name)
            continue;
        const std::vector<uint8_t> frame = FrameFor(which);
        OurPath ours;
        TurboPath turbo;
        Path& path = side == "ours" ? static_cast<Path&>(ours) : turbo;
        return DecodeRepeatedly(path, frame, decodes) ? 0 : 1;
    }
    std::fprintf(stderr, "unknown frame %.*s\n", static_cast<int>(name.size()), name.data());
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 40;
    const char* only = nullptr;
    const char* frameName = nullptr;
    int decodes = 10;
    bool googleBenchmark = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--rounds" && hasValue) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--only" && hasValue) {
            only = argv[++i];
        } else if (argument == "--frame" && hasValue) {
            frameName = argv[++i];
        } else if (argument == "--decodes" && hasValue) {
            decodes = std::max(1, std::atoi(argv[++i]));
        } else if (argument.starts_with("--benchmark")) {
            googleBenchmark = true;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--rounds N] | [--benchmark_...] | --only ours|libjpeg-turbo "
                         "--frame NAME [--decodes N]\n",
                         argv[0]);
            return 2;
        }
    }
    if (only != nullptr)
        return InstructionCountRun(only, frameName != nullptr ? frameName : "", decodes);
    if (!googleBenchmark) {
        SideBySide(rounds);
        return 0;
    }
    for (const BenchFrame& frame : kFrames) {
        for (const bool ours : {true, false}) {
            benchmark::RegisterBenchmark(
                (std::string(ours ? "ours/" : "libjpeg-turbo/") + frame.name).c_str(),
                GoogleBenchmarkCase, frame, ours)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
