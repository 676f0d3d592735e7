// The real program as an operator or a desktop session runs it: started on the simulated
// camera it comes up, and a SIGTERM (log-out, Ctrl+C) closes it cleanly with its settings
// saved, even one that comes in the first moments of start-up; without a camera it stops with
// its message and exit code.
//
// These tests run the program in real time, but never sleep a fixed time: they read the
// program's stderr while they wait and act on the lines it prints in unattended mode
// ("ready: live picture" once the first live frame is shown, "message: ..." for each box).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/registry/RegistryKey.h"
#include "tests/support/RowName.h"

namespace {

namespace fs = std::filesystem;
using Deadline = std::chrono::steady_clock::time_point;

Deadline In(int seconds) {
    return std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
}

// A running zelvocam and what it has printed on stderr so far.
struct Child {
    pid_t pid = -1;
    int stderrFd = -1;  // -1 once the program has closed it (it ended)
    std::string output;

    // Reads what the program prints until `until` holds, the program ends or the deadline
    // passes; returns whether `until` held.
    template <class Until>
    bool ReadUntil(Until until, Deadline deadline) {
        while (!until()) {
            if (stderrFd < 0)
                return false;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd readable{stderrFd, POLLIN, 0};
            if (poll(&readable, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = read(stderrFd, buffer, sizeof buffer);
            if (n > 0) {
                output.append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(stderrFd);
                stderrFd = -1;
            }
        }
        return true;
    }

    bool PrintedLine(std::string_view line) const {
        const std::string whole = "\n" + std::string(line) + "\n";
        return ("\n" + output).find(whole) != std::string::npos;
    }

    // Waits until the program has printed `line` (a whole line); false when it ended or the
    // deadline passed first.
    bool WaitForLine(std::string_view line, Deadline deadline) {
        return ReadUntil([&] { return PrintedLine(line); }, deadline);
    }

    // Reads everything up to the program's end and returns its exit status (128 + signal when
    // a signal ended it), or -1 when it had to be killed at the deadline.
    int Finish(Deadline deadline) {
        const bool ended = ReadUntil([&] { return stderrFd < 0; }, deadline);
        if (!ended)
            kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        if (stderrFd >= 0)
            close(stderrFd);
        if (!ended)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // The "message: ..." lines, in order.
    std::string MessageLines() const {
        std::string lines;
        size_t at = 0;
        while (at < output.size()) {
            size_t end = output.find('\n', at);
            if (end == std::string::npos)
                end = output.size();
            const std::string line = output.substr(at, end - at);
            if (line.rfind("message: ", 0) == 0)
                lines += line + "\n";
            at = end + 1;
        }
        return lines;
    }
};

class StationRun : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zelvocam-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
        setenv("XDG_DATA_HOME", home_.c_str(), 1);  // the host hand-off folder
        // A private runtime folder, so the run never meets (or closes) another station.
        const fs::path runtime = fs::path(home_) / "runtime";
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(home_); }

    // Starts zelvocam with the given device setting, unattended (messages and readiness on
    // stderr), offscreen.
    // Returns once the program has been executed. `blocked`: a signal the program starts with
    // blocked and already pending, as when a starter blocks it while it starts the program.
    // `display` false: every display variable set but empty, as a broken session leaves them.
    Child Start(const char* device, int blocked = 0, bool display = true) {
        int pipeFds[2], execFds[2];
        EXPECT_EQ(pipe2(pipeFds, O_CLOEXEC), 0);
        EXPECT_EQ(pipe2(execFds, O_CLOEXEC), 0);  // ends when the program is executed
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], STDERR_FILENO);
            setenv("ZELVOCAM_DEVICE", device, 1);
            setenv("ZELVOCAM_MESSAGES", "stderr", 1);
            setenv("QT_QPA_PLATFORM", display ? "offscreen" : "", 1);
            if (!display) {
                setenv("DISPLAY", "", 1);
                setenv("WAYLAND_DISPLAY", "", 1);
            }
            setenv("HOME", home_.c_str(), 1);
            if (blocked != 0) {
                sigset_t set;
                sigemptyset(&set);
                sigaddset(&set, blocked);
                sigprocmask(SIG_BLOCK, &set, nullptr);
                raise(blocked);
            }
            execl(ZELVOCAM_BINARY, ZELVOCAM_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        close(execFds[1]);
        char none;
        while (read(execFds[0], &none, 1) < 0 && errno == EINTR) {
        }
        close(execFds[0]);
        Child child;
        child.pid = pid;
        child.stderrFd = pipeFds[0];
        return child;
    }

    fs::path SettingsFile() const {
        return RegistryKey::RootFolder() / "Software" / "ZelvoCam USB.reg";
    }

