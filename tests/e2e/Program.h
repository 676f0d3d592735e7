// The real programs of the end-to-end tests as child processes, each test in a private folder of
// its own (settings, hand-off folder, runtime folder): started with stdout and stderr on pipes,
// read while they run, never slept on for a fixed time, and killed if a test leaves them running.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/RegistryKey.h"

namespace e2e {

namespace fs = std::filesystem;
using Deadline = std::chrono::steady_clock::time_point;

inline Deadline In(int seconds) {
    return std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
}

// A started program and what it has printed so far.
struct Program {
    pid_t pid = -1;
    int fds[2] = {-1, -1};  // stdout, stderr; -1 once read to their end
    std::string out, err;
    bool reaped = false;
    int status = -1;  // once reaped: the exit code, 128 + signal when a signal ended it

    Program() = default;
    Program(const Program&) = delete;
    ~Program() {
        if (pid > 0 && !reaped) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        for (int fd : fds) {
            if (fd >= 0)
                close(fd);
        }
    }

    // Reads what the program prints until `until` holds, it has closed both pipes or the
    // deadline passes; whether `until` held.
    template <class Until>
    bool ReadUntil(Until until, Deadline deadline) {
        while (!until()) {
            pollfd open[2];
            nfds_t n = 0;
            for (int fd : fds) {
                if (fd >= 0)
                    open[n++] = {fd, POLLIN, 0};
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (n == 0 || left.count() <= 0)
                return false;
            if (poll(open, n, static_cast<int>(left.count())) <= 0)
                continue;
            for (nfds_t i = 0; i < n; ++i) {
                if (open[i].revents == 0)
                    continue;
                const int which = open[i].fd == fds[0] ? 0 : 1;
                char buffer[4096];
                const ssize_t got = read(fds[which], buffer, sizeof buffer);
                if (got > 0) {
                    (which == 0 ? out : err).append(buffer, static_cast<size_t>(got));
                } else if (got == 0 || errno != EINTR) {
                    close(fds[which]);
                    fds[which] = -1;
                }
            }
        }
        return true;
    }

    // Waits until the program has printed `line` (a whole line) on stderr; false when it ended
    // or the deadline passed first.
    bool WaitForLine(std::string_view line, Deadline deadline) {
        const std::string whole = "\n" + std::string(line) + "\n";
        return ReadUntil([&] { return ("\n" + err).find(whole) != std::string::npos; }, deadline);
    }

    // Whether the program still runs; reaps it once it has ended.
    bool Running() {
        int raw = 0;
        if (!reaped && waitpid(pid, &raw, WNOHANG) == pid) {
            reaped = true;
            status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        return !reaped;
    }

    // Reads everything up to the program's end and returns its exit status, or -1 when it had
    // to be killed at the deadline.
    int Finish(Deadline deadline) {
        const bool ended = ReadUntil([&] { return fds[0] < 0 && fds[1] < 0; }, deadline);
        if (!ended)
            kill(pid, SIGKILL);
        while (Running())
            usleep(1000);
        if (!ended)
            status = -1;
        return status;
    }

    // The "message: ..." lines on stderr, in order.
    std::string MessageLines() const {
        std::string lines;
        std::istringstream in(err);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("message: ", 0) == 0)
                lines += line + "\n";
        }
        return lines;
    }
};

class ProgramRun : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zelvocam-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        // A private runtime folder, so the run never meets (or closes) another station.
        fs::create_directories(root_ / "runtime");
        fs::permissions(root_ / "runtime", fs::perms::owner_all);
        setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        setenv("XDG_DATA_HOME", root_.c_str(), 1);  // the host hand-off folder
        setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
    }
    void TearDown() override {
        started_.clear();
        fs::remove_all(root_);
    }

    // Starts `binary` with `args` on the simulated camera, unattended (messages and readiness on
    // stderr), offscreen, and returns once it runs; `prepare` runs in the child just before.
    Program& Start(
        const char* binary, std::vector<std::string> args,
        const std::function<void()>& prepare = [] {}) {
        int out[2], err[2], exec[2];
        EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(err, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(exec, O_CLOEXEC), 0);  // ends when the program is executed
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            setenv("ZELVOCAM_DEVICE", "sim", 1);
            setenv("ZELVOCAM_MESSAGES", "stderr", 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("HOME", root_.c_str(), 1);
            prepare();
            std::vector<char*> argv{const_cast<char*>(binary)};
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(binary, argv.data());
            _exit(127);
        }
        for (int fd : {out[1], err[1], exec[1]})
            close(fd);
        char none;
        while (read(exec[0], &none, 1) < 0 && errno == EINTR) {
        }
        close(exec[0]);
        Program& started = started_.emplace_back();
        started.pid = pid;
        started.fds[0] = out[0];
        started.fds[1] = err[0];
        return started;
    }

    // The station's settings key: its file, and a value as the runs left it.
    static fs::path SettingsFile() {
        return RegistryKey::RootFolder() / "Software" / "ZelvoCam USB.reg";
    }
    static std::optional<uint32_t> Stored(const char* name) {
        uint32_t value = 0;
        if (!RegistryKey("Software\\ZelvoCam USB").QueryDword(name, value))
            return std::nullopt;
        return value;
    }

    fs::path root_;
    std::deque<Program> started_;
};

}  // namespace e2e
