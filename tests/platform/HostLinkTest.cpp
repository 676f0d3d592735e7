// The host link on real sockets in a temporary folder: how lines are cut and refused, the
// peer check, the connection cap, a host that never reads, the private folder's checks, and
// the lock that a dead station leaves or a live one will not give up.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/hostlink/HostClient.h"
#include "platform/hostlink/HostLinkServer.h"
#include "platform/hostlink/RuntimeFolder.h"
#include "platform/hostlink/StationLock.h"

namespace {

using hostlink::HostClient;
using hostlink::HostLinkServer;
using hostlink::Request;
using Lines = std::vector<std::string>;

// A listener that answers every request at once, as a station with nothing to do would.
class HostLink : public testing::Test {
  protected:
    void SetUp() override {
        server_.onRequest = [this](Request request, int connection) {
            requests_.push_back(connection);
            server_.Send(connection, "ok " + std::string(hostlink::RequestWord(request)));
        };
        std::string error;
        ASSERT_TRUE(server_.Listen(path_, error)) << error;
    }

    std::unique_ptr<HostClient> Connect() {
        auto client = std::make_unique<HostClient>();
        EXPECT_TRUE(client->Connect(path_));
        Pump();
        return client;
    }

    static void Pump() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    // What the client reads until the station goes quiet for `quietMs`: every line, then
    // "<closed>" when the station ended the connection.
    static Lines ReadAll(HostClient& client, int quietMs = 100) {
        Lines lines;
        auto quietSince = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - quietSince < std::chrono::milliseconds(quietMs)) {
            Pump();
            std::string line;
            const HostClient::Read read = client.ReadLine(line, 5);
            if (read == HostClient::Read::kClosed) {
                lines.push_back("<closed>");
                break;
            }
            if (read == HostClient::Read::kLine) {
                lines.push_back(line);
                quietSince = std::chrono::steady_clock::now();
            }
        }
        return lines;
    }

    QTemporaryDir dir_;
    std::string path_ = dir_.filePath("station.sock").toStdString();
    HostLinkServer server_;
    std::vector<int> requests_;
};

// Bytes sent in pieces, with the event loop run between pieces, and what comes back.
struct FramingCase {
    const char* name;
    std::vector<std::string> pieces;
    Lines answers;
};

class Framing : public HostLink, public testing::WithParamInterface<FramingCase> {};

TEST_P(Framing, AnswersEachCompleteLineAndClosesOnError) {
    auto client = Connect();
    for (const std::string& piece : GetParam().pieces) {
        client->SendBytes(piece);  // fails once the station has closed the connection
        Pump();
    }
    EXPECT_EQ(ReadAll(*client), GetParam().answers);
}

const std::string kLongest(256, 'a');
const std::string kOneTooMany(257, 'a');

