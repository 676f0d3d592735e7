// Signal handlers may only do async-signal-safe work: they write one byte into a socket pair,
// and a notifier on the other end delivers the close request in the event loop.
//
// The pair is non-blocking: a burst of signals that fills it must not block the handler (and
// with it the interrupted code) for ever; the bytes already there wake the loop anyway. It is
// close-on-exec, so no program started later inherits it. The handler keeps errno as the
// interrupted code left it, since a failed write would otherwise change it under that code.
#include "platform/ui/TerminationSignals.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>

namespace ui {
namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void WakeOnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

void CatchTerminationSignals() {
    if (g_signalPipe[0] < 0 &&
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = WakeOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    sigset_t caught;
    sigemptyset(&caught);
    sigaddset(&caught, SIGTERM);
    sigaddset(&caught, SIGINT);
    ::sigprocmask(SIG_UNBLOCK, &caught, nullptr);
}

bool TerminationRequested() {
    if (g_signalPipe[1] < 0)
        return false;
    pollfd readable{g_signalPipe[1], POLLIN, 0};
    return ::poll(&readable, 1, 0) > 0 && (readable.revents & POLLIN) != 0;
}

void CloseOnTerminationSignals(QWidget* window) {
    CatchTerminationSignals();
    if (g_signalPipe[1] < 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, window);
    QPointer<QWidget> target(window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [target] {
        // Any number of signals is one close request.
        char buffer[64];
        while (::read(g_signalPipe[1], buffer, sizeof buffer) > 0) {
        }
        if (target)
            target->close();
    });
}

}  // namespace ui
