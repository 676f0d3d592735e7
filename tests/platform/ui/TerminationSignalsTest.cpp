// SIGTERM and SIGINT reach the window through a socket pair written by the signal handler: the
// pair must never block the handler, nor be inherited by programs started later, and the handler
// must leave errno as the interrupted code had it.
#include "platform/ui/TerminationSignals.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <set>

namespace {

std::set<int> OpenSockets() {
    std::set<int> sockets;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error);
        if (!error && target.string().rfind("socket:", 0) == 0)
            sockets.insert(std::stoi(entry.path().filename().string()));
    }
    return sockets;
}

void FillAndDrain(int fd, bool fill) {
    char block[4096] = {};
    for (const size_t size : {sizeof block, size_t{1}}) {
        while ((fill ? ::send(fd, block, size, MSG_DONTWAIT)
                     : ::recv(fd, block, size, MSG_DONTWAIT)) > 0) {
        }
    }
}

TEST(TerminationSignals, WakeUpPairIsNonBlockingCloseOnExecAndKeepsErrno) {
    struct sigaction oldTerm {
    }, oldInt{};
    sigaction(SIGTERM, nullptr, &oldTerm);
    sigaction(SIGINT, nullptr, &oldInt);
    const std::set<int> before = OpenSockets();
    QWidget window;
    ui::CloseOnTerminationSignals(&window);
    std::set<int> pair;
    for (int fd : OpenSockets()) {
        if (before.count(fd) == 0)
            pair.insert(fd);
    }
    ASSERT_EQ(pair.size(), 2u);
    for (int fd : pair) {
        EXPECT_NE(fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << "fd " << fd;
        EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << "fd " << fd;
    }
    ASSERT_FALSE(HasFailure()) << "a blocking pair would hang the signal below";

    // With the pair full the handler's write fails; the interrupted code must not notice.
    for (int fd : pair)
        FillAndDrain(fd, true);
    errno = EDOM;
    raise(SIGTERM);
    EXPECT_EQ(errno, EDOM);

    for (int fd : pair)
        FillAndDrain(fd, false);
    sigaction(SIGTERM, &oldTerm, nullptr);
    sigaction(SIGINT, &oldInt, nullptr);
}

}  // namespace
