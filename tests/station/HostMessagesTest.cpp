// Host messages on a scripted camera with a real socket: the whole record of hide and show
// with their waits, the close with "closed" last, register replacing an earlier host, "stored"
// only to the registered host, show during review, requests waiting for a modal box while a
// close answers it, and a newer station giving up on one that never closes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QtEndian>
#include <chrono>

#include "platform/hostlink/HostClient.h"
#include "platform/hostlink/HostLinkServer.h"
#include "platform/hostlink/RuntimeFolder.h"
#include "platform/hostlink/StationLock.h"
#include "station/Application.h"
#include "station/ControlIds.h"
#include "tests/station/StationFixture.h"
#include "tests/support/CameraJpeg.h"
#include "tests/support/ForwardingDriver.h"
#include "tests/support/RowName.h"

namespace {

using hostlink::HostClient;
using station_test::StationFixture;
using Lines = std::vector<std::string>;

// Passes every request on to the scripted camera, and at the device's close notes whether the
// host has been told anything yet and what zoom position the settings hold.
class CloseWatcher : public zelvo_test::ForwardingDriver {
  public:
    using ForwardingDriver::ForwardingDriver;
    void Close() override {
        std::string line;
        toldBeforeClose = host != nullptr && host->ReadLine(line, 0) == HostClient::Read::kLine;
        zoomSavedAtClose = StationFixture::StoredDword("Zoom Position");
        ForwardingDriver::Close();
    }
    HostClient* host = nullptr;
    bool toldBeforeClose = true;
    std::optional<uint32_t> zoomSavedAtClose;
};

class HostMessages : public StationFixture {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(server_.Listen(SocketPath(), error)) << error;
        InstallDriverTransport(&watcher_);
        ASSERT_TRUE(Start());
        Dialog().AttachHostLink(&server_);
        Dialog().KillTimer(kPreviewTimer);  // no frames while the record is read
    }
    // The camera was opened on the watcher, which dies before the fixture closes the camera.
    void TearDown() override { CloseCamera(); }

    std::unique_ptr<HostClient> Connect() {
        auto client = std::make_unique<HostClient>();
        EXPECT_TRUE(client->Connect(SocketPath()));
        return client;
    }
    std::string SocketPath() const { return runtime_.filePath("station.sock").toStdString(); }

    // The next line for `client`, running the event loop meanwhile; "" after `ms` of quiet.
    static std::string Next(HostClient& client, int ms = 5000) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        std::string line;
        while (std::chrono::steady_clock::now() < until) {
            QApplication::processEvents();
            if (client.ReadLine(line, 2) == HostClient::Read::kLine)
                return line;
        }
        return "";
    }

    // Sends a request and returns its answer.
    static std::string Ask(HostClient& client, const char* request) {
        EXPECT_TRUE(client.Send(request));
        return Next(client);
    }

    // " @ <now> ms", as the record stamps a request made `offset` ms from now.
    static std::string At(int offset = 0) {
        return " @ " + std::to_string(sys::NowMs() + offset) + " ms";
    }

    Lines RecordSince() const {
        Lines record;
        for (const std::string& line : driver_.RegisterTranscript())
            record.push_back(InStationWords(line));
        return record;
    }

    QTemporaryDir runtime_;
    hostlink::HostLinkServer server_;
    CloseWatcher watcher_{driver_};
};

TEST_F(HostMessages, HideStopsThePreviewReadsTheZoomAndSavesThenShowRestartsIt) {
    CTRIPOD01Dlg& dlg = Dialog();
    auto host = Connect();
    dlg.m_CaptureType = 1;
    script_.zoomPosition = 2345;
    driver_.ClearRecord();
    std::string at = At();

    EXPECT_EQ(Ask(*host, "hide"), "ok hide");
    EXPECT_EQ(RecordSince(), (Lines{"write reg 6 = 0" + at,  // stream off
                                    "A = 0" + at, "command 155" + at, "read A" + At()}));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.IsTimerRunning(kPreviewTimer));
    EXPECT_TRUE(driver_.IsOpen());  // the camera stays open while hidden
    EXPECT_EQ(StoredDword("Zoom Position"), 2345u);
    EXPECT_EQ(StoredDword("Capture Type"), 5u);

    dlg.m_CaptureType = 2;
    driver_.ClearRecord();
    at = At();
    EXPECT_EQ(Ask(*host, "show"), "ok show");
    EXPECT_EQ(RecordSince(), (Lines{"write reg 10 = 16" + at, "write reg 6 = 1" + at}));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.TimerInterval(kPreviewTimer), 25);
    EXPECT_EQ(dlg.m_CaptureType, 5);
}

