// The settings store on a real disk: a save at close (or host hide), a first start that writes
// every default back, and opening a key file of many values. Every write is flushed to the disk
// as the program does it, so the numbers include the file system's flushes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <string>

#include "capture/StationSettings.h"
#include "platform/registry/RegistryKey.h"

namespace {

// A private configuration folder for the run, on the same disk as the build.
class ScratchConfig {
  public:
    ScratchConfig() {
        std::string pattern = (std::filesystem::current_path() / "settings-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            root_ = pattern;
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    }
    ~ScratchConfig() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    std::filesystem::path KeyFile() const {
        return root_ / "zelvocam/registry/Software/ZelvoCam USB.reg";
    }

  private:
    std::filesystem::path root_;
};

StationSettings Choices(int32_t g) {
    StationSettings s;
    s.m_Interface = 1;
    s.m_ZoomPosition = g;
    s.m_CropWidth = 624;
    s.m_CropHeight = 468;
    s.m_PassWord = "None";
    s.m_Path = "/home/ops/";
    return s;
}

void BM_SaveSettings(benchmark::State& state) {
    ScratchConfig scratch;
    RegistryKey key(kStationSettingsKey);
    int32_t g = 0;
    for (auto _ : state) {
        if (!SaveSettings(Choices(++g), key))
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_SaveSettings)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A new user's first start: 67 defaults written back.
void BM_LoadSettingsFirstStart(benchmark::State& state) {
    ScratchConfig scratch;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(scratch.KeyFile());
        state.ResumeTiming();
        StationSettings s;
        RegistryKey key(kStationSettingsKey);
        LoadSettings(s, key, {1920, 1080});
        benchmark::DoNotOptimize(s.m_CropWidth);
    }
}
BENCHMARK(BM_LoadSettingsFirstStart)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Opening a key file of range(0) distinct values (about 30 bytes each).
void BM_OpenKeyOfManyValues(benchmark::State& state) {
    ScratchConfig scratch;
    std::filesystem::create_directories(scratch.KeyFile().parent_path());
    {
        std::ofstream out(scratch.KeyFile(), std::ios::binary);
        out << "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\ZelvoCam USB]\n";
        for (int64_t i = 0; i < state.range(0); ++i)
            out << "\"Value " << i << "\"=dword:" << std::hex << std::setw(8) << std::setfill('0')
                << 0x1000 + i << std::dec << "\n";
    }
    for (auto _ : state) {
        RegistryKey key(kStationSettingsKey);
        if (key.Values().size() != static_cast<size_t>(state.range(0)))
            state.SkipWithError("not every value was read");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OpenKeyOfManyValues)
    ->RangeMultiplier(4)
    ->Range(1 << 8, 1 << 14)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
