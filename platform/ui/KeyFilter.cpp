// Key pre-translation: the station's key codes, the repeat pairs and the dialog's key hooks.
#include "platform/ui/KeyFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWindow>

#include "platform/ui/Dialog.h"

namespace ui {

int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    switch (qtKey) {
        case Qt::Key_Shift:
            return kVkShift;
        case Qt::Key_Control:
            return kVkControl;
        case Qt::Key_Left:
            return kVkLeft;
        case Qt::Key_Up:
            return kVkUp;
        case Qt::Key_Right:
            return kVkRight;
        case Qt::Key_Down:
            return kVkDown;
        case Qt::Key_Plus:
            return keypad ? kVkAdd : 0;
        case Qt::Key_Minus:
            return keypad ? kVkSubtract : 0;
        default:
            return 0;
    }
}

KeyFilter::KeyFilter(Dialog& dialog) : dialog_(dialog) {
    releaseTimer_.setSingleShot(true);
    releaseTimer_.setInterval(kRepeatPairWindowMs);
    connect(&releaseTimer_, &QTimer::timeout, this, [this] { DeliverHeldRelease(); });
    QCoreApplication::instance()->installEventFilter(this);
}

KeyFilter::~KeyFilter() = default;

bool KeyFilter::DeliverHeldRelease() {
    if (!held_)
        return false;
    const int virtualKey = held_->virtualKey;
    held_.reset();
    releaseTimer_.stop();
    dialog_.RunAsHandler([&] {
        return dialog_.PreTranslateMessage({KeyMessage::kKeyUp, virtualKey});
    });
    return true;
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == dialog_.windowHandle() && watched != nullptr) {
            const int virtualKey = VirtualKeyOf(key->key(), key->modifiers());
            if (virtualKey == 0) {
                DeliverHeldRelease();  // keys keep their order
                return false;
            }
            return FilterWindowKey(type, virtualKey, key->timestamp(), key->isAutoRepeat());
        }
        if (watched == &dialog_ && type == QEvent::KeyPress)
            NoticeKeyDownOnDialog(key->key(), key->modifiers());
        return false;
    }
    if (type == QEvent::WindowDeactivate && watched == &dialog_) {
        DeliverHeldRelease();
        dialog_.RunAsHandler([&] { dialog_.OnFocusLost(); });
    }
    return false;
}

bool KeyFilter::FilterWindowKey(QEvent::Type type, int virtualKey, uint64_t timestamp,
                                bool autoRepeat) {
    if (type == QEvent::KeyRelease) {
        // A release the toolkit knows to be half of a repeat: the key is still held.
        if (autoRepeat)
            return true;
        DeliverHeldRelease();
        held_ = HeldRelease{virtualKey, timestamp};
        releaseTimer_.start();
        return true;
    }
    if (held_ && held_->virtualKey == virtualKey && held_->timestamp == timestamp) {
        held_.reset();  // the release and this press are one auto-repeat
        releaseTimer_.stop();
    } else {
        DeliverHeldRelease();
    }
    return dialog_.RunAsHandler([&] {
        return dialog_.PreTranslateMessage({KeyMessage::kKeyDown, virtualKey});
    });
}

void KeyFilter::NoticeKeyDownOnDialog(int qtKey, Qt::KeyboardModifiers modifiers) {
    const QWidget* focus = dialog_.focusWidget();
    if (focus != nullptr && focus != &dialog_)
        return;  // a control had the key and let it go up to the dialog
    if (modifiers.testFlag(Qt::AltModifier))
        return;  // menu and system keys
    switch (qtKey) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_F1:
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_unknown:
            return;
        default:
            dialog_.RunAsHandler([&] { dialog_.OnKeyDown(qtKey); });
    }
}

}  // namespace ui
