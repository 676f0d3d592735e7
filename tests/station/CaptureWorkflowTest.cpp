// The capture workflow on a scripted camera: the whole record of each capture (live 0, 1, 2 and
// with the flash) with its waits, the review with Save and Don't Save, the corrections, the
// abandoned captures, and the host hand-off file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QImage>
#include <QSlider>
#include <QTemporaryDir>
#include <filesystem>
#include <functional>

#include "capture/HandOff.h"
#include "platform/driver/DeviceSetting.h"
#include "simulator/SimulatedCamera.h"
#include "station/ControlIds.h"
#include "station/DisplayWindow.h"
#include "tests/station/StationFixture.h"
#include "tests/support/CameraJpeg.h"

namespace {

using station_test::StationFixture;
using Lines = std::vector<std::string>;

class CaptureWorkflow : public StationFixture {
  protected:
    CaptureWorkflow() {
        setenv("XDG_DATA_HOME", dataDir_.path().toUtf8().constData(), 1);
        driver_.frameSource = [] {
            return zelvo_test::MakeUniformCameraJpeg(640, 480, {200, 120, 60});
        };
    }

    // A started station with its preview window, on the hand-off destination, review off.
    void StartLive(bool review = false) {
        ASSERT_TRUE(Start());
        CTRIPOD01Dlg& dlg = Dialog();
        dlg.OnTimer(kPreviewTimer);  // the first tick makes the window and the bitmaps
        ASSERT_NE(dlg.m_pCaptureBits, nullptr);
        dlg.CheckDlgButton(review ? ids::kPreviewYes : ids::kPreviewNo, true);
        dlg.m_CaptureStoredHook = [this](const std::string& path) { stored_.push_back(path); };
        dlg.m_CaptureFailedHook = [this](const std::string& reason) { failed_.push_back(reason); };
        driver_.ClearRecord();
    }

    // Everything the camera was asked since StartLive, in the station's words.
    Lines Record() const {
        Lines lines;
        for (const auto& request : driver_.Requests())
            lines.push_back(InStationWords(request.ToString()));
        return lines;
    }

    std::string HandOffFile() const { return (HandOffFolder() / kHandOffFileName).string(); }
    bool HandOffWritten() const { return QFileInfo::exists(QString::fromStdString(HandOffFile())); }

    // A fresh dialog on a closed camera, for the next row of a table.
    void Restart() {
        dlg_.reset();
        CloseCamera();
        stored_.clear();
        failed_.clear();
    }

    // The station is live again and holds no picture.
    void ExpectLive() {
        CTRIPOD01Dlg& dlg = Dialog();
        EXPECT_EQ(dlg.m_CapturePhase, CapturePhase::kLive);
        EXPECT_EQ(dlg.m_ControlsDisabled, 0);
        EXPECT_FALSE(dlg.m_CaptureImage.IsAllocated());
        EXPECT_TRUE(dlg.m_CapturePixels.IsEmpty());
        EXPECT_EQ(dlg.TimerInterval(kPreviewTimer), 25);
        EXPECT_TRUE(dlg.IsItemVisible(ids::kCapture));
        EXPECT_TRUE(dlg.GetDlgItem(ids::kCapture)->isEnabled());
        EXPECT_TRUE(dlg.IsItemVisible(ids::kHome));
        EXPECT_FALSE(dlg.IsItemVisible(ids::kRedSlider));
        EXPECT_FALSE(dlg.IsItemVisible(ids::kSave));
    }

