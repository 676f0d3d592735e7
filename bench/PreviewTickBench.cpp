// How long one live-preview tick keeps the user-interface thread busy, and
// whether ticks leave memory behind.
//
// A tick is what the main dialog's timer does once the preview runs:
// ReadCameraFrame of a compressed 640 x 480 frame straight into the preview
// window's bitmap (driver read, decode, convert), then a repaint of the window.
// The driver here answers every read at once with one prepared frame, so the
// camera's own pacing is not part of the figure. The window is painted
// offscreen (QT_QPA_PLATFORM=offscreen), which draws into the same raster
// backing store as a desktop session without the final copy to the screen.
//
// Reported: median and 90th percentile per tick for the upright and the turned
// picture, the split between decode, convert and paint, the same paint done by
// a turning QPainter transform over the frame memory for comparison, and the
// resident size and heap allocation count around 10 000 ticks.
//
//   bench_preview_tick [--ticks N] [--memory-ticks N]
#include "decoder/FrameDecoder.h"
#include "decoder/PixelConvert.h"
#include "device/Camera.h"
#include "device/DriverTransport.h"
#include "station/DibSection.h"
#include "station/DisplayWindow.h"
#include "tests/support/CameraJpeg.h"

#include "capture/StationSettings.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTransform>

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Every heap allocation in the process, Qt's included, is counted: glibc lets a
// program interpose malloc and calloc and forward to its own. Sanitizer builds
// keep their allocator.
#if defined(__SANITIZE_ADDRESS__)
#define ZELVO_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define ZELVO_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef ZELVO_COUNT_ALLOCATIONS
#define ZELVO_COUNT_ALLOCATIONS 1
#endif

static std::atomic<uint64_t> g_Allocations{0};

#if ZELVO_COUNT_ALLOCATIONS
extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);

extern "C" void* malloc(size_t size) {
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
    g_Allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
#endif

namespace {

// A booking-room-like scene in the camera's own compressed form: soft gradients
// with some fine texture, so the frame compresses to a realistic size rather
// than to almost nothing.
std::vector<uint8_t> CompressedFrame() {
    return zelvo_test::MakeCameraJpeg(
        kFrameWidth, kFrameHeight,
        [](int x, int y) {
            uint32_t noise = static_cast<uint32_t>(x * 7919 + y * 104729) * 2654435761u;
            const int grain = static_cast<int>((noise >> 24) & 15) - 8;
            const int dx = x - 320, dy = y - 220;
            const bool face = dx * dx * 9 + dy * dy * 5 < 110 * 110 * 9;
            const int base = face ? 190 : 90 + y / 6;
            auto level = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
            return zelvo_test::Rgb{level(base + grain + (face ? 20 : 0)),
                                   level(base + grain - (face ? 30 : 0) + x / 16),
                                   level(base + grain - (face ? 50 : -20))};
        },
        85);
}

// A driver that answers every request at once: register reads from a sensor of
// 640 x 480 (registers 33 and 34) and zeros otherwise, reads with the prepared
// frame.
class InstantTransport : public DriverTransport {
  public:
    explicit InstantTransport(std::vector<uint8_t> frame) : m_Frame(std::move(frame)) {}
    bool EnumerateFirstDevice(std::u16string& path) override {
        path = u"/dev/zelvocam-bench";
        return true;
    }
    bool Open(const std::u16string&) override { return true; }
    bool ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                        uint32_t& returned) override {
        std::fill(out.begin(), out.end(), uint8_t{0});
        returned = static_cast<uint32_t>(out.size());
        // The 8-byte request: direction, request, value, register, each 16-bit
        // little-endian.
        if (code == IOCTL_CAMERA_REGISTER && in.size() >= 8 && out.size() >= 2 && in[0] == 0 &&
            in[1] == 0) {
            const int reg = in[6] | in[7] << 8;
            const int value = reg == 33 ? kFrameWidth : reg == 34 ? kFrameHeight : 0;
            out[0] = static_cast<uint8_t>(value);
            out[1] = static_cast<uint8_t>(value >> 8);
        }
        return true;
    }
    bool ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) override {
        const size_t n = std::min(buffer.size(), m_Frame.size());
        std::memcpy(buffer.data(), m_Frame.data(), n);
        delivered = static_cast<uint32_t>(n);
        return true;
    }
    void Close() override {}

  private:
    std::vector<uint8_t> m_Frame;
};

using Clock = std::chrono::steady_clock;

struct Figures {
    double median = 0;
    double p90 = 0;
};

// Runs `work` n times and reports the median and 90th percentile in
// milliseconds.
Figures Measure(int n, const std::function<void()>& work) {
    std::vector<double> ms(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        const auto start = Clock::now();
        work();
        ms[static_cast<size_t>(i)] =
            std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10]};
}

