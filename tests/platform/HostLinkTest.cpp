// The host link on real sockets in a temporary folder: how lines are cut and refused, the
// peer check, the connection cap, a host that never reads, and the private folder's checks.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <deque>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/hostlink/HostClient.h"
#include "platform/hostlink/HostLinkServer.h"
#include "platform/hostlink/RuntimeFolder.h"

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

// --- the private runtime folder --------------------------------------------------------------

// What is already where the folder should be, and whether the station may use it.
struct FolderCase {
    const char* name;
    const char* existing;  // shell command run in the runtime folder first
    bool usable;
};

class RuntimeFolder : public testing::TestWithParam<FolderCase> {};

TEST_P(RuntimeFolder, IsTheUsersOwnOrRefused) {
    QTemporaryDir runtime;
    const std::string dir = runtime.path().toStdString();
    ASSERT_EQ(std::system(("cd " + dir + " && " + GetParam().existing).c_str()), 0);
    std::string error;
    const auto folder = hostlink::PrepareRuntimeFolder(dir.c_str(), error);
    ASSERT_EQ(folder.has_value(), GetParam().usable) << error;
    struct stat info {};
    if (folder) {
        ASSERT_EQ(::lstat(folder->c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HostLink, RuntimeFolder,
    testing::Values(FolderCase{"CreatedPrivate", "true", true},
                    FolderCase{"KeptWhenPrivate", "mkdir -m 700 zelvocam", true},
                    FolderCase{"OpenToOthers", "mkdir -m 755 zelvocam", false},
                    FolderCase{"Symlink", "mkdir -m 700 x && ln -s x zelvocam", false},
                    FolderCase{"PlainFile", "touch zelvocam", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
