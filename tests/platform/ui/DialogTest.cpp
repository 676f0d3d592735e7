// The dialog framework as a dialog's handlers use it: data exchange both ways with its checks,
// radio groups that can have nothing checked, timers by id, and where Enter, Escape and the
// close request go, also when it arrives while a handler waits for a box.
#include "platform/ui/Dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include "platform/ui/ServiceRecorder.h"
#include "platform/ui/Services.h"

namespace {

class SampleDialog : public ui::Dialog {
  public:
    SampleDialog() {
        for (int id : {10, 11, 12})
            AddControl(id, new QRadioButton(QString::number(id)));
        AddRadioGroup({10, 11, 12});
        AddControl(20, new QLineEdit);
        AddControl(21, new QLineEdit);
        auto* slider = new QSlider(Qt::Vertical);
        slider->setRange(-50, 50);
        AddControl(30, slider);
        AddControl(40, new QPushButton("Go"));
        connect(Item<QPushButton>(40), &QPushButton::clicked, this, [this] { ++clicks; });
    }

    void DoDataExchange(ui::DataExchange& dx) override {
        dx.Radio(10, choice);
        dx.Text(20, name);
        dx.Int(21, level);
        dx.IntRange(21, level, 0, 255);
        dx.Slider(30, position);
    }
    void OnTimer(int id) override { ticks.push_back(id); }
    void OnOK() override { ++oks; }
    void OnClose() override {
        closedVisible = isVisible();
        ++closes;
    }

    int choice = -1;
    std::string name;
    int level = 0;
    int position = 0;
    std::vector<int> ticks;
    int oks = 0, closes = 0, clicks = 0;
    bool closedVisible = false;
};

TEST(DataExchange, MembersToControlsAndBack) {
    ui::ServiceRecorder recorder;
    SampleDialog dlg;
    dlg.choice = 2;
    dlg.name = "C:\\Photos\\";
    dlg.level = 17;
    dlg.position = -20;
    dlg.UpdateData(false);
    EXPECT_TRUE(dlg.IsDlgButtonChecked(12));
    EXPECT_EQ(dlg.GetDlgItemText(20), "C:\\Photos\\");
    EXPECT_EQ(dlg.GetDlgItemText(21), "17");

    dlg.CheckDlgButton(11, true);
    dlg.SetDlgItemText(21, " -3 ");
    dlg.Item<QSlider>(30)->setValue(44);
    dlg.level = 0;
    ASSERT_FALSE(dlg.UpdateData(true));  // -3 is outside 0..255
    dlg.SetDlgItemText(21, "+255");
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.choice, 1);
    EXPECT_FALSE(dlg.IsDlgButtonChecked(12));  // the group stays exclusive
    EXPECT_EQ(dlg.level, 255);
    EXPECT_EQ(dlg.position, 44);
}

TEST(DataExchange, RadioGroupCanHaveNoneChecked) {
    SampleDialog dlg;
    dlg.choice = 1;
    dlg.UpdateData(false);
    dlg.choice = -1;  // as a freshly built dialog holds it before its settings are loaded
    dlg.UpdateData(false);
    for (int id : {10, 11, 12})
        EXPECT_FALSE(dlg.IsDlgButtonChecked(id)) << id;
    dlg.choice = 7;  // no such button: none checked either
    dlg.UpdateData(false);
    ASSERT_TRUE(dlg.UpdateData(true));
    EXPECT_EQ(dlg.choice, -1);

    dlg.CheckDlgButton(10, true);
    dlg.CheckDlgButton(10, false);  // a handler unchecking the checked button
    EXPECT_EQ(dlg.CheckedRadioIndex(10), -1);
}

TEST(DataExchange, BadIntegerStopsTheExchangeWithTheFrameworkMessages) {
    const std::string kInteger = "Please enter an integer.";
    const struct {
        const char* typed;
        std::string message;
    } cases[] = {{"", kInteger},
                 {"12a", kInteger},
                 {"99999999999", kInteger},  // does not fit: never wraps
                 {"256", "Please enter an integer between 0 and 255."}};
    for (const auto& c : cases) {
        ui::ServiceRecorder recorder;
        SampleDialog dlg;
        dlg.position = 5;
        dlg.SetDlgItemText(21, c.typed);
        dlg.Item<QSlider>(30)->setValue(-9);
        EXPECT_FALSE(dlg.UpdateData(true)) << c.typed;
        EXPECT_EQ(recorder.Messages(), std::vector<std::string>{std::string(": ") + c.message})
            << c.typed;
        EXPECT_EQ(dlg.position, 5) << "exchange goes no further after a failure: " << c.typed;
    }
}