TEST_F(HostMessages, ShowDuringReviewKeepsThePictureUnderReview) {
    CTRIPOD01Dlg& dlg = Dialog();
    auto host = Connect();
    ASSERT_EQ(Ask(*host, "hide"), "ok hide");
    dlg.m_CapturePhase = CapturePhase::kReview;  // a captured picture waits for Save or Don't Save
    driver_.ClearRecord();

    EXPECT_EQ(Ask(*host, "show"), "ok show");
    EXPECT_EQ(RecordSince(), Lines{});  // the stream stays off
    EXPECT_FALSE(dlg.IsTimerRunning(kPreviewTimer));
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(HostMessages, CloseRequestRunsTheFullCloseWithClosedLast) {
    auto host = Connect();
    auto closer = Connect();
    ASSERT_EQ(Ask(*host, "register"), "ok register");
    watcher_.host = host.get();
    script_.zoomPosition = 777;
    driver_.ClearRecord();

    EXPECT_EQ(Ask(*closer, "close"), "ok close");
    const Lines record = driver_.Transcript();
    ASSERT_FALSE(record.empty());
    EXPECT_EQ(InStationWords(record.front()), "A = 0" + At(-100));
    EXPECT_EQ(record.back(), "close" + At());
    EXPECT_FALSE(watcher_.toldBeforeClose);
    EXPECT_EQ(watcher_.zoomSavedAtClose, 0u);
    EXPECT_EQ(StoredDword("Zoom Position"), 777u);
    EXPECT_EQ(Next(*host), "closed");
    EXPECT_FALSE(Dialog().isVisible());
    // Requests after the close are refused, never run on a closed camera.
    EXPECT_EQ(Ask(*host, "show"), "error station closed");
}

TEST_F(HostMessages, StoredGoesOnlyToTheLastRegisteredHost) {
    auto first = Connect();
    auto second = Connect();
    auto bystander = Connect();
    ASSERT_EQ(Ask(*first, "register"), "ok register");
    Dialog().m_CaptureStoredHook("/var/tmp/ZelvoCam_Temp.bmp");
    EXPECT_EQ(Next(*first), "stored /var/tmp/ZelvoCam_Temp.bmp");

    ASSERT_EQ(Ask(*second, "register"), "ok register");
    Dialog().m_CaptureStoredHook("");  // the clipboard
    EXPECT_EQ(Next(*second), "stored");
    EXPECT_EQ(Next(*first, 100), "");
    EXPECT_EQ(Next(*bystander, 100), "");

    second.reset();  // the host vanishes; the station goes on
    Next(*first, 50);
    Dialog().m_CaptureStoredHook("/var/tmp/ZelvoCam_Temp.bmp");
    EXPECT_EQ(Ask(*first, "show"), "ok show");
}

TEST_F(HostMessages, RequestsWaitWhileAModalBoxIsOpen) {
    CTRIPOD01Dlg& dlg = Dialog();
    auto host = Connect();
    QMessageBox box(QMessageBox::Information, "Notice", "Iris is Locked, see Administrator",
                    QMessageBox::Ok, &dlg);
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ASSERT_TRUE(host->Send("hide"));
    ASSERT_TRUE(host->Send("show"));
    EXPECT_EQ(Next(*host, 200), "");
    EXPECT_TRUE(dlg.isVisible());  // nothing ran under the box

    auto leaver = Connect();  // asks to hide, then leaves while the box is open
    ASSERT_TRUE(leaver->Send("hide"));
    Next(*leaver, 50);
    leaver.reset();
    EXPECT_EQ(Next(*host, 100), "");  // the box is still open

    box.close();
    EXPECT_EQ(Next(*host), "ok hide");
    EXPECT_EQ(Next(*host), "ok show");
    EXPECT_TRUE(dlg.isVisible());  // the hide of the one who left was dropped
}

// What waits over the station, opened from one of its handlers, when a host or a newer station
// asks it to close; the box ends cancelled (a question answered No) and `answered` says so.
struct OpenBoxCase {
    const char* name;
    void (*open)(CTRIPOD01Dlg& dlg, bool& answered);
};

class CloseWithABoxOpen : public HostMessages, public testing::WithParamInterface<OpenBoxCase> {};

TEST_P(CloseWithABoxOpen, AnswersTheBoxThenClosesOnceTheHandlerHasReturned) {
    CTRIPOD01Dlg& dlg = Dialog();
    auto closer = Connect();
    bool answered = false;
    bool cameraOpenWhenBoxEnded = false;
    bool rescued = false;  // a box left waiting is closed here so that the test ends
    QTimer watch;
    int ticks = 0;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && ticks == 0)
            closer->Send("close");  // the box is open: the close request comes now
        if (modal != nullptr && ++ticks > 200) {
            rescued = true;
            modal->close();
        }
    });
    watch.start(10);
    dlg.RunAsHandler([&] {
        GetParam().open(dlg, answered);
        cameraOpenWhenBoxEnded = driver_.IsOpen();
    });

    EXPECT_FALSE(rescued);
    EXPECT_TRUE(answered);
    EXPECT_TRUE(cameraOpenWhenBoxEnded) << "the close waited for the box and its handler";
    EXPECT_EQ(Next(*closer), "ok close");
    EXPECT_FALSE(driver_.IsOpen());
    EXPECT_EQ(StoredDword("Capture Type"), 5u);  // the settings were saved
}

