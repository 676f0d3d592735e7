// A dialog whose controls are known by numeric id, with dialog data exchange and timers by id.
//
// Handlers of a dialog never touch a Qt widget directly: they show, hide, enable and move
// controls by id, and move values between the controls and the dialog's members with
// UpdateData(), which runs the dialog's DoDataExchange in one direction:
//   UpdateData(true)   controls -> members (checked; a bad entry stops the exchange with a
//                      message box and leaves the focus on the control)
//   UpdateData(false)  members -> controls
// Radio buttons belong to exclusive groups registered by id; unlike plain Qt radio buttons a
// group can also have no button checked (index -1).
//
// The close request. close() (QWidget::close, hence closeEvent) is the one way in for every
// request to close a dialog: the close box, Escape where a dialog's OnCancel asks to close,
// SIGTERM and SIGINT (TerminationSignals.h), a host application. A request is served so that
// OnClose never runs in the middle of another handler of the dialog:
//   - When the dialog is idle, OnClose runs at once and the dialog then ends (rejected).
//   - When the dialog is busy (one of its handlers runs, OnInitDialog included, or a message
//     box, file chooser or modal dialog opened over it waits), the request is queued. Open
//     menus are closed and what waits over the dialog is dismissed as if cancelled (a box
//     whose only button is OK is answered OK); while the request waits, new boxes are answered
//     at once and modal dialogs do not open (ModalRun.h), so the running handler returns
//     promptly. OnClose runs once, as soon as it has returned.
//   - A request while one is queued, while OnClose runs or after the dialog ended does nothing.
// A handler "runs" while the framework calls it (OnInitDialog from DoModal, OnTimer, OnOK and
// OnCancel, Enter and Escape) and while a function wrapped by Handler() runs: connect control
// signals and actions through Handler() so that their handlers count too.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QString>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/HeldButton.h"
#include "platform/ui/KeyFilter.h"

class QButtonGroup;
class QEventLoop;
class QTimer;

namespace ui {

class Dialog;
class UpDown;
struct ControlRow;
struct UpDownStep;

// An integer as the dialogs read one: optional blanks, an optional sign and decimal digits,
// optional trailing blanks, nothing else, and no overflow.
bool ParseInteger(const QString& text, int& value);

// One direction of data exchange; the helpers move one control's value each way.
class DataExchange {
  public:
    // A quiet exchange passes over a bad entry without a message (for a page that is going).
    DataExchange(Dialog& dialog, bool saveAndValidate, bool quiet = false)
        : dialog_(dialog), save_(saveAndValidate), quiet_(quiet) {}

    bool Saving() const { return save_; }
    bool Failed() const { return failed_; }

    // A radio group by its first control id: index of the checked button, -1 when none is.
    void Radio(int firstId, int& index);
    void Text(int id, std::string& value);
    void Text(int id, QString& value);
    // An integer typed into an edit: "Please enter an integer." when it is not one.
    void Int(int id, int& value);
    // After Int: "Please enter an integer between MIN and MAX." when outside the range.
    void IntRange(int id, int& value, int min, int max);
    // A slider's position.
    void Slider(int id, int& position);
    // A check box: 1 ticked, 0 not (any non-zero value ticks it).
    void Check(int id, int& value);

  private:
    void Fail(int id, const std::string& message);

    Dialog& dialog_;
    bool save_;
    bool quiet_;
    bool failed_ = false;
};

class Dialog : public QDialog {
    Q_OBJECT

  public:
    explicit Dialog(QWidget* parent = nullptr);
    ~Dialog() override;

    // Registers a control under its id; the dialog becomes its parent.
    void AddControl(int id, QWidget* control);
    // Makes and adds every control of a table (ControlRow.h), in its order: its id, place,
    // visibility and style as the row says; frames behind the controls.
    void AddControls(std::span<const ControlRow> rows);
    // Makes the radio buttons `ids` (already added, in order) one exclusive group; the group is
    // known by its first id.
    void AddRadioGroup(std::initializer_list<int> ids);

    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const {
        return qobject_cast<T*>(GetDlgItem(id));
    }

    void ShowItem(int id, bool show);
    void EnableItem(int id, bool enable);
    // Moves a control to (x, y) in client pixels, keeping its size.
    void MoveItem(int id, int x, int y);
    // Moves and sizes a control.
    void MoveItem(int id, int x, int y, int width, int height);
    QRect ItemRect(int id) const;
    bool IsItemVisible(int id) const;  // not hidden by the dialog (whether or not it is shown)
    void SetDlgItemText(int id, const QString& text);
    // An edit the user can read and select but not change.
    void SetItemReadOnly(int id, bool readOnly);
    bool IsItemReadOnly(int id) const;
    QString GetDlgItemText(int id) const;
    // Checks or unchecks a radio button or check box; unchecking the checked radio button
    // leaves its group with none checked.
    void CheckDlgButton(int id, bool checked);
    bool IsDlgButtonChecked(int id) const;
    void GotoDlgCtrl(int id);

    // Radio group helpers used by data exchange: index of the checked button or -1.
    int CheckedRadioIndex(int firstId) const;
    void CheckRadioIndex(int firstId, int index);

    bool UpdateData(bool saveAndValidate = true);
    // Controls -> members like UpdateData(true), but a bad entry stops the exchange without a
    // message box: for a page whose window is closing, where nobody could correct it.
    bool UpdateDataQuietly();

