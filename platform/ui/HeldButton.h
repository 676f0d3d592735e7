// Buttons that act while they are held, and buttons that take the right mouse button.
//
// A hold-to-move button starts something when pressed and stops it when let go. The dialog
// learns of the pointer through its OnSetCursor hook, with the control under the pointer and
// what the pointer did, in three cases:
//   - kLeftButtonDown on the button: the left button went down on it (a double-click counts as
//     a press);
//   - kMouseMove on the button: the left button came up over the button it went down on;
//   - kMouseMove on no control (id 0): it came up anywhere else.
// While the button is held the pointer belongs to it, so nothing else arrives in between. A
// press that the dialog answers with a message box never reaches the button, which would
// otherwise stay down under the box.
//
// A control that takes the right button offers its right press to the dialog
// (kRightButtonDown); a press the dialog takes goes no further, and the control never opens a
// context menu (neither its own nor the dialog's).
#pragma once

#include <QObject>
#include <map>

namespace ui {

class Dialog;

enum class MouseMessage { kLeftButtonDown, kMouseMove, kRightButtonDown };

class HeldButtons : public QObject {
    Q_OBJECT

  public:
    explicit HeldButtons(Dialog& dialog);

    // The control `id` of the dialog is a hold-to-move button.
    void Watch(int id);
    // The control `id` offers its right press to the dialog.
    void TakeRightPress(int id);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Dialog& dialog_;
    std::map<const QObject*, int> holdToMove_;  // control -> id
    std::map<const QObject*, int> rightPress_;
    int held_ = 0;
};

}  // namespace ui
