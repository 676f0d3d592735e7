// Steering through the real widgets and key events, as the window system delivers them: the
// held picture buttons, key repeat pairs, keys that must not reach controls, the "Key Down" box
// and the loss of the keyboard.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "station/ControlIds.h"
#include "tests/station/HeadRecord.h"

namespace {

using station_test::Lines;

class SteeringWidgets : public station_test::ScriptedStation {
  protected:
    void Mouse(int id, QEvent::Type type, QPoint at = {12, 12}) {
        QWidget* button = Dialog().GetDlgItem(id);
        const Qt::MouseButton pressed =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), button->mapToGlobal(QPointF(at)), Qt::LeftButton,
                          pressed, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &event);
    }
    void Key(QEvent::Type type, int key, uint64_t timestamp, bool autoRepeat = false,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
        event.setTimestamp(timestamp);
        QCoreApplication::sendEvent(Dialog().windowHandle(), &event);
    }
    bool IsDown(int id) { return Dialog().Item<QPushButton>(id)->isDown(); }
};

TEST_F(SteeringWidgets, HeldButtonPressReleaseInsideOutsideAndDoubleClick) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    Mouse(ids::kPanRight, QEvent::MouseButtonPress);
    EXPECT_TRUE(IsDown(ids::kPanRight));
    Mouse(ids::kPanRight, QEvent::MouseButtonRelease);
    EXPECT_FALSE(IsDown(ids::kPanRight));

    Mouse(ids::kPanRight, QEvent::MouseButtonPress);
    Mouse(ids::kPanRight, QEvent::MouseButtonRelease, {-40, 60});  // let go over the picture
    EXPECT_EQ(dlg.m_RightActive, 0);
    EXPECT_EQ(dlg.m_MouseMoving, 0);

    // A double-click: press, release, double-click (a press), release.
    Mouse(ids::kTiltUp, QEvent::MouseButtonPress);
    Mouse(ids::kTiltUp, QEvent::MouseButtonRelease);
    Mouse(ids::kTiltUp, QEvent::MouseButtonDblClick);
    EXPECT_TRUE(IsDown(ids::kTiltUp));
    Mouse(ids::kTiltUp, QEvent::MouseButtonRelease);

    EXPECT_EQ(Record(),
              (Lines{"command 64 @ 0 ms", "command 65 @ 75 ms", "command 64 @ 75 ms",
                     "command 3 @ 75 ms", "command 65 @ 175 ms", "command 61 @ 175 ms",
                     "command 65 @ 250 ms", "command 61 @ 250 ms", "command 65 @ 325 ms"}));
}

TEST_F(SteeringWidgets, LockedZoomPressIsSwallowedAndRightPressOnHomeSaves) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    dlg.m_LockZoom = 1;
    Mouse(ids::kZoomOut, QEvent::MouseButtonPress);
    EXPECT_FALSE(IsDown(ids::kZoomOut));
    Mouse(ids::kZoomOut, QEvent::MouseButtonRelease);
    EXPECT_TRUE(Record().empty());

    // A right press on Home saves the position and opens no context menu.
    EXPECT_EQ(dlg.GetDlgItem(ids::kHome)->contextMenuPolicy(), Qt::PreventContextMenu);
    QTest::mousePress(dlg.GetDlgItem(ids::kHome), Qt::RightButton);
    EXPECT_EQ(services_.Messages(), (Lines{"Zoom Locked: Zoom is locked. See administrator.",
                                           "Save PTZ Position: Save PTZ Position"}));
}