const OpenBoxCase kBoxes[] = {
    {"AboutBox",
     [](CTRIPOD01Dlg& dlg, bool& answered) {
         dlg.OnSysCommand(kSysAbout);
         answered = true;
     }},
    // The password dialog and every other dialog of the station are ui::Dialogs.
    {"ModalDialog",
     [](CTRIPOD01Dlg& dlg, bool& answered) {
         answered = ui::Dialog(&dlg).DoModal() == QDialog::Rejected;
     }},
    {"ReplaceQuestion", [](CTRIPOD01Dlg& dlg, bool& answered) {
         ui::SetQuestionHandler({});  // the program's own box, on the screen
         unsetenv("ZELVOCAM_MESSAGES");
         answered = !ui::AskYesNo(&dlg,
                                  "/srv/photos/Smith.JPG already exists.\n"
                                  "Do you want to replace it?");
         setenv("ZELVOCAM_MESSAGES", "stderr", 1);
     }}};
INSTANTIATE_TEST_SUITE_P(HostMessages, CloseWithABoxOpen, testing::ValuesIn(kBoxes), RowName{});

// The capture workflow reports its stores through m_CaptureStoredHook: after CAPTURE a host
// sees "stored PATH" with the file complete when the line arrives.
TEST_F(HostMessages, CaptureTellsTheHostWithTheFileComplete) {
    CTRIPOD01Dlg& dlg = Dialog();
    dlg.OnTimer(kPreviewTimer);  // the first tick makes the capture bitmap
    dlg.KillTimer(kPreviewTimer);
    dlg.CheckDlgButton(ids::kPreviewNo, true);
    driver_.frameSource = [] { return zelvo_test::MakeUniformCameraJpeg(640, 480, {90, 90, 90}); };
    auto host = Connect();
    ASSERT_EQ(Ask(*host, "register"), "ok register");
    driver_.ClearRecord();
    QTest::mouseClick(dlg.GetDlgItem(ids::kCapture), Qt::LeftButton);
    ASSERT_FALSE(driver_.Transcript().empty()) << "CAPTURE sent nothing to the camera";
    const std::string line = Next(*host, 5000);
    ASSERT_EQ(line.rfind("stored ", 0), 0u) << line;
    const std::string path = line.substr(7);
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_EQ(bytes.left(2), "BM");
    EXPECT_EQ(qFromLittleEndian<uint32_t>(bytes.constData() + 2), uint32_t(bytes.size()));
}

TEST(StationInstance, AnEarlierStationThatNeverClosesMakesTheNewerOneGiveUp) {
    QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().toUtf8().constData(), 1);
    std::string error;
    const auto folder = hostlink::PrepareRuntimeFolder(runtime.path().toUtf8().constData(), error);
    ASSERT_TRUE(folder) << error;
    hostlink::StationLock earlier(*folder);  // holds the lock and never answers
    ASSERT_EQ(earlier.Acquire(std::chrono::milliseconds(0)), hostlink::StationLock::Result::kHeld);

    ui::ServiceRecorder services;
    CTRIPOD01App app;
    EXPECT_FALSE(app.CloseEarlierCopy(std::chrono::milliseconds(200)));
    EXPECT_EQ(services.Messages(),
              Lines{"ZelvoCam USB: Another ZelvoCam USB station is running and did not close. "
                    "Close it, then start the station again."});
    EXPECT_EQ(services.ExitCode(), kExitEarlierStationRunning);
    unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
