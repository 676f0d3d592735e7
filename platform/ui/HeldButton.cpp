// Hold-to-move buttons: the press, the release over the button and the release elsewhere, as
// the dialog's cursor notifications.
#include "platform/ui/HeldButton.h"

#include <QMouseEvent>
#include <QWidget>

#include "platform/ui/Dialog.h"
#include "platform/ui/Services.h"

namespace ui {

HeldButtons::HeldButtons(Dialog& dialog) : dialog_(dialog) {}

void HeldButtons::Watch(int id) {
    if (QWidget* control = dialog_.GetDlgItem(id)) {
        holdToMove_[control] = id;
        control->installEventFilter(this);
    }
}

void HeldButtons::TakeRightPress(int id) {
    if (QWidget* control = dialog_.GetDlgItem(id)) {
        rightPress_[control] = id;
        control->setContextMenuPolicy(Qt::PreventContextMenu);
        control->installEventFilter(this);
    }
}

bool HeldButtons::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseButtonRelease) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const bool press = type != QEvent::MouseButtonRelease;

    if (mouse->button() == Qt::RightButton && press) {
        const auto it = rightPress_.find(watched);
        return it != rightPress_.end() && dialog_.RunAsHandler([&] {
            return dialog_.OnSetCursor(it->second, MouseMessage::kRightButtonDown);
        });
    }
    if (mouse->button() != Qt::LeftButton)
        return false;
    const auto it = holdToMove_.find(watched);
    if (it == holdToMove_.end())
        return false;
    const int id = it->second;

    if (press) {
        const int boxesBefore = MessageBoxesShown();
        dialog_.RunAsHandler(
            [&] { return dialog_.OnSetCursor(id, MouseMessage::kLeftButtonDown); });
        if (MessageBoxesShown() != boxesBefore) {
            held_ = 0;
            return true;  // answered with a box: the button must not stay down under it
        }
        held_ = id;
        return false;
    }
    if (held_ != id)
        return false;  // its press was swallowed, or never came here
    held_ = 0;
    const auto* control = static_cast<const QWidget*>(watched);
    const bool over = control->rect().contains(mouse->position().toPoint());
    dialog_.RunAsHandler(
        [&] { return dialog_.OnSetCursor(over ? id : 0, MouseMessage::kMouseMove); });
    return false;
}

}  // namespace ui
