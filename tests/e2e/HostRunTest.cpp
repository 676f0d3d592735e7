// The real programs together, each test in its own private runtime folder: zelvocam on the
// simulated camera and zelvocam-host as a host script would run it. A host registers, hides,
// shows and closes the station; a newer station closes the older one, which saves first, even
// past sixteen idle connections, without XDG_RUNTIME_DIR and with a box open on the screen; two
// started at once end with one; a killed station's lock and socket are taken over at once; a
// stopped station drops the requests of those who left meanwhile.
#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/hostlink/HostClient.h"
#include "platform/registry/RegistryKey.h"
#include "tests/e2e/Program.h"
#include "tests/support/RowName.h"

namespace {

namespace fs = std::filesystem;
using e2e::In;
using e2e::Program;

class HostRun : public e2e::ProgramRun {
  protected:
    Program& StartStation() { return StartProgram(ZELVOCAM_BINARY, {}); }
    Program& StartHost(std::vector<std::string> args) {
        return StartProgram(ZELVOCAM_HOST_BINARY, std::move(args));
    }
    // A program on the test's X server or offscreen, with or without the runtime folder.
    Program& StartProgram(const char* binary, std::vector<std::string> args) {
        return Start(binary, std::move(args), [this] {
            if (!display_.empty()) {
                setenv("DISPLAY", display_.c_str(), 1);
                unsetenv("QT_QPA_PLATFORM");
            }
            if (withoutRuntimeFolder_) {  // then the programs meet in TMPDIR
                unsetenv("XDG_RUNTIME_DIR");
                setenv("TMPDIR", root_.c_str(), 1);
            }
        });
    }
    // A host run to its end.
    Program& Host(std::vector<std::string> args) {
        Program& host = StartHost(std::move(args));
        host.Finish(In(60));
        return host;
    }

    // A host closes the station, which ends with 0.
    Program& Close(Program& station) {
        EXPECT_EQ(Host({"close"}).status, 0);
        EXPECT_EQ(station.Finish(In(60)), 0) << station.err;
        return station;
    }

    // Waits until the station has started (its start-up done, so it answers requests).
    void WaitUntilUp() {
        const Program& shown = Host({"--timeout", "40", "show"});
        ASSERT_EQ(shown.status, 0) << shown.err;
    }

    static bool FullySaved() { return Stored("FlashDelay").has_value(); }  // only a full save

    fs::path Folder() const { return root_ / "runtime" / "zelvocam"; }