    QTemporaryDir dataDir_;
    Lines stored_, failed_;
};

struct SequenceRow {
    const char* name;
    int liveCapture;
    bool flash;
    int flashLevel;
    Lines expected;
};

TEST_F(CaptureWorkflow, EachCaptureSendsItsWholeSequenceStoresOnceAndResumesThePreview) {
    // Property 8 (streaming) is register 6; property 9 (host decoding) goes out with streaming
    // on as register 10; property 10 (quality) is the table block of register 25.
    const SequenceRow rows[] = {
        {"fastest",
         0,
         false,
         17,
         {"write reg 6 = 0 @ 2000 ms",                                 // preview stopped
          "write reg 10 = 16 @ 2000 ms", "write reg 6 = 1 @ 2000 ms",  // streaming for one frame
          "frame 921600 -> 6179 @ 2200 ms", "write reg 6 = 0 @ 2200 ms",
          // 100 + 125 ms later: stopped again, stored, the preview back
          "write reg 6 = 0 @ 2425 ms", "write reg 10 = 16 @ 2425 ms", "write reg 6 = 1 @ 2425 ms"}},
        {"medium",
         1,
         false,
         17,
         {"write reg 6 = 0 @ 4425 ms", "block reg 25 [256] @ 4425 ms",  // quality 100, 150 ms
          "write reg 10 = 16 @ 4575 ms", "write reg 6 = 1 @ 4575 ms",
          "frame 921600 -> 6179 @ 4775 ms", "write reg 6 = 0 @ 4775 ms",
          "write reg 6 = 0 @ 5000 ms", "write reg 10 = 16 @ 5000 ms", "write reg 6 = 1 @ 5000 ms",
          // the live stream restored: quality 75 again
          "write reg 6 = 0 @ 5000 ms", "block reg 25 [256] @ 5000 ms",
          "write reg 10 = 16 @ 5000 ms", "write reg 6 = 1 @ 5000 ms"}},
        {"best",
         2,
         false,
         17,
         {"write reg 6 = 0 @ 7000 ms",  // the camera's own decoding, 100 ms
          "write reg 10 = 0 @ 7100 ms", "write reg 6 = 1 @ 7100 ms",
          "frame 614400 -> 614400 @ 7300 ms", "write reg 6 = 0 @ 7300 ms",
          "write reg 6 = 0 @ 7525 ms", "write reg 10 = 0 @ 7525 ms", "write reg 6 = 1 @ 7525 ms",
          "write reg 6 = 0 @ 7525 ms", "block reg 25 [256] @ 7525 ms",
          "write reg 10 = 16 @ 7525 ms", "write reg 6 = 1 @ 7525 ms"}},
        {"flash",
         0,
         true,
         45,
         {"write reg 6 = 0 @ 9525 ms", "command 132 @ 9525 ms",  // level 45 taken as 32; 600 ms
                                                                 // the flash colour
          "command 12 @ 10125 ms", "A = 208 @ 10175 ms", "command 142 @ 10225 ms",
          "B = 162 @ 10325 ms", "command 143 @ 10375 ms", "A = 74 @ 10475 ms",
          "command 146 @ 10525 ms",
          "command 140 @ 10625 ms",  // armed; 300 ms
          "write reg 10 = 0 @ 10925 ms", "write reg 6 = 1 @ 10925 ms",
          "frame 614400 -> 614400 @ 11125 ms", "write reg 6 = 0 @ 11125 ms",
          "write reg 6 = 0 @ 11350 ms", "write reg 10 = 0 @ 11350 ms", "write reg 6 = 1 @ 11350 ms",
          // the live stream and its colour restored
          "command 137 @ 11350 ms", "command 141 @ 11450 ms", "write reg 6 = 0 @ 11450 ms",
          "block reg 25 [256] @ 11450 ms", "write reg 10 = 16 @ 11450 ms",
          "write reg 6 = 1 @ 11450 ms", "command 12 @ 11550 ms", "command 7 @ 11750 ms",
          "A = 72 @ 11900 ms", "command 146 @ 11900 ms"}},
    };
    for (const SequenceRow& row : rows) {
        SCOPED_TRACE(row.name);
        // Without host decoding the camera sends its own pixels, two bytes each.
        if (row.liveCapture == 2 || row.flash)
            driver_.frameSource = [] { return std::vector<uint8_t>(640 * 480 * 2, 128); };
        StartLive();
        CTRIPOD01Dlg& dlg = Dialog();
        dlg.m_LiveCapture = row.liveCapture;
        dlg.m_FlashIrisLevel = row.flashLevel;
        dlg.CheckDlgButton(row.flash ? ids::kFlashOn : ids::kFlashOff, true);
        dlg.OnCapture();
        EXPECT_EQ(Record(), row.expected);
        // The hand-off file, private to the user, where the published value says.
        EXPECT_EQ(stored_, Lines{HandOffFile()});
        std::string published;
        EXPECT_TRUE(RegistryKey(kHandOffKey).QueryText(kHandOffValue, published));
        EXPECT_EQ(published, HandOffFile());
        struct stat folder {
        }, file{};
        ASSERT_EQ(stat(HandOffFolder().c_str(), &folder), 0);
        ASSERT_EQ(stat(HandOffFile().c_str(), &file), 0);
        EXPECT_EQ(folder.st_mode & 0777, 0700u);
        EXPECT_EQ(file.st_mode & 0777, 0600u);
        EXPECT_TRUE(services_.Messages().empty());
        ExpectLive();
        Restart();
    }
}

TEST_F(CaptureWorkflow, ReviewDontSaveStoresNothingSaveStoresAndNotifiesOnce) {
    StartLive(true);
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.OnCapture();
    ASSERT_EQ(dlg.m_CapturePhase, CapturePhase::kReview);
    const int w = dlg.m_CapturePixels.width;
    const int h = dlg.m_CapturePixels.height;
    EXPECT_EQ(QSize(w, h), QSize(624, 468));
    EXPECT_EQ(dlg.m_ControlsDisabled, 1);
    EXPECT_FALSE(dlg.IsTimerRunning(kPreviewTimer));
    EXPECT_FALSE(dlg.IsItemVisible(ids::kCapture));
    EXPECT_FALSE(dlg.IsItemVisible(ids::kPanTiltGroup));
    EXPECT_FALSE(dlg.GetDlgItem(ids::kFlashOn)->isEnabled());
    EXPECT_EQ(dlg.ItemRect(ids::kSave), QRect(0, h, w / 2, 25));
    EXPECT_EQ(dlg.ItemRect(ids::kDontSave), QRect(w / 2, h, w / 2, 25));
    EXPECT_EQ(dlg.ItemRect(ids::kColorCorrectionGroup).topLeft(), QPoint(w + 22, 10));
    EXPECT_EQ(dlg.ItemRect(ids::kDefaultCorrection).topLeft(), QPoint(w + 30, 440));
    EXPECT_TRUE(dlg.IsItemVisible(ids::kBlueSlider));
    EXPECT_TRUE(dlg.GetDlgItem(ids::kBlueSlider)->isEnabled());

    // CAPTURE again (an Alt+C queued behind the capture) leaves the picture in hand alone.
    driver_.ClearRecord();
    dlg.OnCapture();
    EXPECT_TRUE(Record().empty());

    dlg.OnDontSave();
    EXPECT_TRUE(stored_.empty());
    EXPECT_TRUE(failed_.empty()) << "the operator's choice is nobody's failure";
    EXPECT_FALSE(HandOffWritten());
    ExpectLive();
    EXPECT_TRUE(dlg.IsItemVisible(ids::kPanTiltGroup));

    // With the colour lock the sliders are shown but cannot be moved.
    dlg.m_ColorCorrectionLock = 1;
    dlg.OnCapture();
    EXPECT_TRUE(dlg.IsItemVisible(ids::kRedSlider));
    EXPECT_FALSE(dlg.GetDlgItem(ids::kRedSlider)->isEnabled());
    EXPECT_FALSE(dlg.GetDlgItem(ids::kDefaultCorrection)->isEnabled());
    dlg.OnSave();
    dlg.OnSave();  // a second click once the review is over stores nothing more
    EXPECT_EQ(stored_, Lines{HandOffFile()});
    EXPECT_TRUE(HandOffWritten());
    EXPECT_TRUE(services_.Messages().empty());
    ExpectLive();
}

TEST_F(CaptureWorkflow, CorrectionsComeFromTheKeptPixelsSoTheyNeverAddUp) {
    StartLive(true);
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.m_RedLiveCorrection = 30;
    dlg.m_BlueLiveCorrection = -40;
    dlg.m_RedFlashCorrection = -7;  // the flash pair is not in force
    dlg.OnCapture();
    EXPECT_EQ(dlg.Item<QSlider>(ids::kRedSlider)->value(), -30);
    EXPECT_EQ(dlg.Item<QSlider>(ids::kBlueSlider)->value(), 40);
    EXPECT_EQ(dlg.GetDlgItemText(ids::kRedValue), "30");
    EXPECT_EQ(dlg.GetDlgItemText(ids::kBlueValue), "-40");
    const uint32_t kept = dlg.m_CapturePixels.colours[0];
    EXPECT_EQ(dlg.m_CaptureImage.GetPixel(0, 0), CorrectedColour(kept, 30, -40));

    dlg.m_RedLiveCorrection = 50;
    dlg.ApplyCaptureCorrection();
    dlg.ApplyCaptureCorrection();
    EXPECT_EQ(dlg.m_CaptureImage.GetPixel(0, 0), CorrectedColour(kept, 50, -40));
    // The crop settings change while the picture is reviewed: the picture in hand keeps its
    // own size, and the corrections still cover exactly it.
    dlg.m_CropWidth = 9999;
    dlg.m_CropHeight = 0;
    dlg.m_BlueLiveCorrection = 0;
    dlg.ApplyCaptureCorrection();
    const uint32_t corrected = CorrectedColour(kept, 50, 0);
    EXPECT_EQ(dlg.m_CaptureImage.GetPixel(467, 623), corrected);

    dlg.OnSave();
    const QImage file(QString::fromStdString(HandOffFile()), "BMP");
    ASSERT_EQ(file.size(), QSize(624, 468));
    EXPECT_EQ(file.pixel(0, 0), qRgb(RedOf(corrected), GreenOf(corrected), BlueOf(corrected)));
}

TEST_F(CaptureWorkflow, CaptureWithoutAPictureIsAbandonedAndNothingIsStored) {
    struct Row {
        const char* name;
        bool flash;
        std::function<std::vector<uint8_t>()> frames;
        int cropWidth;
        int frameReads;
        const char* message;
        const char* hostReason;
    };
    const auto whole = [] { return zelvo_test::MakeUniformCameraJpeg(640, 480, {}); };
    // The camera stops sending half-way through the picture.
    const auto cutShort = [whole] {
        std::vector<uint8_t> frame = whole();
        frame.resize(frame.size() / 2);
        return frame;
    };
    const char* noPicture =
        "Capture: No picture came from the camera. Nothing was stored; please capture again.";
    const Row rows[] = {
        {"no frame, live: two more tries", false, nullptr, 624, 3, noPicture,
         "no whole picture came from the camera"},
        {"no frame, flash: its one frame", true, nullptr, 624, 1, noPicture,
         "no whole picture came from the camera"},
        {"frames cut short, live: two more tries", false, cutShort, 624, 3, noPicture,
         "no whole picture came from the camera"},
        {"crop leaves nothing", false, whole, 0, 1,
         "Capture: The crop size leaves no picture to store. Nothing was stored; please check "
         "the crop size.",
         "the crop size leaves no picture"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        driver_.frameSource = row.frames;
        StartLive();
        CTRIPOD01Dlg& dlg = Dialog();
        dlg.CheckDlgButton(row.flash ? ids::kFlashOn : ids::kFlashOff, true);
        dlg.m_CropWidth = row.cropWidth;
        const size_t messagesBefore = services_.Messages().size();
        dlg.OnCapture();
        const Lines record = Record();
        const auto count = [&](const char* prefix) {
            return std::count_if(record.begin(), record.end(),
                                 [&](const auto& l) { return l.rfind(prefix, 0) == 0; });
        };
        EXPECT_EQ(count("frame "), row.frameReads);
        // A flash left armed is disarmed and the live colour comes back.
        EXPECT_EQ(count("command 141 "), row.flash ? 1 : 0);
        const Lines messages = services_.Messages();
        ASSERT_EQ(messages.size(), messagesBefore + 1);
        EXPECT_EQ(messages.back(), row.message);
        EXPECT_TRUE(stored_.empty());
        EXPECT_EQ(failed_, Lines{row.hostReason});
        EXPECT_FALSE(HandOffWritten());
        ExpectLive();
        Restart();
    }
}

TEST_F(CaptureWorkflow, WithoutAHandOffFolderNothingIsPublishedAndStoresFail) {
    // A file where the data folder should be: the folder can never be made.
    const QString blocker = dataDir_.path() + "/blocker";
    QFile(blocker).open(QIODevice::WriteOnly);
    setenv("XDG_DATA_HOME", (blocker + "/data").toUtf8().constData(), 1);
    StartLive();
    EXPECT_EQ(services_.Messages(), Lines{"Error: Common Folder Not Found"});
    std::string published;
    EXPECT_FALSE(RegistryKey(kHandOffKey).QueryText(kHandOffValue, published));

    Dialog().OnCapture();
    EXPECT_EQ(services_.Messages().back(), ": Error in BMP file save");  // no caption of its own
    EXPECT_TRUE(stored_.empty());
    EXPECT_EQ(failed_, Lines{"no hand-off folder"});
    ExpectLive();
}

TEST_F(CaptureWorkflow, AHandOffFolderRemovedWhileRunningIsMadeAgain) {
    StartLive();
    std::filesystem::remove_all(HandOffFolder());
    Dialog().OnCapture();
    EXPECT_EQ(stored_, Lines{HandOffFile()});
    struct stat folder {};
    ASSERT_EQ(lstat(HandOffFolder().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

// The simulated camera fires its flash on one interlaced field, the odd rows and the even rows
// by turns; the other field sees only the dim room light.
class FlashOnSimulator : public testing::Test {
  protected:
    FlashOnSimulator() : scope_(clock_) {
        setenv("XDG_DATA_HOME", dataDir_.path().toUtf8().constData(), 1);
        setenv("XDG_CONFIG_HOME", dataDir_.path().toUtf8().constData(), 1);
        std::string error;
        camera_ = CreateSimulatedCamera("sim:14", error);
        InstallDriverTransport(camera_.get());
    }
    ~FlashOnSimulator() override {
        dlg_.reset();
        CloseCamera();
        InstallDriverTransport(nullptr);
    }

    // Mean brightness of the even rows over that of the odd rows: 1 for a picture without
    // combing.
    static double FieldRatio(const QImage& picture) {
        double even = 0, odd = 0;
        for (int y = 0; y + 1 < picture.height(); y += 2) {
            for (int x = 0; x < picture.width(); x += 2) {
                even += qGray(picture.pixel(x, y));
                odd += qGray(picture.pixel(x, y + 1));
            }
        }
        return even / odd;
    }

    QTemporaryDir dataDir_;
    sys::VirtualClock clock_;
    sys::ScopedClock scope_;
    ui::ServiceRecorder services_;
    std::unique_ptr<SimulatedCamera> camera_;
    std::unique_ptr<CTRIPOD01Dlg> dlg_ = std::make_unique<CTRIPOD01Dlg>();
};

TEST_F(FlashOnSimulator, RepairedPictureShowsNoCombingWhicheverFieldWasLit) {
    ASSERT_TRUE(dlg_->OnInitDialog());
    dlg_->OnTimer(kPreviewTimer);
    dlg_->CheckDlgButton(ids::kPreviewNo, true);
    dlg_->CheckDlgButton(ids::kFlashOn, true);
    const QString file = QString::fromStdString((HandOffFolder() / kHandOffFileName).string());
    for (int flash = 1; flash <= 2; ++flash) {
        SCOPED_TRACE(flash == 1 ? "odd field lit" : "even field lit");
        dlg_->OnCapture();
        ASSERT_EQ(camera_->FlashesFired(), flash);
        // The frame as the camera sent it is combed: one field lit, the other dim.
        BitmapInfoHeader info = dlg_->m_CaptureBitmapInfo;
        ImageRecord frame;
        ASSERT_TRUE(frame.FromBitmap(info, {dlg_->m_pCaptureBits, kFrameBytes}));
        const double combed = FieldRatio(frame.Image());
        EXPECT_TRUE(combed < 0.6 || combed > 1.6) << combed;

        const QImage stored(file, "BMP");
        ASSERT_EQ(stored.size(), QSize(624, 468));
        EXPECT_NEAR(FieldRatio(stored), 1.0, 0.03);
        // As bright as the lit field, not the mean of lit and dim.
        double sum = 0;
        for (int y = 0; y < stored.height(); y += 3)
            for (int x = 0; x < stored.width(); x += 3)
                sum += qGray(stored.pixel(x, y));
        EXPECT_GT(sum / ((stored.height() / 3 + 1) * (stored.width() / 3)), 90.0);
        QFile::remove(file);
    }
    EXPECT_TRUE(services_.Messages().empty());
}

}  // namespace
