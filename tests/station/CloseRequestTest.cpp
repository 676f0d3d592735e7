// A close request that arrives while the station is busy: raised from inside a box during
// start-up, and by a SIGTERM while the About box is open in the running dialog. Either way the
// waiting box is answered, the running handler finishes, and the close (zoom read-back, camera
// closed, settings saved) runs exactly once after it.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <csignal>

#include "platform/ui/TerminationSignals.h"
#include "station/AboutDialog.h"
#include "tests/station/StationFixture.h"

namespace {

using station_test::StationFixture;
using Lines = std::vector<std::string>;

class StationClose : public StationFixture {
  protected:
    // The last `n` requests to the camera, in the station's words.
    Lines Tail(size_t n) const {
        const Lines all = driver_.Transcript();
        Lines tail(all.end() - static_cast<std::ptrdiff_t>(std::min(n, all.size())), all.end());
        std::transform(tail.begin(), tail.end(), tail.begin(), InStationWords);
        return tail;
    }
    int ZoomReadBacks() const {
        const Lines all = StationRecord();
        return static_cast<int>(std::count_if(all.begin(), all.end(), [](const std::string& l) {
            return l.rfind("command 155 ", 0) == 0;
        }));
    }
};

TEST_F(StationClose, RaisedFromInsideTheError101BoxIsServedOnceStartUpHasFinished) {
    script_.handshakeAnswerAfter = 0;  // the head never answers: "Error 101 in Init_Camera"
    CTRIPOD01Dlg& dlg = Dialog();
    std::vector<std::string> boxes;
    ui::SetMessageBoxHandler([&](const ui::MessageRequest& box) {
        boxes.push_back(box.text);
        dlg.close();  // a desktop log-out while the box waits
        dlg.close();
    });

    EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);  // returns without running the dialog

    EXPECT_EQ(boxes, Lines{"Error 101 in Init_Camera"});
    EXPECT_EQ(ZoomReadBacks(), 1);
    // Start-up went on to its end (model detection, preview timer, capture type), then closed.
    EXPECT_EQ(Tail(8),
              (Lines{"command 152 @ 3200 ms", "read A @ 3400 ms", "A = 0 @ 3400 ms",
                     "command 155 @ 3400 ms", "read A @ 3500 ms", "write reg 6 = 0 @ 3500 ms",
                     "write reg 23 = 0 @ 3500 ms", "close @ 3500 ms"}));
    EXPECT_FALSE(driver_.IsOpen());
    EXPECT_EQ(StoredDword("Capture Type"), 5u);
    EXPECT_FALSE(dlg.IsTimerRunning(kPreviewTimer));
}

TEST_F(StationClose, SigtermWithTheAboutBoxOpenAnswersItThenClosesOnce) {
    struct sigaction oldTerm {};
    sigaction(SIGTERM, nullptr, &oldTerm);
    CTRIPOD01Dlg& dlg = Dialog();
    ui::CloseOnTerminationSignals(&dlg);

    bool aboutShown = false;
    bool cameraOpenWhenAboutEnded = false;
    bool rescued = false;  // a box left waiting is closed here so that the test ends
    int ticks = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* about = qobject_cast<CAboutDlg*>(modal); about != nullptr && !aboutShown) {
            aboutShown = true;
            QObject::connect(about, &QDialog::finished,
                             [&] { cameraOpenWhenAboutEnded = driver_.IsOpen(); });
            raise(SIGTERM);
        } else if (++ticks > 500 && modal != nullptr) {
            rescued = true;
            modal->close();
        }
    });
    watch.start(10);
    // The operator opens the About box (F1 or the context menu) once the dialog runs.
    QTimer::singleShot(0, &dlg, [&] { dlg.actions().front()->trigger(); });

    EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
    sigaction(SIGTERM, &oldTerm, nullptr);

    ASSERT_TRUE(aboutShown);
    EXPECT_FALSE(rescued);
    EXPECT_TRUE(cameraOpenWhenAboutEnded) << "the close waited for the About box";
    EXPECT_EQ(ZoomReadBacks(), 1);
    EXPECT_FALSE(driver_.IsOpen());
    EXPECT_EQ(StoredDword("Capture Type"), 5u);
}

}  // namespace
