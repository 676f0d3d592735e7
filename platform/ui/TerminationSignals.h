// Turns SIGTERM and SIGINT (desktop log-out, Ctrl+C in a terminal) into the window's close
// request, so a program ended from outside shuts down exactly as if its close box was pressed.
#pragma once

class QWidget;

namespace ui {

// From now on SIGTERM and SIGINT close `window` (through QWidget::close, on the window's own
// thread, once the event loop runs). Call once, with the window that ends the program.
void CloseOnTerminationSignals(QWidget* window);

}  // namespace ui