    std::string display_;  // an X server the programs run on; offscreen when empty
    bool withoutRuntimeFolder_ = false;
};

TEST_F(HostRun, HostRegistersHidesShowsClosesAndSeesClosed) {
    Program& station = StartStation();
    Program& monitor = StartHost({"--timeout", "40", "register"});
    WaitUntilUp();
    EXPECT_EQ(Host({"hide"}).status, 0);
    EXPECT_TRUE(FullySaved());  // hiding saves the settings
    EXPECT_EQ(Host({"show"}).status, 0);
    EXPECT_EQ(Host({"hide"}).status, 0);
    EXPECT_EQ(Host({"close"}).status, 0);  // a hidden station closes as well

    EXPECT_EQ(monitor.Finish(In(60)), 0) << monitor.err;
    EXPECT_EQ(monitor.out, "registered\nclosed\n");
    EXPECT_EQ(station.Finish(In(60)), 0) << station.err;
    EXPECT_FALSE(fs::exists(Folder() / "station.sock"));
    EXPECT_FALSE(fs::exists(Folder() / "station.lock"));

    const Program& none = Host({"--timeout", "0.3", "show"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "zelvocam-host: no station answers at " +
                            (Folder() / "station.sock").string() + "\n");
}

TEST_F(HostRun, NewerStationClosesTheOlderWhichSavesFirst) {
    Program& older = StartStation();
    Program& monitor = StartHost({"--timeout", "40", "wait-closed"});
    WaitUntilUp();
    ASSERT_FALSE(FullySaved());

    Program& newer = StartStation();
    monitor.Finish(In(60));
    EXPECT_EQ(monitor.out, "registered\nclosed\n");
    WaitUntilUp();  // the newer one answers only once it holds the lock
    EXPECT_FALSE(older.Running());
    EXPECT_EQ(older.Finish(In(1)), 0);
    EXPECT_TRUE(FullySaved());  // by the older one: the newer one has not closed yet
    EXPECT_TRUE(newer.Running());
    Close(newer);
}

TEST_F(HostRun, TwoStationsStartedAtOnceEndWithOneRunning) {
    Program& first = StartStation();
    Program& second = StartStation();
    for (int i = 0; i < 800 && first.Running() && second.Running(); ++i)
        usleep(50'000);
    const bool firstRuns = first.Running();
    ASSERT_NE(firstRuns, second.Running()) << "one must have closed the other";
    Program& survivor = firstRuns ? first : second;
    EXPECT_EQ((firstRuns ? second : first).Finish(In(1)), 0);
    WaitUntilUp();
    EXPECT_TRUE(survivor.Running());
    Close(survivor);
}

TEST_F(HostRun, AKilledStationsLockAndSocketAreTakenOverAtOnce) {
    Program& killed = StartStation();
    WaitUntilUp();
    kill(killed.pid, SIGKILL);
    killed.Finish(In(60));
    ASSERT_TRUE(fs::exists(Folder() / "station.lock"));
    ASSERT_TRUE(fs::exists(Folder() / "station.sock"));

    const auto start = std::chrono::steady_clock::now();
    Program& next = StartStation();
    hostlink::HostClient probe;
    // Connecting succeeds only once the new station listens, which it does once it holds the
    // lock: well before the 30 s a live holder would be given.
    ASSERT_TRUE(probe.ConnectWithin((Folder() / "station.sock").string(), 20'000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    probe.Disconnect();
    WaitUntilUp();
    const Program& ended = Close(next);
    EXPECT_EQ(ended.err.find("without host messages"), std::string::npos) << ended.err;
}

// A box or dialog open in the older station, on a real (virtual) screen, when a newer station
// starts: the older one answers it as cancelled, closes in full, and the newer one starts.
struct OpenBox {
    const char* name;
    const char* settings;  // lines of the older station's key file
    const char* keys;      // what the operator presses in the main window
    const char* caption;   // of the window that then waits
};

class BoxOpenOnScreen : public HostRun, public testing::WithParamInterface<OpenBox> {
  protected:
    // Runs `command` in a shell on the test's X server.
    int X(const std::string& command) const {
        return std::system(("DISPLAY=" + display_ + " " + command).c_str());
    }
};

TEST_P(BoxOpenOnScreen, ANewerStationStillClosesTheOlder) {
    if (std::system("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0)
        GTEST_SKIP() << "needs Xvfb and xdotool (make deps)";
    Program& screen = Start(
        "/usr/bin/Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    char number[16] = {};
    ASSERT_GT(read(screen.fds[0], number, sizeof number - 1), 0);  // once it accepts clients
    display_ = ":" + std::to_string(std::atoi(number));
    fs::create_directories(SettingsFile().parent_path());
    std::ofstream(SettingsFile()) << "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\ZelvoCam USB]\n"
                                  << GetParam().settings;

    Program& older = StartStation();
    WaitUntilUp();
    ASSERT_EQ(X("sh -c 'w=$(timeout 20 xdotool search --sync --name \"^ZelvoCam USB$\" | head -n 1)"
                " && xdotool windowfocus --sync $w && xdotool key --window $w " +
                std::string(GetParam().keys) + "'"),
              0);
    ASSERT_EQ(X("timeout 20 xdotool search --sync --name '" + std::string(GetParam().caption) +
                "' >/dev/null"),
              0);
    ASSERT_FALSE(FullySaved());

    Program& newer = StartStation();
    EXPECT_EQ(older.Finish(In(40)), 0);
    EXPECT_TRUE(FullySaved());
    WaitUntilUp();
    Close(newer);
}

INSTANTIATE_TEST_SUITE_P(HostRun, BoxOpenOnScreen,
                         testing::Values(OpenBox{"AboutBox", "", "F1", "^About ZelvoCam USB"},
                                         OpenBox{"PasswordDialog", "\"PassWord\"=\"secret\"\n",
                                                 "alt+a", "^Dialog$"}),
                         RowName{});

// While the station is stopped, a newer station asks it to close and gives up, and a host asks
// it to hide and leaves; once it goes on it acts on neither.
TEST_F(HostRun, AStoppedStationDropsTheRequestsOfThoseWhoLeft) {
    Program& station = StartStation();
    WaitUntilUp();
    kill(station.pid, SIGSTOP);
    for (const hostlink::Request request : {hostlink::Request::kClose, hostlink::Request::kHide}) {
        hostlink::HostClient departed;
        ASSERT_TRUE(departed.Connect((Folder() / "station.sock").string()));
        ASSERT_TRUE(departed.Send(hostlink::RequestWord(request)));
    }
    kill(station.pid, SIGCONT);
    EXPECT_EQ(Host({"show"}).status, 0);
    EXPECT_TRUE(station.Running());
    EXPECT_FALSE(FullySaved());  // hiding would have saved the settings
    Close(station);
}

TEST_F(HostRun, SixteenIdleConnectionsDoNotStopANewerStation) {
    Program& older = StartStation();
    WaitUntilUp();
    std::vector<std::unique_ptr<hostlink::HostClient>> idle;
    for (int i = 0; i < 16; ++i) {
        idle.push_back(std::make_unique<hostlink::HostClient>());
        ASSERT_TRUE(idle.back()->Connect((Folder() / "station.sock").string()));
    }
    Program& newer = StartStation();
    EXPECT_EQ(older.Finish(In(60)), 0);
    idle.clear();
    WaitUntilUp();
    EXPECT_TRUE(newer.Running());
    Close(newer);
}

// Without XDG_RUNTIME_DIR the station and its hosts meet in a private folder of their own in
// TMPDIR, and a newer station still closes the older.
TEST_F(HostRun, WithoutARuntimeFolderOneStationStillRuns) {
    withoutRuntimeFolder_ = true;
    Program& older = StartStation();
    WaitUntilUp();
    Program& newer = StartStation();
    EXPECT_EQ(older.Finish(In(60)), 0);
    WaitUntilUp();
    const Program& ended = Close(newer);
    EXPECT_EQ(ended.err.find("without host messages"), std::string::npos) << ended.err;
    EXPECT_EQ(fs::status(root_ / ("zelvocam-" + std::to_string(geteuid()))).permissions(),
              fs::perms::owner_all);
}

}  // namespace
