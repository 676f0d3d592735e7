// Turns SIGTERM and SIGINT (desktop log-out, Ctrl+C in a terminal) into the window's close
// request, so a program ended from outside shuts down exactly as if its close box was pressed.
#pragma once

class QWidget;

namespace ui {

// Catches SIGTERM and SIGINT from now on and unblocks them (a blocked signal would wait for
// ever): a signal is kept until CloseOnTerminationSignals hands it to the window. Call it first
// thing in main, so that a signal in the first moments of start-up does not end the process
// before anything is in place. Needs no QApplication.
void CatchTerminationSignals();

// True once a caught signal waits to be handed on (it stays waiting).
bool TerminationRequested();

// From now on SIGTERM and SIGINT close `window` (through QWidget::close, on the window's own
// thread, once the event loop runs); one caught before is handed on then too. Call once, with
// the window that ends the program.
void CloseOnTerminationSignals(QWidget* window);

}  // namespace ui