void Report(const char* what, const Figures& f) {
    std::printf("  %-44s median %6.3f ms   p90 %6.3f ms\n", what, f.median, f.p90);
}

long ResidentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The same picture drawn the plain Qt way: the frame memory wrapped as an image
// once, drawn through a transform that flips the bottom-up rows and turns and
// scales the crop rectangle.
class TransformPreview : public QWidget {
  public:
    TransformPreview(const uint8_t* bits, const int32_t* rotation, const StationSettings* settings)
        : m_Frame(bits, kFrameWidth, kFrameHeight, static_cast<qsizetype>(kFrameStride),
                  QImage::Format_BGR888),
          m_Rotation(rotation),
          m_Settings(settings) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const StationSettings& s = *m_Settings;
        const bool turned = *m_Rotation != 0;
        // The source rectangle in picture coordinates, then in the image's
        // (upside-down) rows.
        const double x0 = turned ? s.m_CropOffsetY : s.m_CropOffsetX;
        const double y0 = turned ? s.m_CropOffsetX : s.m_CropOffsetY;
        const double w = turned ? s.m_CropHeight : s.m_CropWidth;
        const double h = turned ? s.m_CropWidth : s.m_CropHeight;
        const QRectF source(x0, kFrameHeight - y0 - h, w, h);
        // Picture row ys sits at image row 480 - ys.
        QTransform t;
        if (!turned) {
            t = QTransform(1, 0, 0, -1, -x0, kFrameHeight - y0);
        } else {
            t = QTransform(0, 600.0 / w, 480.0 / h, 0, 480 - (kFrameHeight - y0) * 480.0 / h,
                           -x0 * 600.0 / w);
        }
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setTransform(t);
        painter.drawImage(source, m_Frame, source);
    }

  private:
    QImage m_Frame;
    const int32_t* m_Rotation;
    const StationSettings* m_Settings;
};

int DifferingPixels(QWidget& a, QWidget& b) {
    const QImage first = a.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage second = b.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int y = 0; y < std::min(first.height(), second.height()); ++y) {
        for (int x = 0; x < std::min(first.width(), second.width()); ++x) {
            differing += first.pixel(x, y) != second.pixel(x, y);
        }
    }
    return differing;
}

struct Setup {
    const char* name;
    int32_t rotation;
    int32_t cropWidth, cropHeight, cropOffsetX, cropOffsetY;
};

// The two everyday cases: the whole upright frame, and a turned 480 x 600 crop
// shown one to one.
constexpr Setup kSetups[] = {
    {"upright 640 x 480", 0, 640, 480, 0, 0},
    {"turned 90, 480 x 600 crop", 1, 480, 600, 0, 20},
};

