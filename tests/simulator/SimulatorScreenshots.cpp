// Writes decoded frames of the simulated camera as PNG files, for people to look at: the scene
// at three zoom positions, the room either side, and a flash frame. Usage: simulator_screenshots
// [output folder]
//
// The frames go the station's way: the camera's JPEG frame, our decoder, our converter.
#include <QImage>

#include <cstdio>
#include <string>
#include <vector>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"
#include "platform/system/Clock.h"
#include "simulator/SimulatedCamera.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Host {
    SimulatedCamera& camera;
    void Write(uint16_t reg, uint16_t value) {
        const uint8_t in[8] = {1,
                               0,
                               0x60,
                               0,
                               static_cast<uint8_t>(value),
                               static_cast<uint8_t>(value >> 8),
                               static_cast<uint8_t>(reg),
                               static_cast<uint8_t>(reg >> 8)};
        uint32_t returned = 0;
        camera.ControlRequest(IOCTL_CAMERA_REGISTER, in, {}, returned);
    }
    void Command(uint16_t code, int a = 0, int b = 0) {
        Write(26, static_cast<uint16_t>(a));
        Write(4, static_cast<uint16_t>(b));
        Write(7, code);
    }
};

bool Save(SimulatedCamera& camera, FrameDecoder* decoder, const std::string& path) {
    std::vector<uint8_t> frame(kWidth * kHeight * 3);
    uint32_t delivered = 0;
    if (!camera.ReadFrame(frame, delivered))
        return false;
    int w = 0, h = 0;
    std::vector<uint8_t> yuyv(kWidth * kHeight * 2);
    if (ParseFrame(decoder, std::span(frame).first(delivered), &w, &h) != 0 ||
        DecodeFrame(decoder, yuyv) != 0) {
        return false;
    }
    std::vector<uint8_t> bgr(kWidth * kHeight * 3);
    ConvertYuyvToBgr24(bgr, kWidth, kHeight, yuyv);
    // Bottom row first, B G R: the bitmap layout; QImage wants top row first R G B.
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* src = bgr.data() + static_cast<size_t>(kHeight - 1 - y) * kWidth * 3;
        uint8_t* dst = image.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    std::printf("%s: %u compressed bytes\n", path.c_str(), delivered);
    return image.save(QString::fromStdString(path));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : ".";
    sys::VirtualClock clock;
    sys::ScopedClock scoped(clock);
    SimulatedCamera camera;
    std::u16string path;
    if (!camera.EnumerateFirstDevice(path) || !camera.Open(path))
        return 1;
    FrameDecoder* decoder = nullptr;
    if (CreateFrameDecoder(kDecodeModeYuyv, &decoder) != 0)
        return 1;
    Host host{camera};
    host.Write(6, 1);

    // The home view wide, the face (centred at pan 40, tilt 60) at two longer zooms, and the room
    // either side.
    struct Shot {
        const char* name;
        int pan, tilt, zoom;
    };
    bool ok = true;
    for (const Shot& shot : {Shot{"zoom-0", 0, 0, 0}, Shot{"zoom-6000", 40, 60, 6000},
                             Shot{"zoom-15000", 40, 60, 15000}, Shot{"door", -1200, 0, 0},
                             Shot{"clock-window", 1000, 200, 0}}) {
        host.Command(160, shot.pan, shot.tilt);
        host.Command(157, shot.zoom);
        clock.AdvanceMs(2500);
        ok &= Save(camera, decoder, folder + "/sim-" + shot.name + ".png");
    }
    host.Command(160, 0, 0);
    host.Command(157, 0);
    clock.AdvanceMs(2500);
    host.Command(12);
    host.Command(142, 210);
    host.Command(143, 0, 155);
    host.Command(117);  // flash level 17
    host.Command(140);
    ok &= Save(camera, decoder, folder + "/sim-flash.png");
    DestroyFrameDecoder(&decoder);
    return ok ? 0 : 1;
}
