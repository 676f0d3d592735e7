// Key pre-translation for a dialog: the keys the dialog steers with reach its
// PreTranslateMessage before any control sees them, in the station's own key codes.
//
// One filter per dialog (Dialog::FilterKeys), installed on the application. It looks only at key
// events sent to the dialog's own window, so message boxes, property sheets and other dialogs keep
// their keys. A key the filter maps (see VirtualKeyOf) goes to Dialog::PreTranslateMessage; when
// that consumes it, no control ever sees it. Auto-repeat presses are key-downs like the first one.
//
// X11 announces an auto-repeat as a release followed by a press with the same timestamp, and
// the toolkit does not always recognise the pair. So a release is held back for a moment: a
// press of the same key with the same timestamp within that moment makes the two one repeat
// (the press goes on as a key-down, the release is dropped); otherwise the release is
// delivered when the moment has passed, or at once when any other key or the loss of the
// keyboard comes first, so the order of keys is kept.
//
// The filter also tells the dialog of a key-down that reached the dialog itself with no control
// focused (Dialog::OnKeyDown; keys the window system or the dialog handle anyway, such as Tab,
// Escape, Enter, F1 and the modifiers, are left out), and of the dialog's window losing the
// keyboard to another window or application (Dialog::OnFocusLost), when a held key's release
// will never arrive.
#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>

namespace ui {

class Dialog;

// The station's key codes.
inline constexpr int kVkShift = 16;
inline constexpr int kVkControl = 17;
inline constexpr int kVkLeft = 37;
inline constexpr int kVkUp = 38;
inline constexpr int kVkRight = 39;
inline constexpr int kVkDown = 40;
inline constexpr int kVkAdd = 107;       // keypad plus
inline constexpr int kVkSubtract = 109;  // keypad minus

// The station's code of a key, or 0 for a key it does not steer with. The arrows count on the
// main keyboard and the keypad alike; plus and minus only on the keypad.
int VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);

struct KeyMessage {
    enum Kind { kKeyDown, kKeyUp };
    Kind kind;
    int virtualKey;
};

class KeyFilter : public QObject {
    Q_OBJECT

  public:
    // How long a release waits for the press that would make it half of a repeat.
    static constexpr int kRepeatPairWindowMs = 20;

    explicit KeyFilter(Dialog& dialog);
    ~KeyFilter() override;

    // Delivers a release held back for its repeat pair now; false when none waits.
    bool DeliverHeldRelease();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct HeldRelease {
        int virtualKey;
        uint64_t timestamp;
    };

    bool FilterWindowKey(QEvent::Type type, int virtualKey, uint64_t timestamp, bool autoRepeat);
    void NoticeKeyDownOnDialog(int qtKey, Qt::KeyboardModifiers modifiers);

    Dialog& dialog_;
    std::optional<HeldRelease> held_;
    QTimer releaseTimer_;
};

}  // namespace ui