    std::string home_;
};

TEST_F(StationRun, SimulatedCameraRunsAndSigtermClosesWithTheSettingsSaved) {
    Child run = Start("sim");
    ASSERT_TRUE(run.WaitForLine("ready: live picture", In(60))) << run.output;
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.Finish(In(60)), 0) << run.output;
    EXPECT_EQ(run.MessageLines(), "");

    ASSERT_TRUE(fs::exists(SettingsFile()));
    RegistryKey key("Software\\ZelvoCam USB");
    uint32_t value = 0;
    EXPECT_TRUE(key.QueryDword("FlashDelay", value));  // written only by a full save
    ASSERT_TRUE(key.QueryDword("Capture Type", value));
    EXPECT_EQ(value, 5u);  // set at the end of start-up: the station really came up
}

// Whether `pid` has a handler for `signal` yet, as /proc/PID/status shows it ("SigCgt:" in hex).
bool Catches(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1) != 0;
    }
    return false;
}

// A log-out (SIGTERM) or Ctrl+C (SIGINT) at start-up closes the station with exit code 0: one
// sent before the program runs at all (pending while its starter blocks it), and one this long
// after the program has installed its handler (before its window exists, while it starts up).
struct EarlySignal {
    const char* name;
    int signal;
    int afterMs;  // -1: sent before the program runs
};

class SignalAtStartUp : public StationRun, public testing::WithParamInterface<EarlySignal> {};

TEST_P(SignalAtStartUp, ClosesCleanly) {
    const bool beforeItRuns = GetParam().afterMs < 0;
    Child run = Start("sim", beforeItRuns ? GetParam().signal : 0);
    if (!beforeItRuns) {
        while (!Catches(run.pid, GetParam().signal) && kill(run.pid, 0) == 0)
            usleep(200);
        usleep(GetParam().afterMs * 1000);
    }
    kill(run.pid, GetParam().signal);
    EXPECT_EQ(run.Finish(In(30)), 0) << run.output;
    EXPECT_EQ(run.MessageLines(), "");
}

INSTANTIATE_TEST_SUITE_P(StationRun, SignalAtStartUp,
                         testing::Values(EarlySignal{"SigtermBeforeItRuns", SIGTERM, -1},
                                         EarlySignal{"SigintBeforeItRuns", SIGINT, -1},
                                         EarlySignal{"SigtermAtOnce", SIGTERM, 0},
                                         EarlySignal{"SigintAfter200ms", SIGINT, 200}),
                         RowName{});

// The camera unplugged while the station runs and plugged in again: the live picture comes back
// by itself within two seconds of the replug, and the close after it keeps the stored zoom.
struct Replug {
    const char* name;
    const char* device;  // unplugged 4 s after it is opened, back 1 s later
};

class CameraComesBack : public StationRun, public testing::WithParamInterface<Replug> {};

TEST_P(CameraComesBack, LivePictureResumesAndTheZoomIsKept) {
    {
        RegistryKey key("Software\\ZelvoCam USB");
        ASSERT_TRUE(key.SetDword("Zoom Position", 3000));
    }
    Child run = Start(GetParam().device);
    ASSERT_TRUE(run.WaitForLine("ready: live picture", In(60))) << run.output;
    ASSERT_TRUE(run.WaitForLine("ready: camera disconnected", In(30))) << run.output;
    const auto gone = std::chrono::steady_clock::now();
    ASSERT_TRUE(run.WaitForLine("ready: live picture again", In(30))) << run.output;
    EXPECT_LE(std::chrono::steady_clock::now() - gone, std::chrono::milliseconds(3000))
        << "more than two seconds after the replug";
    ASSERT_TRUE(run.WaitForLine("ready: camera back", In(30))) << run.output;
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.Finish(In(60)), 0) << run.output;
    EXPECT_EQ(run.MessageLines(), "");
    RegistryKey key("Software\\ZelvoCam USB");
    uint32_t zoom = 0;
    ASSERT_TRUE(key.QueryDword("Zoom Position", zoom));
    EXPECT_NEAR(zoom, 3000, 30);
}

INSTANTIATE_TEST_SUITE_P(
    StationRun, CameraComesBack,
    testing::Values(Replug{"Simulated", "sim:14,unplug-after=4s,replug-after=1s"},
                    Replug{"EmulatedUvc", "v4l2-sim:1,unplug-after=4s,replug-after=1s"}),
    RowName{});

TEST_F(StationRun, MissingDeviceStopsWithError0AndExit1) {
    Child run = Start("/nonexistent");
    EXPECT_EQ(run.Finish(In(60)), 1) << run.output;
    EXPECT_EQ(run.MessageLines(), "message: Error 0: Failure to start device\n");
}

TEST_F(StationRun, EmptyDisplayVariablesStopWithTheNoDisplayLineAndExit3) {
    Child run = Start("sim", 0, /*display=*/false);
    EXPECT_EQ(run.Finish(In(60)), 3) << run.output;
    EXPECT_NE(run.output.find("zelvocam: no display."), std::string::npos) << run.output;
}

}  // namespace
