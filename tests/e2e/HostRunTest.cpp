// The real programs together, each test in its own private runtime folder: zelvocam on the
// simulated camera and zelvocam-host as a host script would run it. A host registers, hides,
// shows and closes the station; a newer station closes the older one, which saves first, even
// past sixteen idle connections, without XDG_RUNTIME_DIR and with a box open on the screen; two
// started at once end with one; a killed station's lock and socket are taken over at once; a
// stopped station drops the requests of those who left meanwhile.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/hostlink/HostClient.h"
#include "platform/registry/RegistryKey.h"
#include "tests/support/RowName.h"

namespace {

namespace fs = std::filesystem;

struct Process {
    pid_t pid = -1;
    int outFd = -1;                         // stdout
    int errFd = -1;                         // stderr
    mutable std::optional<int> exitStatus;  // once reaped
};

int ExitStatus(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class HostRun : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zelvocam-host-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "runtime");
        fs::permissions(root_ / "runtime", fs::perms::owner_all);
        setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (root_ / "runtime").c_str(), 1);
    }
    void TearDown() override {
        for (Process& p : started_) {
            if (p.pid > 0 && kill(p.pid, 0) == 0) {
                kill(p.pid, SIGKILL);
                waitpid(p.pid, nullptr, 0);
            }
        }
        fs::remove_all(root_);
    }

    Process Spawn(const char* binary, std::vector<std::string> args) {
        int out[2], err[2];
        EXPECT_EQ(pipe(out), 0);
        EXPECT_EQ(pipe(err), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            close(out[0]);
            close(err[0]);
            setenv("ZELVOCAM_DEVICE", "sim", 1);
            setenv("ZELVOCAM_MESSAGES", "stderr", 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            if (!display_.empty()) {
                setenv("DISPLAY", display_.c_str(), 1);
                unsetenv("QT_QPA_PLATFORM");
            }
            setenv("HOME", root_.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(binary)};
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(binary, argv.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        started_.push_back({pid, out[0], err[0], std::nullopt});
        return started_.back();
    }

    Process StartStation() { return Spawn(ZELVOCAM_BINARY, {}); }
    Process StartHost(std::vector<std::string> args) {
        return Spawn(ZELVOCAM_HOST_BINARY, std::move(args));
    }

    // Waits for the process to end (killing it after `seconds`) and collects its output.
    static Result Finish(const Process& p, int seconds = 60) {
        Result result;
        for (int i = 0; i < seconds * 20 && Running(p); ++i)
            usleep(50'000);
        if (p.exitStatus) {
            result.status = *p.exitStatus;
        } else {
            kill(p.pid, SIGKILL);
            waitpid(p.pid, nullptr, 0);
        }
        result.out = ReadAll(p.outFd);
        result.err = ReadAll(p.errFd);
        return result;
    }

    static bool Running(const Process& p) {
        int status = 0;
        if (!p.exitStatus && waitpid(p.pid, &status, WNOHANG) == p.pid)
            p.exitStatus = ExitStatus(status);
        return !p.exitStatus;
    }

    Result Host(std::vector<std::string> args) { return Finish(StartHost(std::move(args))); }

    // A host closes the station, which ends with 0.
    Result Close(const Process& station) {
        EXPECT_EQ(Host({"close"}).status, 0);
        Result ended = Finish(station);
        EXPECT_EQ(ended.status, 0) << ended.err;
        return ended;
    }

    // Waits until the station has started (its start-up done, so it answers requests).
    void WaitUntilUp() {
        const Result shown = Host({"--timeout", "40", "show"});
        ASSERT_EQ(shown.status, 0) << shown.err;
    }

    static std::string ReadAll(int fd) {
        std::string text;
        char buffer[4096];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0)
            text.append(buffer, n);
        close(fd);
        return text;
    }

    static bool FullySaved() {
        RegistryKey key("Software\\ZelvoCam USB");
        uint32_t value = 0;
        return key.QueryDword("FlashDelay", value);  // written only by a full save
    }

    fs::path Folder() const { return root_ / "runtime" / "zelvocam"; }

    fs::path root_;
    std::vector<Process> started_;
    std::string display_;  // an X server the programs run on; offscreen when empty
};

TEST_F(HostRun, HostRegistersHidesShowsClosesAndSeesClosed) {
    const Process station = StartStation();
    const Process monitor = StartHost({"--timeout", "40", "register"});
    WaitUntilUp();
    EXPECT_EQ(Host({"hide"}).status, 0);
    EXPECT_TRUE(FullySaved());  // hiding saves the settings
    EXPECT_EQ(Host({"show"}).status, 0);
    EXPECT_EQ(Host({"hide"}).status, 0);
    EXPECT_EQ(Host({"close"}).status, 0);  // a hidden station closes as well

    const Result watched = Finish(monitor);
    EXPECT_EQ(watched.status, 0) << watched.err;
    EXPECT_EQ(watched.out, "registered\nclosed\n");
    const Result ended = Finish(station);
    EXPECT_EQ(ended.status, 0) << ended.err;
    EXPECT_FALSE(fs::exists(Folder() / "station.sock"));
    EXPECT_FALSE(fs::exists(Folder() / "station.lock"));

    const Result none = Host({"--timeout", "0.3", "show"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "zelvocam-host: no station answers at " +
                            (Folder() / "station.sock").string() + "\n");
}

TEST_F(HostRun, NewerStationClosesTheOlderWhichSavesFirst) {
    const Process older = StartStation();
    const Process monitor = StartHost({"--timeout", "40", "wait-closed"});
    WaitUntilUp();
    ASSERT_FALSE(FullySaved());

    const Process newer = StartStation();
    const Result watched = Finish(monitor);
    EXPECT_EQ(watched.out, "registered\nclosed\n");
    WaitUntilUp();  // the newer one answers only once it holds the lock
    EXPECT_FALSE(Running(older));
    EXPECT_EQ(Finish(older, 1).status, 0);
    EXPECT_TRUE(FullySaved());  // by the older one: the newer one has not closed yet
    EXPECT_TRUE(Running(newer));
    Close(newer);
}

TEST_F(HostRun, TwoStationsStartedAtOnceEndWithOneRunning) {
    const Process first = StartStation();
    const Process second = StartStation();
    for (int i = 0; i < 800 && Running(first) && Running(second); ++i)
        usleep(50'000);
    const bool firstRuns = Running(first);
    ASSERT_NE(firstRuns, Running(second)) << "one must have closed the other";
    const Process& survivor = firstRuns ? first : second;
    EXPECT_EQ(Finish(firstRuns ? second : first, 1).status, 0);
    WaitUntilUp();
    EXPECT_TRUE(Running(survivor));
    Close(survivor);
}

TEST_F(HostRun, AKilledStationsLockAndSocketAreTakenOverAtOnce) {
    const Process killed = StartStation();
    WaitUntilUp();
    kill(killed.pid, SIGKILL);
    Finish(killed);
    ASSERT_TRUE(fs::exists(Folder() / "station.lock"));
    ASSERT_TRUE(fs::exists(Folder() / "station.sock"));

    const auto start = std::chrono::steady_clock::now();
    const Process next = StartStation();
    hostlink::HostClient probe;
    // Connecting succeeds only once the new station listens, which it does once it holds the
    // lock: well before the 30 s a live holder would be given.
    ASSERT_TRUE(probe.ConnectWithin((Folder() / "station.sock").string(), 20'000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    probe.Disconnect();
    WaitUntilUp();
    const Result ended = Close(next);
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
    const Process screen = Spawn(
        "/usr/bin/Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    char number[16] = {};
    ASSERT_GT(read(screen.outFd, number, sizeof number - 1), 0);  // once it accepts clients
    display_ = ":" + std::to_string(std::atoi(number));
    fs::create_directories(RegistryKey::RootFolder() / "Software");
    std::ofstream(RegistryKey::RootFolder() / "Software" / "ZelvoCam USB.reg")
        << "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\ZelvoCam USB]\n"
        << GetParam().settings;

    const Process older = StartStation();
    WaitUntilUp();
    ASSERT_EQ(X("sh -c 'w=$(timeout 20 xdotool search --sync --name \"^ZelvoCam USB$\" | head -n 1)"
                " && xdotool windowfocus --sync $w && xdotool key --window $w " +
                std::string(GetParam().keys) + "'"),
              0);
    ASSERT_EQ(X("timeout 20 xdotool search --sync --name '" + std::string(GetParam().caption) +
                "' >/dev/null"),
              0);
    ASSERT_FALSE(FullySaved());

    const Process newer = StartStation();
    EXPECT_EQ(Finish(older, 40).status, 0);
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
    const Process station = StartStation();
    WaitUntilUp();
    kill(station.pid, SIGSTOP);
    for (const hostlink::Request request : {hostlink::Request::kClose, hostlink::Request::kHide}) {
        hostlink::HostClient departed;
        ASSERT_TRUE(departed.Connect((Folder() / "station.sock").string()));
        ASSERT_TRUE(departed.Send(hostlink::RequestWord(request)));
    }
    kill(station.pid, SIGCONT);
    EXPECT_EQ(Host({"show"}).status, 0);
    EXPECT_TRUE(Running(station));
    EXPECT_FALSE(FullySaved());  // hiding would have saved the settings
    Close(station);
}

TEST_F(HostRun, SixteenIdleConnectionsDoNotStopANewerStation) {
    const Process older = StartStation();
    WaitUntilUp();
    std::vector<std::unique_ptr<hostlink::HostClient>> idle;
    for (int i = 0; i < 16; ++i) {
        idle.push_back(std::make_unique<hostlink::HostClient>());
        ASSERT_TRUE(idle.back()->Connect((Folder() / "station.sock").string()));
    }
    const Process newer = StartStation();
    EXPECT_EQ(Finish(older).status, 0);
    idle.clear();
    WaitUntilUp();
    EXPECT_TRUE(Running(newer));
    Close(newer);
}

// Without XDG_RUNTIME_DIR the station and its hosts meet in a private folder of their own in
// TMPDIR, and a newer station still closes the older.
TEST_F(HostRun, WithoutARuntimeFolderOneStationStillRuns) {
    unsetenv("XDG_RUNTIME_DIR");
    const char* tmpDir = std::getenv("TMPDIR");
    const std::optional<std::string> outerTmpDir =
        tmpDir ? std::optional<std::string>(tmpDir) : std::nullopt;
    setenv("TMPDIR", root_.c_str(), 1);
    const Process older = StartStation();
    WaitUntilUp();
    const Process newer = StartStation();
    EXPECT_EQ(Finish(older).status, 0);
    WaitUntilUp();
    const Result ended = Close(newer);
    EXPECT_EQ(ended.err.find("without host messages"), std::string::npos) << ended.err;
    EXPECT_EQ(fs::status(root_ / ("zelvocam-" + std::to_string(geteuid()))).permissions(),
              fs::perms::owner_all);
    if (outerTmpDir) {
        setenv("TMPDIR", outerTmpDir->c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

}  // namespace
