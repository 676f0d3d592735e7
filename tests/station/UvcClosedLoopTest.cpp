// The station closed round the emulated UVC cameras behind the V4L2 camera code, with a virtual
// clock: held keys and picture buttons move the painted picture the way they point at the
// medium tier's speed and stop on release, Home and the zoom presets land where they should, a
// double-click brings the pupil to the target, and a capture stores what the preview showed.
#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <QImage>
#include <cmath>
#include <string>
#include <vector>

#include "capture/CaptureProcessing.h"
#include "capture/HandOff.h"
#include "control/Steering.h"
#include "picture/BgrPicture.h"
#include "platform/driver/V4l2Transports.h"
#include "station/ControlIds.h"
#include "station/FaceCentering.h"
#include "tests/station/PupilFinder.h"
#include "tests/station/StationFixture.h"
#include "tests/support/RowName.h"

namespace {

using station_test::Distance;
using station_test::Spot;

// At the widest zoom the emulated cameras' 60 degrees span the frame's 640 pixels.
constexpr double kArcsecPerPixel = 60.0 * 3600 / 640;

class UvcStation : public station_test::LiveStation {
  protected:
    // The station started on the camera of `profile`, showing its preview unscaled.
    void Start(int profile) {
        sim::EmulatedUvcOptions options;
        options.profile = profile;
        transport_ = &Keep(std::make_unique<EmulatedV4l2Transport>(options));
        ASSERT_NO_FATAL_FAILURE(LiveStation::Start(*transport_));
        dlg_->m_hPreviewWnd->resize(dlg_->m_CropWidth, dlg_->m_CropHeight);
        dlg_->m_PTZSpeed = 1;  // the medium tier
        Run(200);
    }

    // Preview ticks for `ms` of the clock.
    void Run(int ms) {
        for (int t = 0; t < ms; t += 40) {
            clock_.AdvanceMs(40);
            dlg_->OnTimer(kPreviewTimer);
        }
    }

    // The pupil as painted once the picture has come to rest, looked for where the camera's aim
    // puts it; the two agree within the frame's own rounding.
    Spot Seen() {
        Run(300);
        double cx = 0, cy = 0, upp = 0;
        sim::EmulatedUvcCamera& camera = transport_->Emulation();
        sim::EmulatedUvcCamera::RoomView(camera.Profile(), camera.AimNow(), 640, cx, cy, upp);
        const Spot aimed = station_test::PredictedPupil(cx, cy, upp, *dlg_);
        const Spot seen =
            station_test::PupilNear(Painted(), aimed, (sim::kPupilRadius + 1.5) / upp);
        EXPECT_LT(Distance(seen, aimed), 1.5) << "aim puts it at " << aimed.x << "," << aimed.y;
        return seen;
    }

    bool Key(ui::KeyMessage::Kind kind, int key) { return dlg_->PreTranslateMessage({kind, key}); }

    EmulatedV4l2Transport* transport_ = nullptr;
};

struct UvcRow {
    const char* name;
    int profile;
    // The medium tier on a PTZ camera: a third of the speed control's top value (profile 1), the
    // head's 400 of its 3400 pan and 1000 tilt units per second over the absolute controls'
    // ranges (2), or 400 head units per second at their wide-angle size (3).
    double panArcsecPerSecond = 0;
    double tiltArcsecPerSecond = 0;
};

void PrintTo(const UvcRow& row, std::ostream* os) {
    *os << row.name;
}

class UvcPtzLoop : public UvcStation, public testing::WithParamInterface<UvcRow> {
  protected:
    void SetUp() override { Start(GetParam().profile); }

    // The press of an arrow key and its first three repeats: the small steps a held key makes
    // before it moves the camera on.
    void Nudge(int key) {
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(Key(ui::KeyMessage::kKeyDown, key));
        }
    }

    // Holds an arrow key (`key`, after its small steps) or a picture button (`button`) for `ms`;
    // how long the camera moved: until the stop, which follows the release by a moment.
    double Hold(int key, int button, int ms) {
        if (key != 0) {
            EXPECT_TRUE(Key(ui::KeyMessage::kKeyDown, key));
        } else {
            dlg_->OnSetCursor(button, ui::MouseMessage::kLeftButtonDown);
        }
        const int64_t from = clock_.NowUs();
        for (int t = 0; t < ms; t += 40) {
            Run(40);
            if (key != 0) {
                EXPECT_TRUE(Key(ui::KeyMessage::kKeyDown, key));  // the key repeats
            }
        }
        if (key != 0) {
            EXPECT_TRUE(Key(ui::KeyMessage::kKeyUp, key));
        } else {
            dlg_->OnSetCursor(button, ui::MouseMessage::kMouseMove);  // let go over it
        }
        return double(clock_.NowUs() - from) / 1e6;
    }
};

