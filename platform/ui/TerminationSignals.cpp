// Signal handlers may only do async-signal-safe work: they write one byte into a socket pair,
// and a notifier on the other end delivers the close request in the event loop.
#include "platform/ui/TerminationSignals.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>

namespace ui {
namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void WakeOnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
}

}  // namespace

void CloseOnTerminationSignals(QWidget* window) {
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, window);
    QPointer<QWidget> target(window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [target] {
        char buffer[16];
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[1], buffer, sizeof buffer);
        if (target)
            target->close();
    });
    struct sigaction action {};
    action.sa_handler = WakeOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

}  // namespace ui
