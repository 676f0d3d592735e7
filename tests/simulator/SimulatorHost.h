// Test helpers that speak the driver protocol to the simulated camera directly, byte by byte,
// and decode its frames with the station's decoder into top-row-first R G B pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"
#include "platform/driver/DeviceSetting.h"
#include "platform/system/Clock.h"
#include "simulator/SimulatedCamera.h"

namespace simtest {

// Register numbers the tests name.
inline constexpr uint16_t kArgB = 4, kStreaming = 6, kCommand = 7, kCompression = 10;
inline constexpr uint16_t kToneCurve = 13, kQuantTables = 25, kArgA = 26;
inline constexpr uint16_t kImageWidth = 29, kImageHeight = 30;

inline std::vector<uint8_t> Header(uint16_t direction, uint16_t request, uint16_t value,
                                   uint16_t reg) {
    return {static_cast<uint8_t>(direction), static_cast<uint8_t>(direction >> 8),
            static_cast<uint8_t>(request),   static_cast<uint8_t>(request >> 8),
            static_cast<uint8_t>(value),     static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(reg),       static_cast<uint8_t>(reg >> 8)};
}

struct Host {
    SimulatedCamera& camera;

    bool Open() {
        std::u16string path;
        return camera.EnumerateFirstDevice(path) && camera.Open(path);
    }
    bool Write(uint16_t reg, uint16_t value) {
        uint32_t returned = 99;
        return camera.ControlRequest(IOCTL_CAMERA_REGISTER, Header(1, 0x60, value, reg), {},
                                     returned);
    }
    bool WriteBlock(uint16_t reg, std::span<const uint8_t> payload) {
        std::vector<uint8_t> in = Header(1, 0x60, 0, reg);
        in.insert(in.end(), payload.begin(), payload.end());
        uint32_t returned = 99;
        return camera.ControlRequest(IOCTL_CAMERA_REGISTER, in, {}, returned);
    }
    // The register's value, or -1 when the request fails.
    int Read(uint16_t reg) {
        uint8_t out[2] = {};
        uint32_t returned = 0;
        if (!camera.ControlRequest(IOCTL_CAMERA_REGISTER, Header(0, 0x61, 0, reg), out, returned) ||
            returned != 2) {
            return -1;
        }
        return out[0] | out[1] << 8;
    }
    // A command with its arguments, as the station sends them: arguments first.
    void Command(uint16_t code, int a = 0, int b = 0) {
        Write(kArgA, static_cast<uint16_t>(a));
        Write(kArgB, static_cast<uint16_t>(b));
        Write(kCommand, code);
    }
    std::vector<uint8_t> Frame() {
        std::vector<uint8_t> frame(640 * 480 * 3);
        uint32_t delivered = 0;
        if (!camera.ReadFrame(frame, delivered))
            return {};
        frame.resize(delivered);
        return frame;
    }
};

// A decoded picture, top row first, R G B per pixel.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* At(int x, int y) const {
        return rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
    }
    // Mean of one channel over a square of side 2 * half + 1.
    double Mean(int x, int y, int half, int channel) const {
        double sum = 0;
        for (int yy = y - half; yy <= y + half; ++yy)
            for (int xx = x - half; xx <= x + half; ++xx)
                sum += At(xx, yy)[channel];
        return sum / ((2 * half + 1) * (2 * half + 1));
    }
};

// Y0 Cb Y1 Cr pixels of the given size to a picture, through the station's converter.
inline Picture FromYuyv(std::span<const uint8_t> yuyv, int width, int height) {
    std::vector<uint8_t> bgr(static_cast<size_t>(width) * height * 3);
    ConvertYuyvToBgr24(bgr, width, height, yuyv);
    Picture p{width, height, std::vector<uint8_t>(bgr.size())};
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = bgr.data() + static_cast<size_t>(height - 1 - y) * width * 3;
        uint8_t* dst = p.rgb.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    return p;
}

// A camera JPEG frame through the station's decoder; an empty picture when it will not decode.
inline Picture DecodeJpeg(std::span<const uint8_t> frame) {
    FrameDecoder* decoder = nullptr;
    if (CreateFrameDecoder(kDecodeModeYuyv, &decoder) != 0)
        return {};
    int w = 0, h = 0;
    Picture picture;
    if (ParseFrame(decoder, frame, &w, &h) == 0 && w > 0 && h > 0) {
        std::vector<uint8_t> yuyv(static_cast<size_t>(w) * h * 2);
        if (DecodeFrame(decoder, yuyv) == 0)
            picture = FromYuyv(yuyv, w, h);
    }
    DestroyFrameDecoder(&decoder);
    return picture;
}

// A camera on the virtual clock, opened by a host and streaming unless asked not to. A still
// room unless a test asks for another: most checks compare frames or pixels.
class CameraOnClock : public ::testing::Test {
  protected:
    void Start(const char* setting, bool streaming = true) {
        std::string error;
        camera = CreateSimulatedCamera(setting, error);
        ASSERT_NE(camera, nullptr) << error;
        host = std::make_unique<Host>(Host{*camera});
        ASSERT_TRUE(host->Open());
        if (streaming)
            host->Write(kStreaming, 1);
    }
    void SetUp() override { Start("sim:still"); }
    Picture Decoded() { return DecodeJpeg(host->Frame()); }

    sys::VirtualClock clock;
    sys::ScopedClock scoped{clock};
    std::unique_ptr<SimulatedCamera> camera;
    std::unique_ptr<Host> host;
};

}  // namespace simtest