TEST_P(UvcPtzLoop, HeldKeysAndButtonsMoveThePictureTheWayTheyPointAndStopOnRelease) {
    const UvcRow& row = GetParam();
    struct Move {
        const char* name;
        int key, button;
        int dx, dy;  // which way the scene moves in the picture: against the camera
    };
    const Move moves[] = {
        {"Right key", ui::kVkRight, 0, -1, 0},  {"Up key", ui::kVkUp, 0, 0, 1},
        {"Left key", ui::kVkLeft, 0, 1, 0},     {"Down key", ui::kVkDown, 0, 0, -1},
        {"PanRight", 0, ids::kPanRight, -1, 0}, {"TiltUp", 0, ids::kTiltUp, 0, 1},
        {"PanLeft", 0, ids::kPanLeft, 1, 0},    {"TiltDown", 0, ids::kTiltDown, 0, -1},
    };
    for (const Move& move : moves) {
        SCOPED_TRACE(move.name);
        if (move.key != 0)
            Nudge(move.key);
        const Spot before = Seen();
        const double seconds = Hold(move.key, move.button, 120);
        const Spot stopped = Seen();
        const double expectedX = move.dx * row.panArcsecPerSecond * seconds / kArcsecPerPixel;
        const double expectedY = move.dy * row.tiltArcsecPerSecond * seconds / kArcsecPerPixel;
        EXPECT_NEAR(stopped.x - before.x, expectedX, 1.5);
        EXPECT_NEAR(stopped.y - before.y, expectedY, 1.5);
        Run(1000);
        EXPECT_LT(Distance(Seen(), stopped), 0.1) << "still moving after the release";
    }
}

TEST_P(UvcPtzLoop, HomeReturnsToTheSavedPlace) {
    for (const int key : {ui::kVkRight, ui::kVkUp}) {
        Nudge(key);
        Hold(key, 0, 160);
    }
    // The operator saves once the picture has come to rest.
    const Spot saved = Seen();
    dlg_->OnSetCursor(ids::kHome, ui::MouseMessage::kRightButtonDown);  // Save PTZ Position
    ASSERT_EQ(services_.Messages().size(), 1u);
    Hold(0, ids::kPanLeft, 400);
    Hold(0, ids::kTiltDown, 240);
    ASSERT_GT(Distance(Seen(), saved), 50);
    dlg_->OnHome();
    const Spot home = Seen();
    EXPECT_LT(Distance(home, saved), 2) << home.x - saved.x << "," << home.y - saved.y;
}

TEST_P(UvcPtzLoop, ZoomPresetsLandOnTheirValue) {
    dlg_->m_ZoomPreset1 = 12000;
    dlg_->m_ZoomPreset2 = 3000;
    dlg_->m_ZoomPreset3 = 7500;
    const struct {
        void (CTRIPOD01Dlg::*handler)();
        int value;
    } presets[] = {{&CTRIPOD01Dlg::OnPreset1, 12000},
                   {&CTRIPOD01Dlg::OnPreset2, 3000},
                   {&CTRIPOD01Dlg::OnPreset3, 7500}};
    // The zoom controls' 300 to 900 steps over the head's 15000 positions: values from 2500 up
    // are within 1 % of a step.
    const sim::UvcControl* zoom =
        sim::FindUvcControl(transport_->Emulation().Profile(), V4L2_CID_ZOOM_ABSOLUTE);
    ASSERT_NE(zoom, nullptr);
    for (const auto& preset : presets) {
        (dlg_.get()->*preset.handler)();
        Run(2500);
        const double at = (transport_->Emulation().AimNow().zoom - zoom->minimum) /
                          (zoom->maximum - zoom->minimum) * 15000;
        EXPECT_NEAR(at, preset.value, preset.value / 100.0);
    }
}

