// What waits for the operator right now: the open modal runs (message boxes, file choosers,
// modal dialogs), innermost last, and whether a dialog's close request waits for them.
//
// A close request must not run a dialog's OnClose in the middle of a handler that is waiting
// for a box (see ui::Dialog). Every modal run of the framework is entered through a ModalRun,
// so a close request can tell that something still waits above the dialog, and can dismiss it
// rather than leave a desktop log-out waiting for somebody to click.
#pragma once

class QWidget;

namespace ui {

class Dialog;

class ModalRun {
  public:
    // `owner`: the window the run was opened for; nullptr for the whole application.
    // `window`: the box or dialog that waits, which DismissModalRunsOver answers; nullptr for a
    // run that answers by itself (a recorded or printed message box).
    ModalRun(QWidget* owner, QWidget* window);
    ~ModalRun();
    ModalRun(const ModalRun&) = delete;
    ModalRun& operator=(const ModalRun&) = delete;
};

// True while a run is open over `window`: one opened for it or for a window it owns, or, after
// its own modal run, one opened for the whole application.
bool ModalRunOpenOver(const QWidget* window);

// Closes every open menu and dismisses the runs over `window`, innermost first, as if
// cancelled: a modal ui::Dialog ends rejected, a message box is answered with its escape
// button (No for a question) or else its only button (OK), another dialog is rejected. Each run
// returns once control is back in its event loop.
void DismissModalRunsOver(const QWidget* window);

// True while some dialog's close request waits for a running handler to return. Meanwhile the
// program's own message boxes are answered OK and its questions No at once, its file choosers
// cancelled without showing, and modal dialogs do not open, so that the handler returns
// promptly.
bool CloseRequestWaiting();

// ui::Dialog's own bookkeeping: its close request starts or stops waiting. While it waits, the
// end of every modal run gives it a chance (from the event loop) to be served.
void NoteCloseWaiting(Dialog* dialog, bool waiting);

}  // namespace ui
