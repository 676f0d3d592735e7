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

// Requests made at the same moment, `ms`, as the record writes them.
Lines At(int ms, Lines requests) {
    for (std::string& request : requests)
        request += " @ " + std::to_string(ms) + " ms";
    return requests;
}
Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Streaming is register 6; host decoding (16, or 0 for the camera's own) goes out with streaming
// on as register 10; the quality is the table block of register 25.
const Lines kStop{"write reg 6 = 0"}, kQuality{"write reg 6 = 0", "block reg 25 [256]"};
Lines Stream(int decoding) {
    return {"write reg 10 = " + std::to_string(decoding), "write reg 6 = 1"};
}
// One frame read, `in` bytes from the camera giving `out`, then streaming off.
Lines Frame(int in, int out) {
    return {"frame " + std::to_string(in) + " -> " + std::to_string(out), "write reg 6 = 0"};
}

TEST_F(CaptureWorkflow, EachCaptureSendsItsWholeSequenceStoresOnceAndResumesThePreview) {
    const struct {
        const char* name;
        int liveCapture;
        bool flash;
        int flashLevel;
        Lines expected;
    } rows[] = {
        // Preview stopped, streaming for one frame, then 100 + 125 ms later stopped again,
        // stored, and the preview back.
        {"fastest", 0, false, 17,
         At(2000, kStop + Stream(16)) + At(2200, Frame(921600, 6179)) +
             At(2425, kStop + Stream(16))},
        // Quality 100 takes 150 ms; the live stream is restored at quality 75 again.
        {"medium", 1, false, 17,
         At(4425, kQuality) + At(4575, Stream(16)) + At(4775, Frame(921600, 6179)) +
             At(5000, kStop + Stream(16) + kQuality + Stream(16))},
        // The camera's own decoding, 100 ms.
        {"best", 2, false, 17,
         At(7000, kStop) + At(7100, Stream(0)) + At(7300, Frame(614400, 614400)) +
             At(7525, kStop + Stream(0) + kQuality + Stream(16))},
        // Level 45 taken as 32; 600 ms; the flash colour; armed, 300 ms; after the frame the
        // live stream and its colour restored.
        {"flash", 0, true, 45,
         At(9525, kStop + Lines{"command 132"}) + At(10125, {"command 12"}) +
             At(10175, {"A = 208"}) + At(10225, {"command 142"}) + At(10325, {"B = 162"}) +
             At(10375, {"command 143"}) + At(10475, {"A = 74"}) + At(10525, {"command 146"}) +
             At(10625, {"command 140"}) + At(10925, Stream(0)) + At(11125, Frame(614400, 614400)) +
             At(11350, kStop + Stream(0) + Lines{"command 137"}) +
             At(11450, Lines{"command 141"} + kQuality + Stream(16)) + At(11550, {"command 12"}) +
             At(11750, {"command 7"}) + At(11900, {"A = 72", "command 146"})},
    };
    for (const auto& row : rows) {
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
    const char* noWhole = "no whole picture came from the camera";
    const Row rows[] = {
        {"no frame, live: two more tries", false, nullptr, 624, 3, noPicture, noWhole},
        {"no frame, flash: its one frame", true, nullptr, 624, 1, noPicture, noWhole},
        {"frames cut short, live: two more tries", false, cutShort, 624, 3, noPicture, noWhole},
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
