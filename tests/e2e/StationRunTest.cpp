// The real program as an operator or a desktop session runs it: started on the simulated
// camera it comes up, and a SIGTERM (log-out, Ctrl+C) closes it cleanly with its settings
// saved, even one that comes in the first moments of start-up; without a camera it stops with
// its message and exit code.
//
// These tests run the program in real time, but never sleep a fixed time: they read the
// program's stderr while they wait and act on the lines it prints in unattended mode
// ("ready: live picture" once the first live frame is shown, "message: ..." for each box).
#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/registry/RegistryKey.h"
#include "tests/e2e/Program.h"
#include "tests/support/RowName.h"

namespace {

namespace fs = std::filesystem;
using e2e::In;
using e2e::Program;

class StationRun : public e2e::ProgramRun {
  protected:
    // Starts zelvocam with the given device setting. `blocked`: a signal the program starts with
    // blocked and already pending, as when a starter blocks it while it starts the program.
    // `display` false: every display variable set but empty, as a broken session leaves them.
    Program& Start(const char* device, int blocked = 0, bool display = true) {
        return ProgramRun::Start(ZELVOCAM_BINARY, {}, [=] {
            setenv("ZELVOCAM_DEVICE", device, 1);
            if (!display) {
                setenv("QT_QPA_PLATFORM", "", 1);
                setenv("DISPLAY", "", 1);
                setenv("WAYLAND_DISPLAY", "", 1);
            }
            if (blocked != 0) {
                sigset_t set;
                sigemptyset(&set);
                sigaddset(&set, blocked);
                sigprocmask(SIG_BLOCK, &set, nullptr);
                raise(blocked);
            }
        });
    }
};

TEST_F(StationRun, SimulatedCameraRunsAndSigtermClosesWithTheSettingsSaved) {
    Program& run = Start("sim");
    ASSERT_TRUE(run.WaitForLine("ready: live picture", In(60))) << run.err;
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.Finish(In(60)), 0) << run.err;
    EXPECT_EQ(run.MessageLines(), "");

    ASSERT_TRUE(fs::exists(SettingsFile()));
    EXPECT_TRUE(Stored("FlashDelay"));      // written only by a full save
    EXPECT_EQ(Stored("Capture Type"), 5u);  // set at the end of start-up: the station came up
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
    Program& run = Start("sim", beforeItRuns ? GetParam().signal : 0);
    if (!beforeItRuns) {
        while (!Catches(run.pid, GetParam().signal) && kill(run.pid, 0) == 0)
            usleep(200);
        usleep(GetParam().afterMs * 1000);
    }
    kill(run.pid, GetParam().signal);
    EXPECT_EQ(run.Finish(In(30)), 0) << run.err;
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
    Program& run = Start(GetParam().device);
    ASSERT_TRUE(run.WaitForLine("ready: live picture", In(60))) << run.err;
    ASSERT_TRUE(run.WaitForLine("ready: camera disconnected", In(30))) << run.err;
    const auto gone = std::chrono::steady_clock::now();
    ASSERT_TRUE(run.WaitForLine("ready: live picture again", In(30))) << run.err;
    EXPECT_LE(std::chrono::steady_clock::now() - gone, std::chrono::milliseconds(3000))
        << "more than two seconds after the replug";
    ASSERT_TRUE(run.WaitForLine("ready: camera back", In(30))) << run.err;
    kill(run.pid, SIGTERM);
    EXPECT_EQ(run.Finish(In(60)), 0) << run.err;
    EXPECT_EQ(run.MessageLines(), "");
    EXPECT_NEAR(Stored("Zoom Position").value_or(0), 3000, 30);  // missing would read 0
}

INSTANTIATE_TEST_SUITE_P(
    StationRun, CameraComesBack,
    testing::Values(Replug{"Simulated", "sim:14,unplug-after=4s,replug-after=1s"},
                    Replug{"EmulatedUvc", "v4l2-sim:1,unplug-after=4s,replug-after=1s"}),
    RowName{});

TEST_F(StationRun, MissingDeviceStopsWithError0AndExit1) {
    Program& run = Start("/nonexistent");
    EXPECT_EQ(run.Finish(In(60)), 1) << run.err;
    EXPECT_EQ(run.MessageLines(), "message: Error 0: Failure to start device\n");
}

TEST_F(StationRun, EmptyDisplayVariablesStopWithTheNoDisplayLineAndExit3) {
    Program& run = Start("sim", 0, /*display=*/false);
    EXPECT_EQ(run.Finish(In(60)), 3) << run.err;
    EXPECT_NE(run.err.find("zelvocam: no display."), std::string::npos) << run.err;
}

}  // namespace