TEST_P(UvcPtzLoop, DoubleClickBringsThePupilToTheTarget) {
    for (const int zoom : {0, 6000}) {
        SCOPED_TRACE(zoom);
        camera_seq::DriveZoom(zoom);
        Run(2500);
        // A tap of an arrow key, one small step, takes the pupil away from the target.
        EXPECT_TRUE(Key(ui::KeyMessage::kKeyDown, ui::kVkLeft));
        EXPECT_TRUE(Key(ui::KeyMessage::kKeyUp, ui::kVkLeft));
        const Spot before = Seen();
        const QPoint click(int(std::lround(before.x)), int(std::lround(before.y)));
        const face::PicturePoint target =
            face::TargetPoint({dlg_->m_CropWidth, dlg_->m_CropHeight, dlg_->m_XCenterOffset,
                               dlg_->m_YCenterOffset, dlg_->m_RotationAngle});
        station_test::DoubleClick(dlg_->m_hPreviewWnd, click);
        // The clicked pixel goes to the target; the pupil keeps its place beside that pixel.
        const Spot expected{target.x + (before.x - click.x()), target.y + (before.y - click.y())};
        const Spot after = Seen();
        // Within 2 px at the widest zoom; zoomed in, the move's truncation to whole head units
        // costs up to a unit, which then spans more than a pixel.
        const double tolerance = zoom == 0 ? 2 : 1 + 1 / dlg_->m_AutoCorrectionFactor;
        EXPECT_LT(Distance(after, expected), tolerance)
            << "pupil at " << after.x << "," << after.y << ", expected " << expected.x << ","
            << expected.y;
    }
}

INSTANTIATE_TEST_SUITE_P(UvcCameras, UvcPtzLoop,
                         testing::Values(UvcRow{"Speed", 1, 8 * 16875.0, 8 * 16875.0},
                                         UvcRow{"Absolute", 2, 1224000 * 400 / 3400.0,
                                                216000 * 400 / 1000.0},
                                         UvcRow{"Relative", 3, 400 * kArcsecPerPixel / 0.9756,
                                                400 * kArcsecPerPixel / 0.9756}),
                         RowName{});

// A painted picture sharpened the way a capture sharpens its picture at `sharpness`.
QImage Sharpened(const QImage& image, int32_t sharpness) {
    const QImage in = image.convertToFormat(QImage::Format_BGR888);
    QImage out(in.size(), QImage::Format_BGR888);
    picture::Sharpen({in.constBits(), in.width(), in.height(), in.bytesPerLine()},
                     {out.bits(), out.width(), out.height(), out.bytesPerLine()},
                     SharpenStrength(sharpness));
    return out.convertToFormat(QImage::Format_RGB32);
}

class UvcCaptureLoop : public UvcStation, public testing::WithParamInterface<UvcRow> {};

TEST_P(UvcCaptureLoop, CaptureStoresThePictureThePreviewShowed) {
    Start(GetParam().profile);
    dlg_->CheckDlgButton(ids::kPreviewNo, true);
    std::vector<std::string> stored;
    dlg_->m_CaptureStoredHook = [&](const std::string& path) { stored.push_back(path); };
    const QImage shown = Sharpened(Painted(), dlg_->m_Sharpness);
    dlg_->OnCapture();
    ASSERT_EQ(stored, std::vector<std::string>{(HandOffFolder() / kHandOffFileName).string()});
    const QImage picture =
        QImage(QString::fromStdString(stored[0]), "BMP").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), shown.size());
    // The border row and column are left out: the capture sharpens them with the frame's
    // pixels beyond the crop, which the preview does not show.
    double sum = 0;
    for (int y = 1; y + 1 < shown.height(); ++y) {
        for (int x = 1; x + 1 < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y), b = picture.pixel(x, y);
            sum += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                   std::abs(qBlue(a) - qBlue(b));
        }
    }
    const double mean = sum / (3.0 * (shown.width() - 2) * (shown.height() - 2));
    // Measured: 0 where the camera's MJPEG frames pass through (profiles 1 to 4), 0.22 for the
    // 4:2:0 frames and 1.85 for the YUYV frames, which are re-encoded, the capture's at its
    // higher quality.
    EXPECT_LT(mean, 2.5);
}

INSTANTIATE_TEST_SUITE_P(UvcCameras, UvcCaptureLoop,
                         testing::Values(UvcRow{"PtzSpeed", 1}, UvcRow{"PtzAbsolute", 2},
                                         UvcRow{"PtzRelative", 3}, UvcRow{"Webcam", 4},
                                         UvcRow{"OwnHuffman420", 5}, UvcRow{"YuyvOnly", 6}),
                         RowName{});

}  // namespace
