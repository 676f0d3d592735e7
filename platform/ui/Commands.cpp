// Commands by control id, the dialog's key filter and held buttons, and the default keyboard
// and pointer hooks.
//
// Only what the user does is a command: a button's clicked (not a check by code), an edit's
// textEdited (not setText), a slider's actionTriggered (keys, wheel, clicks on the groove
// and drags, not setValue) and an up-down control's step (not SetPos).
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QLineEdit>

#include "platform/ui/Dialog.h"
#include "platform/ui/UpDown.h"

namespace ui {

void Dialog::MapCommand(int id, std::function<void()> handler) {
    const bool connected = commands_.count(id) != 0;
    commands_[id] = std::move(handler);
    if (connected)
        return;
    QWidget* control = GetDlgItem(id);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        connect(slider, &QAbstractSlider::actionTriggered, this, [this, id, slider] {
            // The action has moved the slider's position but not yet its value; the handler
            // reads the value.
            slider->setValue(slider->sliderPosition());
            OnCommand(id);
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textEdited, this, [this, id] { OnCommand(id); });
    } else if (auto* upDown = qobject_cast<UpDown*>(control)) {
        connect(upDown, &UpDown::stepped, this, [this, id] { OnCommand(id); });
    }
}

void Dialog::MapStep(int id, std::function<void(const UpDownStep&)> handler) {
    MapCommand(id, [this, id, handler = std::move(handler)] {
        if (const auto* upDown = Item<UpDown>(id))
            handler(upDown->LastStep());
    });
}

void Dialog::OnCommand(int id) {
    const auto it = commands_.find(id);
    if (it != commands_.end())
        RunAsHandler(it->second);
}

void Dialog::FilterKeys() {
    if (!keyFilter_)
        keyFilter_ = std::make_unique<KeyFilter>(*this);
}

HeldButtons& Dialog::PointerButtons() {
    if (!heldButtons_)
        heldButtons_ = std::make_unique<HeldButtons>(*this);
    return *heldButtons_;
}

bool Dialog::PreTranslateMessage(const KeyMessage&) {
    return false;
}
void Dialog::OnKeyDown(int) {}
void Dialog::OnFocusLost() {}
bool Dialog::OnSetCursor(int, MouseMessage) {
    return false;
}

}  // namespace ui