void Apply(const Setup& setup, StationSettings& settings, CDisplayWindow& window, QWidget& other,
           int32_t& otherRotation) {
    settings.m_CropWidth = setup.cropWidth;
    settings.m_CropHeight = setup.cropHeight;
    settings.m_CropOffsetX = setup.cropOffsetX;
    settings.m_CropOffsetY = setup.cropOffsetY;
    window.m_Rotation = setup.rotation;
    otherRotation = setup.rotation;
    const QSize size =
        setup.rotation == 0 ? QSize(setup.cropWidth, setup.cropHeight) : QSize(480, 600);
    window.resize(size);
    other.resize(size);
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    int ticks = 2000;
    int memoryTicks = 10000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--ticks") {
            ticks = std::max(1, std::atoi(argv[i + 1]));
        } else if (flag == "--memory-ticks") {
            memoryTicks = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    const std::vector<uint8_t> frame = CompressedFrame();
    InstantTransport transport(frame);
    InstallDriverTransport(&transport);
    // The stream as the station programs it for the preview: 640 x 480 image and
    // sensor area, 24-bit colour, host decoding, quality 75, streaming on.
    constexpr std::pair<uint32_t, uint32_t> kConfigureStream[] = {
        {kPropImageWidth, 640}, {kPropImageHeight, 480}, {kPropAreaWidth, 640},
        {kPropAreaHeight, 480}, {kPropRegister31, 0},    {kPropRegister32, 0},
        {kPropOutputFormat, 2}, {kPropHostDecoding, 1},  {kPropQuality, 75},
        {kPropStreaming, 1}};
    if (OpenCamera() != kCameraOk) {
        std::fprintf(stderr, "the camera layer did not open the bench camera\n");
        return 1;
    }
    for (const auto& [property, value] : kConfigureStream) {
        if (const int result = SetCameraProperty(property, value); result != kCameraOk) {
            std::fprintf(stderr, "property %u = %u refused (%d)\n", property, value, result);
            return 1;
        }
    }

    int32_t running = 1;
    StationSettings settings;
    QWidget dialog;
    dialog.resize(800, 700);
    CDisplayWindow window(&dialog, PreviewView{&running, &settings});
    if (!window.CreateDisplayBitmap()) {
        return 1;
    }
    int32_t otherRotation = 0;
    TransformPreview other(window.m_pBits, &otherRotation, &settings);
    other.setParent(&dialog);
    dialog.show();

    const std::span<uint8_t> bits(window.m_pBits, kFrameBytes);
    uint32_t returned = 0;
    auto readFrame = [&] { ReadCameraFrame(bits, &returned); };
    if (const int result = ReadCameraFrame(bits, &returned);
        result != kCameraOk || returned != kFrameBytes) {
        std::fprintf(stderr, "the bench frame did not come through (result %d, %u bytes)\n", result,
                     returned);
        return 1;
    }

    // Decode and convert on their own, with the decoder and buffers a camera
    // would hold.
    FrameDecoder* decoder = nullptr;
    CreateFrameDecoder(1, &decoder);
    std::vector<uint8_t> work(size_t{kFrameWidth} * kFrameHeight * 2);
    std::vector<uint8_t> bgr(kFrameBytes);
    int width = 0, height = 0;
    auto decode = [&] {
        ParseFrame(decoder, frame, &width, &height);
        DecodeFrame(decoder, work);
    };
    auto convert = [&] { ConvertYuyvToBgr24(bgr, kFrameWidth, kFrameHeight, work); };

    std::printf(
        "preview tick, offscreen, %d ticks per figure, compressed frame "
        "%zu bytes\n",
        ticks, frame.size());
    Report("decode (parse + decode to 2-byte pixels)", Measure(ticks, decode));
    Report("convert (to B G R, bottom row first)", Measure(ticks, convert));
    Report("ReadCameraFrame (read + decode + convert)", Measure(ticks, readFrame));
    for (const Setup& setup : kSetups) {
        std::printf("%s\n", setup.name);
        Apply(setup, settings, window, other, otherRotation);
        window.show();
        other.hide();
        Report("paint", Measure(ticks, [&] { window.repaint(); }));
        running = 0;
        Report("repaint, preview stopped (Qt alone)", Measure(ticks, [&] { window.repaint(); }));
        running = 1;
        Report("tick (ReadCameraFrame + paint)", Measure(ticks, [&] {
                   readFrame();
                   window.repaint();
               }));
        window.hide();
        other.show();
        Report("paint by QPainter transform (not used)", Measure(ticks, [&] { other.repaint(); }));
        std::printf("  pixels differing between the two ways: %d\n",
                    DifferingPixels(window, other));
        other.hide();
    }

    // Memory: resident size and allocations around many ticks, after a warm-up
    // that builds everything a tick reuses.
    Apply(kSetups[1], settings, window, other, otherRotation);
    window.show();
    for (int i = 0; i < 100; ++i) {
        readFrame();
        window.repaint();
    }
    const long before = ResidentKiB();
    const uint64_t allocationsBefore = g_Allocations.load();
    std::printf("resident KiB every %d ticks:", std::max(1, memoryTicks / 4));
    for (int i = 0; i < memoryTicks; ++i) {
        readFrame();
        window.repaint();
        if ((i + 1) % std::max(1, memoryTicks / 4) == 0) {
            std::printf(" %ld", ResidentKiB());
        }
    }
    std::printf("\n");
    const uint64_t allocations = g_Allocations.load() - allocationsBefore;
    std::printf(
        "memory over %d ticks (turned): resident %ld KiB before, %ld KiB after; %llu "
        "heap allocations (%.3f per tick)\n",
        memoryTicks, before, ResidentKiB(), static_cast<unsigned long long>(allocations),
        static_cast<double>(allocations) / memoryTicks);
    // Where a tick's allocations come from: the camera layer's read, and Qt's repaint
    // bookkeeping (dirty region, backing-store flush, painter) with and without our painting.
    auto allocationsPer = [](int n, const std::function<void()>& action) {
        const uint64_t start = g_Allocations.load();
        for (int i = 0; i < n; ++i) {
            action();
        }
        return static_cast<double>(g_Allocations.load() - start) / n;
    };
    const double perRead = allocationsPer(1000, readFrame);
    const double perPaint = allocationsPer(1000, [&] { window.repaint(); });
    running = 0;
    const double perStoppedRepaint = allocationsPer(1000, [&] { window.repaint(); });
    running = 1;
    std::printf(
        "  heap allocations per call: ReadCameraFrame %.3f, paint %.3f, repaint that "
        "draws nothing (preview stopped) %.3f\n",
        perRead, perPaint, perStoppedRepaint);
    if (!ZELVO_COUNT_ALLOCATIONS) {
        std::printf("  (heap allocations are not counted in a sanitizer build)\n");
    }

    DestroyFrameDecoder(&decoder);
    CloseCamera();
    InstallDriverTransport(nullptr);
    return 0;
}
