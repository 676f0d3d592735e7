// An up-down control: a pair of arrow buttons with an id of its own that steps a number shown
// in a companion ("buddy") edit, which has its own id.
//
// A step starts from the number the buddy shows (the last position when the buddy shows no
// number), moves it by one within the range, shows the result in the buddy and then notifies:
// a step at a limit still notifies, with the position unchanged, so a handler that acts on
// every press (resending a camera setting) does so. A held arrow repeats. The Up and Down keys
// step while the control or its buddy has the focus. A disabled control does not step.
// SetPos, a change by code, shows the position and notifies nothing.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace ui {

struct UpDownStep {
    int position = 0;  // after the step
    int delta = 0;     // +1 up, -1 down
};

class UpDown : public QWidget {
    Q_OBJECT

  public:
    explicit UpDown(QWidget* parent = nullptr);

    // The position stays within lower..upper (either may be the larger).
    void SetRange(int lower, int upper);

    // The edit that shows the position; its Up and Down keys step the control.
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return buddy_; }

    // Sets and shows the position, held within the range.
    void SetPos(int position);
    int GetPos() const { return position_; }

    // One step as the user makes it: +1 up, -1 down.
    void Step(int delta);
    UpDownStep LastStep() const { return last_; }

  signals:
    void stepped();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    int Clamp(int position) const;
    bool StepForKey(int key);

    QToolButton* up_;
    QToolButton* down_;
    QLineEdit* buddy_ = nullptr;
    int lower_ = 0;
    int upper_ = 100;
    int position_ = 0;
    UpDownStep last_;
};

}  // namespace ui