TEST(DialogTimers, ByIdRestartReplacesTheInterval) {
    SampleDialog dlg;
    EXPECT_FALSE(dlg.IsTimerRunning(1));
    dlg.SetTimer(1, 20);
    dlg.SetTimer(1, 25);
    dlg.SetTimer(2, 1000);
    EXPECT_EQ(dlg.TimerInterval(1), 25);
    dlg.KillTimer(1);
    EXPECT_FALSE(dlg.IsTimerRunning(1));
    EXPECT_EQ(dlg.TimerInterval(1), -1);
    EXPECT_TRUE(dlg.IsTimerRunning(2));

    dlg.SetTimer(3, 1);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.ticks.empty(), 2000);
    EXPECT_EQ(dlg.ticks.front(), 3);
}

TEST(DialogKeys, EnterGoesToOnOkOrTheFocusedButton) {
    SampleDialog dlg;
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_EQ(dlg.oks, 1);
    EXPECT_TRUE(dlg.isVisible());  // OnOK overridden: the dialog stays

    dlg.activateWindow();
    dlg.Item<QPushButton>(40)->setFocus();
    QTest::keyClick(dlg.Item<QPushButton>(40), Qt::Key_Return);
    EXPECT_EQ(dlg.clicks + dlg.oks, 2);
}

TEST(DialogKeys, CloseRequestRunsOnCloseOnceThenEnds) {
    SampleDialog dlg;
    dlg.show();
    dlg.SetTimer(1, 25);
    dlg.close();
    EXPECT_EQ(dlg.closes, 1);
    EXPECT_TRUE(dlg.closedVisible);  // the window still exists while OnClose runs
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.IsTimerRunning(1));
    dlg.close();
    EXPECT_EQ(dlg.closes, 1);
}

// A handler whose first box is showing when the close request arrives: the box is answered, the
// handler's next box too without waiting, and OnClose runs once the handler has returned.
TEST(CloseRequest, WaitsForTheRunningHandlerAndDismissesItsBoxes) {
    unsetenv("ZELVOCAM_MESSAGES");  // the program's own modal boxes
    struct BusyDialog : SampleDialog {
        void OnTimer(int id) override {
            KillTimer(id);
            QTimer::singleShot(0, this, [this] {
                log.push_back("close request");
                close();
                close();  // a second request does nothing
            });
            ui::MessageBox(this, "first");
            log.push_back("first answered");
            ui::MessageBox(this, "second");
            log.push_back("handler returns");
        }
        void OnClose() override { log.push_back("OnClose"); }
        std::vector<std::string> log;
    };
    BusyDialog dlg;
    dlg.show();
    bool rescued = false;  // a box left waiting is closed here so that the test ends
    QTimer rescue;
    QObject::connect(&rescue, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            rescued = true;
            box->close();
        }
    });
    rescue.start(2000);
    dlg.SetTimer(1, 0);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), 10000);
    setenv("ZELVOCAM_MESSAGES", "stderr", 1);
    EXPECT_FALSE(rescued);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"close request", "first answered",
                                                 "handler returns", "OnClose"}));
    dlg.close();
    EXPECT_EQ(std::count(dlg.log.begin(), dlg.log.end(), "OnClose"), 1);
}

// A modeless window of a modally running dialog (like the "Adjust" sheet) is not under the
// dialog's own run: it closes at once, and the dialog keeps running.
TEST(CloseRequest, ModelessWindowOfARunningDialogClosesAtOnce) {
    SampleDialog main;
    auto* sheet = new SampleDialog;
    sheet->setParent(&main, Qt::Window);
    int sheetClosesAtOnce = -1;
    bool mainRunning = false;
    QTimer::singleShot(0, &main, [&] {
        sheet->show();
        sheet->close();
        sheetClosesAtOnce = sheet->closes;
        mainRunning = main.isVisible();
        main.close();
    });
    EXPECT_EQ(main.DoModal(), QDialog::Rejected);
    EXPECT_EQ(sheetClosesAtOnce, 1);
    EXPECT_TRUE(mainRunning);
    EXPECT_EQ(main.closes, 1);
}

TEST(DialogKeys, EscapeEndsTheDialogThroughOnCancel) {
    SampleDialog dlg;
    dlg.show();
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(dlg.closes, 0);  // the framework's default; a dialog may route it to OnClose
}

}  // namespace

// A host hides and shows a station whose main dialog runs modally: the run goes on while the
// window is hidden, and ends only by EndDialog, shown or hidden.
TEST(DialogModalRun, HidingForAHostKeepsTheRunAndEndingItWhileHiddenEndsIt) {
    SampleDialog dlg;
    dlg.SetTimer(1, 5);
    QTimer::singleShot(0, &dlg, [&] { dlg.HideKeepingModalRun(); });
    QTimer::singleShot(60, &dlg, [&] {
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_GE(dlg.ticks.size(), 2u);  // the run went on while hidden
        dlg.ShowKeepingModalRun();
        EXPECT_EQ(QApplication::activeModalWidget(), &dlg);  // modal again once shown
        dlg.HideKeepingModalRun();
    });
    QTimer::singleShot(80, &dlg, [&] { dlg.close(); });  // closed while hidden
    EXPECT_EQ(dlg.DoModal(), QDialog::Rejected);
    EXPECT_EQ(dlg.closes, 1);
}