TEST_F(SteeringWidgets, RepeatPairIsARepeatAndARealReleaseStops) {
    StartOn(14);
    Key(QEvent::KeyPress, Qt::Key_Up, 1000);
    for (uint64_t t = 1040; t <= 1160; t += 40)
        Key(QEvent::KeyPress, Qt::Key_Up, t, true);
    // A repeat the toolkit took for a real release and press (same timestamp), and one it
    // recognised.
    Key(QEvent::KeyRelease, Qt::Key_Up, 1200);
    Key(QEvent::KeyPress, Qt::Key_Up, 1200);
    Key(QEvent::KeyRelease, Qt::Key_Up, 1240, true);
    Key(QEvent::KeyPress, Qt::Key_Up, 1240, true);
    QTest::qWait(ui::KeyFilter::kRepeatPairWindowMs * 2);
    Lines moving(4, "command 161 @ 0 ms");  // the press and three repeats step, then it moves
    moving.push_back("command 61 @ 250 ms");
    EXPECT_EQ(Record(), moving);

    Key(QEvent::KeyRelease, Qt::Key_Up, 1500);
    EXPECT_EQ(Record(), moving);  // not yet: it could still be half of a repeat
    QTest::qWait(ui::KeyFilter::kRepeatPairWindowMs * 2);
    Lines stopped = moving;
    stopped.push_back("command 65 @ 335 ms");
    EXPECT_EQ(Record(), stopped);

    // A release followed by another key goes first.
    Key(QEvent::KeyPress, Qt::Key_Left, 2000, false, Qt::KeypadModifier);
    Key(QEvent::KeyRelease, Qt::Key_Left, 2100, false, Qt::KeypadModifier);
    Key(QEvent::KeyPress, Qt::Key_Left, 2300, false, Qt::KeypadModifier);
    stopped.insert(stopped.end(),
                   {"command 164 @ 335 ms", "command 65 @ 420 ms", "command 164 @ 420 ms"});
    EXPECT_EQ(Record(), stopped);
}

TEST_F(SteeringWidgets, HandledKeysNeverReachAFocusedRadioButton) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    dlg.m_NudgeCount = 4;
    dlg.GotoDlgCtrl(ids::kFlashOff);
    Key(QEvent::KeyPress, Qt::Key_Down, 100);
    Key(QEvent::KeyPress, Qt::Key_Right, 100);
    Key(QEvent::KeyPress, Qt::Key_Plus, 100);  // the main keyboard's plus is no zoom key
    Key(QEvent::KeyPress, Qt::Key_Plus, 100, false, Qt::KeypadModifier);
    EXPECT_TRUE(dlg.IsDlgButtonChecked(ids::kFlashOff));
    EXPECT_FALSE(dlg.IsDlgButtonChecked(ids::kFlashOn));
    EXPECT_EQ(dlg.focusWidget(), dlg.GetDlgItem(ids::kFlashOff));
    EXPECT_EQ(Record(), (Lines{"command 62 @ 0 ms", "command 64 @ 0 ms", "command 1 @ 0 ms"}));
    EXPECT_TRUE(services_.Messages().empty());
}

TEST_F(SteeringWidgets, KeyDownBoxOnlyForAnUnhandledKeyWithNoControlFocused) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    dlg.GotoDlgCtrl(ids::kCapture);
    Key(QEvent::KeyPress, Qt::Key_A, 100);
    EXPECT_TRUE(services_.Messages().empty());

    dlg.focusWidget()->clearFocus();
    ASSERT_EQ(dlg.focusWidget(), nullptr);
    for (int key : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Up, Qt::Key_Tab})
        Key(QEvent::KeyPress, key, 200);
    EXPECT_TRUE(services_.Messages().empty());
    if (QWidget* focus = dlg.focusWidget())  // Tab went on to a control
        focus->clearFocus();
    Key(QEvent::KeyPress, Qt::Key_A, 300);
    EXPECT_EQ(services_.Messages(), Lines{": Key Down"});
}

// That the next press then starts afresh is the steering machine's (SteeringTest); here, losing
// the keyboard stops what the keys started and clears the dialog's held state.
TEST_F(SteeringWidgets, LosingTheKeyboardStopsHeldKeysAndForgetsThem) {
    CTRIPOD01Dlg& dlg = StartOn(14);
    dlg.m_NudgeCount = 4;
    Key(QEvent::KeyPress, Qt::Key_Left, 100);
    Key(QEvent::KeyPress, Qt::Key_Minus, 100, false, Qt::KeypadModifier);
    Key(QEvent::KeyPress, Qt::Key_Shift, 100);
    QEvent deactivate(QEvent::WindowDeactivate);
    QCoreApplication::sendEvent(&dlg, &deactivate);
    EXPECT_EQ(Record(), (Lines{"command 63 @ 0 ms", "command 2 @ 0 ms", "command 73 @ 0 ms",
                               "command 3 @ 0 ms", "command 65 @ 100 ms"}));
    EXPECT_EQ(dlg.m_LeftActive + dlg.m_ZoomOutKeyDown + dlg.m_ShiftDown + dlg.m_NudgeCount, 0);
}

}  // namespace