    // A repeating timer by id: SetTimer with a running id restarts it with the new interval.
    void SetTimer(int id, int intervalMs);
    void KillTimer(int id);
    bool IsTimerRunning(int id) const;
    int TimerInterval(int id) const;  // -1 when not running

    // Initialises the dialog and runs it modally; returns the code given to EndDialog. While a
    // close request waits (ModalRun.h) the dialog does not open and the result is Rejected.
    int DoModal();
    void EndDialog(int result);
    // Hide and show the window while its modal run goes on (a host hides the station this
    // way); EndDialog ends the run whether the window is shown or hidden.
    void HideKeepingModalRun();
    void ShowKeepingModalRun();

    // `handler` wrapped as one of this dialog's handlers, for connecting a control's signal.
    template <class F>
    auto Handler(F handler) {
        return [this, handler = std::move(handler)] {
            HandlerScope scope(*this);
            handler();
        };
    }
    // Runs `handler` at once as one of this dialog's handlers and returns what it returns (the
    // framework's own hooks: commands, keys, held buttons).
    template <class F>
    decltype(auto) RunAsHandler(F&& handler) {
        HandlerScope scope(*this);
        return std::forward<F>(handler)();
    }
    // Runs a queued close request unless the dialog is still busy; the framework calls it
    // whenever a handler or a modal run ends.
    void ServeWaitingClose();

    // The framework's hooks, public so that tests can drive them as the window system would.
    virtual bool OnInitDialog();
    virtual void OnTimer(int id);
    virtual void OnOK();      // Enter outside a push button; ends the dialog by default
    virtual void OnCancel();  // Escape; ends the dialog by default
    virtual void OnClose();   // the close request, before the dialog ends

    // --- commands by control id (Commands.cpp) ----------------------------------------------
    // Like a message map: a click of a button, a user's edit of an edit field, a user's move
    // of a slider and a step of an up-down control reach the one handler mapped to the
    // control's id; a value changed by code (data exchange, setValue, setText, SetPos)
    // notifies nothing. Mapping an id again replaces its handler.
    void MapCommand(int id, std::function<void()> handler);
    // An up-down control's step (UpDown.h) reaches `handler` with the position after it and its
    // direction; the step is the control's command.
    void MapStep(int id, std::function<void(const UpDownStep&)> handler);
    // Runs the handler mapped to `id`, if any; every command of a control arrives here.
    void OnCommand(int id);
    // A command map of the dialog `D`: each row's control runs one member function, or one
    // that takes the row's value (radio buttons that share a handler).
    template <class D>
    using CommandRow = std::pair<int, void (D::*)()>;
    template <class D>
    struct ValueCommandRow {
        int id;
        void (D::*handler)(int);
        int value;
    };
    template <class D, size_t N>
    void MapCommandTable(const CommandRow<D> (&map)[N]) {
        for (const auto& [id, handler] : map)
            MapCommand(id, [this, handler] { (static_cast<D*>(this)->*handler)(); });
    }
    template <class D, size_t N>
    void MapCommandTable(const ValueCommandRow<D> (&map)[N]) {
        for (const auto& [id, handler, value] : map)
            MapCommand(id, [this, handler, value] { (static_cast<D*>(this)->*handler)(value); });
    }

    // --- keyboard and pointer hooks (KeyFilter.h, HeldButton.h) ------------------------------
    // From now on the dialog's steering keys reach PreTranslateMessage, and OnKeyDown and
    // OnFocusLost are called.
    void FilterKeys();
    // The dialog's hold-to-move buttons and the controls that take the right button; their
    // pointer reaches OnSetCursor.
    HeldButtons& PointerButtons();
    // A steering key before any control sees it; true consumes it.
    virtual bool PreTranslateMessage(const KeyMessage& message);
    // A key-down that reached the dialog itself, with no control focused and no rule for it.
    virtual void OnKeyDown(int qtKey);
    // The dialog's window lost the keyboard to another window or application.
    virtual void OnFocusLost();
    // The pointer on a watched control (`id`, or 0 for anywhere else); true when handled.
    virtual bool OnSetCursor(int id, MouseMessage message);

  protected:
    virtual void DoDataExchange(DataExchange& dx);

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    void accept() override;

  private:
    // Marks a handler of the dialog as running; when the outermost one ends, a queued close
    // request is served.
    class HandlerScope {
      public:
        explicit HandlerScope(Dialog& dialog);
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

      private:
        QPointer<Dialog> dialog_;
    };

    bool Busy() const;
    void RunClose();

    struct RadioGroup {
        std::vector<int> ids;
        QButtonGroup* group;
    };

    std::map<int, QWidget*> controls_;
    // Commands and input (Commands.cpp). The helpers go before the dialog stops being one of
    // ours, so no key or pointer reaches a half-destroyed dialog.
    std::map<int, std::function<void()>> commands_;  // by control id
    std::unique_ptr<KeyFilter> keyFilter_;
    std::unique_ptr<HeldButtons> heldButtons_;
    std::map<int, RadioGroup> radioGroups_;  // by first id
    std::map<int, QTimer*> timers_;
    QEventLoop* modalLoop_ = nullptr;  // while DoModal runs
    bool ending_ = false;
    int handlersRunning_ = 0;
    bool closeQueued_ = false;  // a close request waits for the running handler
    bool closing_ = false;      // OnClose runs
};

}  // namespace ui
