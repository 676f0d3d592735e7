// The simulated camera's frame production: one read renders the scene through the head's
// pipeline and encodes it, and must fit well inside the 33 ms between frames at 30 frames per
// second on the real clock. Measured on the virtual clock so that no pacing wait is counted.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/system/Clock.h"
#include "simulator/SimulatedCamera.h"

namespace {

void WriteRegister(SimulatedCamera& camera, uint16_t reg, uint16_t value) {
    const uint8_t in[8] = {1,
                           0,
                           0x60,
                           0,
                           static_cast<uint8_t>(value),
                           static_cast<uint8_t>(value >> 8),
                           static_cast<uint8_t>(reg),
                           0};
    uint32_t returned = 0;
    camera.ControlRequest(IOCTL_CAMERA_REGISTER, in, {}, returned);
}

// range(0): register 10 (16 JPEG, 0 raw); range(1): zoom position.
void BM_SimulatedFrame(benchmark::State& state) {
    sys::VirtualClock clock;
    sys::ScopedClock scoped(clock);
    SimulatedCamera camera;
    std::u16string path;
    camera.EnumerateFirstDevice(path);
    camera.Open(path);
    WriteRegister(camera, 10, static_cast<uint16_t>(state.range(0)));
    WriteRegister(camera, 26, static_cast<uint16_t>(state.range(1)));
    WriteRegister(camera, 7, 157);
    clock.AdvanceMs(3000);
    WriteRegister(camera, 6, 1);
    std::vector<uint8_t> buffer(640 * 480 * 3);
    uint32_t delivered = 0;
    for (auto _ : state) {
        if (!camera.ReadFrame(buffer, delivered))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["bytes"] = delivered;
    state.SetLabel(state.range(0) == 16 ? "jpeg" : "raw");
}
BENCHMARK(BM_SimulatedFrame)
    ->Args({16, 0})
    ->Args({16, 15000})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