INSTANTIATE_TEST_SUITE_P(
    HostLink, Framing,
    testing::Values(
        FramingCase{"TwoRequestsInOneWrite", {"register\nhide\n"}, {"ok register", "ok hide"}},
        FramingCase{"RequestSplitAcrossWrites", {"sh", "ow\n"}, {"ok show"}},
        FramingCase{"CarriageReturnBeforeTheNewline", {"close\r\n"}, {"ok close"}},
        FramingCase{"EmptyLinesAreSkipped", {"\n\nshow\n"}, {"ok show"}},
        FramingCase{"UnknownWord", {"capture\nshow\n"}, {"error unknown request", "<closed>"}},
        FramingCase{"WordsAreCaseSensitive", {"SHOW\n"}, {"error unknown request", "<closed>"}},
        FramingCase{"LongestLineIsReadWhole", {kLongest + "\n"},
                    {"error unknown request", "<closed>"}},
        FramingCase{"LineOverTheLimit", {kOneTooMany + "\n"}, {"error line too long", "<closed>"}},
        FramingCase{"EndlessLineWithoutNewline", {kOneTooMany, "aaa"},
                    {"error line too long", "<closed>"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostLink, AnotherUsersConnectionIsClosedUnreadAndTheOthersGoOn) {
    auto friendly = Connect();
    server_.SetPeerCheck([](qintptr, uid_t& uid) {
        uid = 4242;
        return false;
    });
    auto stranger = Connect();
    stranger->Send("close");  // it may already be closed
    EXPECT_EQ(ReadAll(*stranger), Lines{"<closed>"});
    EXPECT_TRUE(requests_.empty());  // nothing of it was read
    EXPECT_EQ(server_.ConnectionCount(), 1);
    ASSERT_TRUE(friendly->Send("show"));
    EXPECT_EQ(ReadAll(*friendly), Lines{"ok show"});
}

TEST_F(HostLink, AtMostSixteenConnectionsAndAFreedPlaceIsTakenAgain) {
    std::deque<std::unique_ptr<HostClient>> clients;
    for (int i = 0; i < HostLinkServer::kMaxConnections; ++i)
        clients.push_back(Connect());
    auto extra = Connect();
    EXPECT_EQ(ReadAll(*extra), (Lines{"error too many connections", "<closed>"}));
    EXPECT_EQ(server_.ConnectionCount(), HostLinkServer::kMaxConnections);

    clients.pop_front();  // one host leaves
    Pump();
    auto next = Connect();
    ASSERT_TRUE(next->Send("show"));
    EXPECT_EQ(ReadAll(*next), Lines{"ok show"});
}

TEST_F(HostLink, AHostThatNeverReadsIsDroppedWithoutBlockingTheStation) {
    auto sleeper = Connect();
    ASSERT_TRUE(sleeper->Send("register"));
    Pump();
    ASSERT_EQ(requests_.size(), 1u);
    const int id = requests_.front();
    const std::string line = "stored /home/booking/pictures/" + std::string(200, 'p') + ".bmp";
    int sent = 0;
    // Kernel buffer plus the unsent bound: a few hundred lines at most, never a wait.
    while (server_.Send(id, line) && sent < 100'000)
        ++sent;
    EXPECT_LT(sent, 1000);
    EXPECT_EQ(server_.ConnectionCount(), 0);
    EXPECT_FALSE(server_.Send(id, "closed"));  // gone for good
}

TEST_F(HostLink, AVanishedHostIsSimplyGone) {
    auto host = Connect();
    ASSERT_TRUE(host->Send("register"));
    Pump();
    host.reset();
    Pump();
    EXPECT_EQ(server_.ConnectionCount(), 0);
    EXPECT_FALSE(server_.Send(requests_.front(), "closed"));
}

// --- the private runtime folder --------------------------------------------------------------

struct FolderCase {
    const char* name;
    void (*prepare)(const std::string& runtimeDir);  // what is already there
    bool usable;
};

class RuntimeFolder : public testing::TestWithParam<FolderCase> {};

TEST_P(RuntimeFolder, IsTheUsersOwnOrRefused) {
    QTemporaryDir runtime;
    const std::string dir = runtime.path().toStdString();
    GetParam().prepare(dir);
    std::string error;
    const auto folder = hostlink::PrepareRuntimeFolder(dir.c_str(), error);
    ASSERT_EQ(folder.has_value(), GetParam().usable) << error;
    if (folder) {
        EXPECT_EQ(*folder, dir + "/zelvocam/");
        struct stat info {};
        ASSERT_EQ(::lstat(folder->c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    } else {
        EXPECT_FALSE(error.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    HostLink, RuntimeFolder,
    testing::Values(
        FolderCase{"CreatedPrivate", [](const std::string&) {}, true},
        FolderCase{"KeptWhenPrivate",
                   [](const std::string& d) { ::mkdir((d + "/zelvocam").c_str(), 0700); }, true},
        FolderCase{"OpenToOthers",
                   [](const std::string& d) {
                       ::mkdir((d + "/zelvocam").c_str(), 0700);
                       ::chmod((d + "/zelvocam").c_str(), 0755);
                   },
                   false},
        FolderCase{"Symlink",
                   [](const std::string& d) {
                       ::mkdir((d + "/elsewhere").c_str(), 0700);
                       ::symlink((d + "/elsewhere").c_str(), (d + "/zelvocam").c_str());
                   },
                   false},
        FolderCase{"PlainFile",
                   [](const std::string& d) { std::ofstream(d + "/zelvocam") << "x"; }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RuntimeFolderUnset, NoFolderWithoutXdgRuntimeDir) {
    std::string error;
    EXPECT_FALSE(hostlink::PrepareRuntimeFolder(nullptr, error));
    EXPECT_FALSE(hostlink::PrepareRuntimeFolder("", error));
    EXPECT_EQ(error, "XDG_RUNTIME_DIR is not set");
}

// --- the station lock ------------------------------------------------------------------------

TEST(StationLock, ADeadHoldersLockAndSocketAreTakenOverAtOnce) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    const pid_t child = fork();
    if (child == 0) {
        // A station that dies holding the lock and leaving its socket behind.
        hostlink::StationLock lock(folder);
        HostLinkServer server;
        std::string error;
        const bool ok = lock.Acquire(std::chrono::milliseconds(0)) ==
                            hostlink::StationLock::Result::kHeld &&
                        server.Listen(lock.SocketPath(), error);
        _exit(ok ? 0 : 1);  // no destructors: the lock file and the socket stay
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(std::filesystem::exists(folder + "station.lock"));
    ASSERT_TRUE(std::filesystem::exists(folder + "station.sock"));

    hostlink::StationLock lock(folder);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(lock.Acquire(std::chrono::seconds(30)), hostlink::StationLock::Result::kHeld);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    HostLinkServer server;
    std::string error;
    EXPECT_TRUE(server.Listen(lock.SocketPath(), error)) << error;
}

TEST(StationLock, ALiveHolderThatNeverClosesMakesTheNewerOneGiveUp) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    hostlink::StationLock holder(folder);
    ASSERT_EQ(holder.Acquire(std::chrono::milliseconds(0)), hostlink::StationLock::Result::kHeld);
    hostlink::StationLock newer(folder);
    EXPECT_EQ(newer.Acquire(std::chrono::milliseconds(200)),
              hostlink::StationLock::Result::kHolderDidNotClose);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
