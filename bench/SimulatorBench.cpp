// The simulated camera's frame production: one read renders the scene through the head's
// pipeline and encodes it, and must fit well inside the 33 ms between frames at 30 frames per
// second on the real clock. Measured on the virtual clock so that no pacing wait is counted;
// each case runs in a live and a still room, and the renderer runs alone as well.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/system/Clock.h"
#include "simulator/FrameRenderer.h"
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

// range(0): register 10 (16 JPEG, 0 raw); range(1): zoom position; range(2): 1 for a still
// room (no breathing, blinks or sensor noise).
void BM_SimulatedFrame(benchmark::State& state) {
    sys::VirtualClock clock;
    sys::ScopedClock scoped(clock);
    SimulatedCameraOptions options;
    options.stillRoom = state.range(2) == 1;
    SimulatedCamera camera(options);
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
    state.SetLabel(std::string(state.range(0) == 16 ? "jpeg" : "raw") +
                   (state.range(2) == 1 ? " still" : " alive"));
}
BENCHMARK(BM_SimulatedFrame)
    ->Args({16, 0, 0})
    ->Args({16, 0, 1})
    ->Args({16, 15000, 0})
    ->Args({16, 15000, 1})
    ->Args({0, 0, 0})
    ->Args({0, 0, 1})
    ->Unit(benchmark::kMillisecond);

// The renderer alone, at the widest framing: range(0) 1 for a live room (breathing, blinks and
// sensor noise), 0 for a still one.
void BM_RenderFrame(benchmark::State& state) {
    sim::FrameRequest request;
    request.centreX = 40;
    request.centreY = 60;
    request.alive = state.range(0) == 1;
    sim::YccPlanes planes;
    int64_t frame = 0;
    for (auto _ : state) {
        request.sceneUs = frame++ * 33'333;
        sim::RenderFrame(request, planes);
        benchmark::DoNotOptimize(planes.y.data());
    }
    state.SetLabel(request.alive ? "alive" : "still");
}
BENCHMARK(BM_RenderFrame)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
