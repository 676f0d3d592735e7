// The real program as an operator or a desktop session runs it: started on the simulated
// camera it comes up, and a SIGTERM (log-out, Ctrl+C) closes it cleanly with its settings
// saved; without a camera it stops with its message and exit code.
//
// These tests run the program in real time; each takes a few seconds of the camera's own
// start-up waits.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/registry/RegistryKey.h"

namespace {

namespace fs = std::filesystem;

struct Child {
    pid_t pid = -1;
    int stderrFd = -1;
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

    // Starts zelvocam with the given device setting, messages on stderr, offscreen.
    Child Start(const char* device) {
        int pipeFds[2];
        EXPECT_EQ(pipe(pipeFds), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], STDERR_FILENO);
            close(pipeFds[0]);
            setenv("ZELVOCAM_DEVICE", device, 1);
            setenv("ZELVOCAM_MESSAGES", "stderr", 1);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("HOME", home_.c_str(), 1);
            execl(ZELVOCAM_BINARY, ZELVOCAM_BINARY, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        return {pid, pipeFds[0]};
    }

    // Waits for the program to end; its exit status, or -1 when it had to be killed.
    static int Finish(Child& run, int seconds) {
        int status = 0;
        for (int i = 0; i < seconds * 20; ++i) {
            if (waitpid(run.pid, &status, WNOHANG) == run.pid) {
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(50'000);
        }
        kill(run.pid, SIGKILL);
        waitpid(run.pid, &status, 0);
        return -1;
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

    static std::string MessageLines(const std::string& output) {
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

    fs::path SettingsFile() const {
        return RegistryKey::RootFolder() / "Software" / "ZelvoCam USB.reg";
    }

    std::string home_;
};

TEST_F(StationRun, SimulatedCameraRunsAndSigtermClosesWithTheSettingsSaved) {
    Child run = Start("sim");
    // The settings file appears while the dialog initialises, when the close request on
    // SIGTERM is already in place; the request is served once initialisation has finished.
    for (int i = 0; i < 400 && !fs::exists(SettingsFile()); ++i)
        usleep(50'000);
    ASSERT_TRUE(fs::exists(SettingsFile()));
    usleep(500'000);
    kill(run.pid, SIGTERM);
    const int status = Finish(run, 60);
    const std::string output = ReadAll(run.stderrFd);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(MessageLines(output), "");

    RegistryKey key("Software\\ZelvoCam USB");
    uint32_t value = 0;
    EXPECT_TRUE(key.QueryDword("FlashDelay", value));  // written only by a full save
    ASSERT_TRUE(key.QueryDword("Capture Type", value));
    EXPECT_EQ(value, 5u);  // set at the end of start-up: the station really came up
}

TEST_F(StationRun, MissingDeviceStopsWithError0AndExit1) {
    Child run = Start("/nonexistent");
    const int status = Finish(run, 60);
    const std::string output = ReadAll(run.stderrFd);
    EXPECT_EQ(status, 1) << output;
    EXPECT_EQ(MessageLines(output), "message: Error 0: Failure to start device\n");
}

}  // namespace
