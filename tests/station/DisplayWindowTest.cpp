// The preview window: the frame bitmap, and real pixels painted by the window offscreen from a
// frame whose pixels encode their own coordinates (what is shown where, the black around it,
// the picture against the capture, the status line); the pixel mapping alone is tested in
// tests/device/PreviewRenderTest.cpp.
#include "device/PreviewGeometry.h"
#include "station/DibSection.h"
#include "station/DisplayWindow.h"
#include "station/PreviewMouse.h"
#include "tests/support/RowName.h"

#include "capture/CaptureProcessing.h"
#include "capture/StationSettings.h"
#include "imaging/ImageRecord.h"
#include "station/Layout.h"

#include <QImage>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <ostream>
#include <string>
#include <vector>

namespace {

// ---- frame bitmap ---------------------------------------------------------------------------

TEST(DibSection, FrameBitmapIsZeroedBottomUpAndWrittenByteForByte) {
    DibSection dib;
    ASSERT_TRUE(dib.Create(FrameBitmapInfo(PelsPerMeterForDpi(96), PelsPerMeterForDpi(300))));
    ASSERT_EQ(dib.Span().size(), kFrameBytes);
    EXPECT_EQ(dib.Stride(), kFrameStride);
    EXPECT_TRUE(
        std::all_of(dib.Span().begin(), dib.Span().end(), [](uint8_t b) { return b == 0; }));

    std::array<uint8_t, kBitmapInfoHeaderBytes> bytes{};
    WriteBitmapInfoHeader(dib.Info(), bytes);
    // 40, 640, 480, 1 plane, 24 bits, uncompressed, 921600 bytes, 3782 and 11820 per metre.
    const std::array<uint8_t, kBitmapInfoHeaderBytes> expected{
        40, 0,    0,    0, 0x80, 2,    0, 0, 0xE0, 1,    0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
        0,  0x10, 0x0E, 0, 0xC6, 0x0E, 0, 0, 0x2C, 0x2E, 0, 0, 0, 0, 0,  0, 0, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
}

TEST(DibSection, RefusesWhatIsNotASane24BitBitmap) {
    struct Case {
        const char* name;
        void (*change)(BitmapInfoHeader&);
    };
    const Case cases[] = {
        {"32 bits", [](BitmapInfoHeader& i) { i.biBitCount = 32; }},
        {"compressed", [](BitmapInfoHeader& i) { i.biCompression = 1; }},
        {"two planes", [](BitmapInfoHeader& i) { i.biPlanes = 2; }},
        {"zero width", [](BitmapInfoHeader& i) { i.biWidth = 0; }},
        {"zero height", [](BitmapInfoHeader& i) { i.biHeight = 0; }},
        {"height without magnitude", [](BitmapInfoHeader& i) { i.biHeight = INT32_MIN; }},
        {"absurd width", [](BitmapInfoHeader& i) { i.biWidth = 1 << 20; }},
    };
    for (const Case& c : cases) {
        DibSection dib;
        ASSERT_TRUE(dib.Create(FrameBitmapInfo()));
        BitmapInfoHeader info = FrameBitmapInfo();
        c.change(info);
        EXPECT_FALSE(dib.Create(info)) << c.name;
        EXPECT_FALSE(dib.IsValid()) << c.name;  // a refused Create holds nothing
        EXPECT_TRUE(dib.Span().empty()) << c.name;
    }
    DibSection odd;  // rows of 3 pixels are padded from 9 to 12 bytes
    BitmapInfoHeader info = FrameBitmapInfo();
    info.biWidth = 3;
    info.biHeight = -2;
    ASSERT_TRUE(odd.Create(info));
    EXPECT_EQ(odd.Span().size(), 24u);
    EXPECT_EQ(odd.Info().biSizeImage, 24u);
}

TEST(DibSection, PelsPerMeterTruncatesTowardZeroAndSaturates) {
    EXPECT_EQ(PelsPerMeterForDpi(96), 3782);  // 3782.4
    EXPECT_EQ(PelsPerMeterForDpi(500), 19700);
    EXPECT_EQ(PelsPerMeterForDpi(-1), -39);  // -39.4
    EXPECT_EQ(PelsPerMeterForDpi(INT32_MAX), INT32_MAX);
}

// ---- painted pixels -------------------------------------------------------------------------

// A frame pixel at picture column x and row y (0 = top) holds B = x low byte, G = y low byte,
// R = 0x80 | y bit 8 << 2 | x bits 8-9; the 0x80 tells a frame pixel from black.
QRgb Encode(int x, int y) {
    return qRgb(0x80 | (y >> 8) << 2 | x >> 8, y & 0xff, x & 0xff);
}

constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kUntouched = 0xff123456;

class PaintedPreview : public testing::Test {
  protected:
    void SetUp() override {
        window = std::make_unique<CDisplayWindow>(nullptr, PreviewView{&running, &settings});
        ASSERT_TRUE(window->CreateDisplayBitmap());
        for (int y = 0; y < kFrameHeight; ++y) {
            uint8_t* row = window->m_pBits + (kFrameHeight - 1 - y) * kFrameStride;  // bottom-up
            for (int x = 0; x < kFrameWidth; ++x) {
                const QRgb pixel = Encode(x, y);
                row[3 * x] = static_cast<uint8_t>(qBlue(pixel));
                row[3 * x + 1] = static_cast<uint8_t>(qGreen(pixel));
                row[3 * x + 2] = static_cast<uint8_t>(qRed(pixel));
            }
        }
    }

    void Show(int rotation, int cropWidth, int cropHeight, int offsetX, int offsetY) {
        window->m_Rotation = rotation;
        settings.m_CropWidth = cropWidth;
        settings.m_CropHeight = cropHeight;
        settings.m_CropOffsetX = offsetX;
        settings.m_CropOffsetY = offsetY;
        window->resize(rotation == 0 ? QSize(cropWidth, cropHeight) : QSize(480, 600));
    }

    // Paints the window into an image that starts out kUntouched everywhere.
    QImage Paint() {
        QImage image(window->size(), QImage::Format_RGB32);
        image.fill(kUntouched);
        window->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
        return image;
    }

    // Every window pixel against `expected(X, Y)`; reports the first few mismatches only.
    template <typename Expected>
    void ExpectPixels(const QImage& image, Expected expected) {
        int mismatches = 0;
        for (int y = 0; y < image.height() && mismatches < 5; ++y) {
            for (int x = 0; x < image.width() && mismatches < 5; ++x) {
                const QRgb want = expected(x, y);
                if (image.pixel(x, y) != want) {
                    ADD_FAILURE() << "window pixel (" << x << ", " << y << ") is " << std::hex
                                  << image.pixel(x, y) << ", expected " << want;
                    ++mismatches;
                }
            }
        }
    }

    int32_t running = 1;
    StationSettings settings;
    std::unique_ptr<CDisplayWindow> window;
};

// The status line covers a band along the bottom and nothing else; without its text the
// picture is whole again.
TEST_F(PaintedPreview, StatusLineCoversOnlyABandAlongTheBottom) {
    Show(0, 320, 240, 100, 50);
    const auto paintWithChildren = [this] {
        QImage image(window->size(), QImage::Format_RGB32);
        window->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    window->SetStatusText(QStringLiteral("Settings cannot be stored"));
    const QImage image = paintWithChildren();
    int bandTop = 240;
    while (bandTop > 0 && image.pixel(0, bandTop - 1) != Encode(100, 50 + bandTop - 1))
        --bandTop;
    EXPECT_GE(bandTop, 200);
    EXPECT_LE(bandTop, 230);
    ExpectPixels(image.copy(0, 0, 320, bandTop),
                 [](int x, int y) { return Encode(100 + x, 50 + y); });
    EXPECT_EQ(image.pixel(319, 239), qRgb(32, 32, 32));

    window->SetStatusText({});
    ExpectPixels(paintWithChildren(), [](int x, int y) { return Encode(100 + x, 50 + y); });
}

// The pixels of a layout are the preview render's (PreviewRenderTest); the window paints nothing
// while the preview is stopped or the layout shows nothing, and black where it shows black.
TEST_F(PaintedPreview, StoppedPreviewOrUnknownRotationPaintsNothingACropOutsideTheFrameBlack) {
    Show(0, 320, 240, 100, 50);
    running = 0;
    ExpectPixels(Paint(), [](int, int) { return kUntouched; });
    running = 1;  // the same window paints again once the preview runs
    EXPECT_EQ(Paint().pixel(0, 0), Encode(100, 50));
    Show(3, 480, 600, 0, 20);
    ExpectPixels(Paint(), [](int, int) { return kUntouched; });
    Show(0, 100, 100, 700, 0);
    ExpectPixels(Paint(), [](int, int) { return kBlack; });
}

// The live picture against the capture of the same frame: turned and cut as a capture does it,
// with crops whose margins in the turned frame are odd, so that centring leaves one pixel more
// on one side.
struct CaptureCropRow {
    const char* name;
    int rotation, w, h;
};
void PrintTo(const CaptureCropRow& row, std::ostream* os) {
    *os << row.name;
}

class PreviewShowsTheCapture : public PaintedPreview,
                               public testing::WithParamInterface<CaptureCropRow> {};

TEST_P(PreviewShowsTheCapture, PixelForPixel) {
    const CaptureCropRow& row = GetParam();
    const CropOffsets offsets = CenteredCropOffsets(row.rotation, row.w, row.h);
    Show(row.rotation, row.w, row.h, offsets.x, offsets.y);
    const WindowExtent extent = PreviewWindowExtent(row.rotation, row.w, row.h);
    window->resize(extent.width, extent.height);
    const QImage shown = Paint();

    ImageRecord capture;
    ASSERT_TRUE(capture.FromBitmap(window->m_BitmapInfo, {window->m_pBits, kFrameBytes}));
    const CaptureCrop crop = PlanCaptureCrop(row.rotation, row.w, row.h);
    ASSERT_TRUE(crop.turn == 0 || capture.Rotate(crop.turn));
    ASSERT_TRUE(capture.Crop(crop.left, crop.top, crop.width, crop.height));
    ASSERT_EQ(shown.size(), QSize(capture.Width(), capture.Height()));
    ExpectPixels(shown, [&capture](int x, int y) {
        const uint32_t c = capture.GetPixel(y, x);  // 0x00BBGGRR
        return qRgb(static_cast<int>(c & 0xff), static_cast<int>(c >> 8 & 0xff),
                    static_cast<int>(c >> 16 & 0xff));
    });
}

INSTANTIATE_TEST_SUITE_P(OddMargins, PreviewShowsTheCapture,
                         testing::Values(CaptureCropRow{"Upright", 0, 623, 467},
                                         CaptureCropRow{"Turned90OddWidth", 1, 467, 600},
                                         CaptureCropRow{"Turned270OddHeight", 2, 480, 599},
                                         CaptureCropRow{"Turned90BothOdd", 1, 357, 475},
                                         CaptureCropRow{"Turned270BothOdd", 2, 357, 475}),
                         RowName{});

TEST_F(PaintedPreview, CropLargerThanFrameShowsTheFrameAndBlackAround) {
    // Centred, as the layout centres a custom crop wider than the frame.
    Show(0, 700, 500, -30, -10);
    ExpectPixels(Paint(), [](int x, int y) {
        const bool inFrame = x >= 30 && x < 670 && y >= 10 && y < 490;
        return inFrame ? Encode(x - 30, y - 10) : kBlack;
    });
}

TEST_F(PaintedPreview, FollowsCropAndRotationChangesBetweenPaints) {
    Show(0, 320, 240, 100, 50);
    Paint();
    Show(0, 320, 240, 0, 0);
    EXPECT_EQ(Paint().pixel(5, 7), Encode(5, 7));
    Show(1, 480, 600, 0, 20);
    EXPECT_EQ(Paint().pixel(479, 0), Encode(20, 0));
    // The window uncovered by an upright crop smaller than it (before the dialog resizes it).
    window->m_Rotation = 0;
    settings.m_CropWidth = 200;
    settings.m_CropHeight = 100;
    settings.m_CropOffsetX = settings.m_CropOffsetY = 0;
    ExpectPixels(Paint(), [](int x, int y) { return x < 200 && y < 100 ? Encode(x, y) : kBlack; });
}

TEST_F(PaintedPreview, NoBitmapPaintsNothing) {
    window = std::make_unique<CDisplayWindow>(nullptr, PreviewView{&running, &settings});
    Show(0, 64, 48, 0, 0);
    EXPECT_EQ(Paint().pixel(10, 10), kUntouched);
}

// ---- mouse ----------------------------------------------------------------------------------

std::string Where(QPoint p) {
    return std::to_string(p.x()) + "," + std::to_string(p.y());
}

class RecordingWindow : public CDisplayWindow {
  public:
    using CDisplayWindow::CDisplayWindow;
    void OnLButtonDblClk(QPoint p) override { events.push_back("dblclk " + Where(p)); }
    void OnLButtonDown(QPoint p) override { events.push_back("down " + Where(p)); }
    void OnLButtonUp(QPoint p) override { events.push_back("up " + Where(p)); }
    std::vector<std::string> events;
};

struct RecordingMouse : PreviewMouse {
    virtual ~RecordingMouse() = default;
    void OnPreviewPress(QPoint p) override { events.push_back("press " + Where(p)); }
    void OnPreviewDoubleClick(QPoint p) override { events.push_back("dblclk " + Where(p)); }
    void OnPreviewRelease(QPoint from, QPoint to) override {
        events.push_back("release " + Where(from) + " to " + Where(to));
    }
    std::vector<std::string> events;
};

class DisplayWindowMouse : public testing::Test {
  protected:
    int32_t running = 1;
    StationSettings settings;
    RecordingWindow window{nullptr, PreviewView{&running, &settings}};
};

TEST_F(DisplayWindowMouse, DoubleClickReplacesTheSecondPress) {
    window.resize(480, 600);
    window.show();
    // What the window system delivers for a double-click: press, release, double-click, release.
    const QPoint at(120, 45);
    QTest::mousePress(&window, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(&window, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(&window, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseClick(&window, Qt::RightButton, Qt::NoModifier, QPoint(1, 1));
    const std::vector<std::string> expected{"down 120,45", "up 120,45", "dblclk 120,45",
                                            "up 120,45"};
    EXPECT_EQ(window.events, expected);
}

// What the main dialog receives: each release measured from the last press or double-click,
// and a release outside the window dropped.
TEST_F(DisplayWindowMouse, ReleasesAreMeasuredFromTheLastPressOrDoubleClick) {
    RecordingMouse mouse;
    CDisplayWindow plain(nullptr, PreviewView{&running, &settings});
    plain.m_pDlg = &mouse;
    plain.resize(480, 600);
    plain.OnLButtonDown({10, 20});
    plain.OnLButtonUp({30, 40});
    plain.OnLButtonDblClk({12, 22});  // the hand trembled between the clicks
    plain.OnLButtonUp({13, 23});
    plain.OnLButtonDown({100, 100});
    plain.OnLButtonUp({480, 100});  // outside: the press reaches the dialog, the release not
    const std::vector<std::string> expected{"press 10,20", "release 10,20 to 30,40", "dblclk 12,22",
                                            "release 12,22 to 13,23", "press 100,100"};
    EXPECT_EQ(mouse.events, expected);
}

}  // namespace
