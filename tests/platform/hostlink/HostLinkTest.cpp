// The host link on real sockets in a temporary folder: how lines are cut and refused, the
// peer check, the connection cap and its reserve for `close`, a departed sender, a host that
// never reads, the private folder's checks and what may be left at the lock's path.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/hostlink/HostClient.h"
#include "platform/hostlink/HostLinkServer.h"
#include "platform/hostlink/RuntimeFolder.h"
#include "platform/hostlink/StationLock.h"
#include "tests/support/RowName.h"

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
        FramingCase("TwoRequestsInOneWrite", {"register\nhide\n"}, {"ok register", "ok hide"}),
        FramingCase("RequestSplitAcrossWrites", {"sh", "ow\n"}, {"ok show"}),
        FramingCase("CarriageReturnBeforeTheNewline", {"close\r\n"}, {"ok close"}),
        FramingCase("EmptyLinesAreSkipped", {"\n\nshow\n"}, {"ok show"}),
        FramingCase("UnknownWord", {"capture\nshow\n"}, {"error unknown request", "<closed>"}),
        FramingCase("LongestLineIsReadWhole", {kLongest + "\n"},
                    {"error unknown request", "<closed>"}),
        FramingCase("LineOverTheLimit", {kOneTooMany + "\n"}, {"error line too long", "<closed>"}),
        FramingCase("EndlessLineWithoutNewline", {kOneTooMany, "aaa"},
                    {"error line too long", "<closed>"})),
    RowName{});

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

// Sixteen idle connections fill the places; `close` still gets through a reserve place, which
// serves nothing else and is not held for ever.
TEST_F(HostLink, SixteenIdleConnectionsLeaveAWayInForClose) {
    std::deque<std::unique_ptr<HostClient>> clients;
    for (int i = 0; i < HostLinkServer::kMaxConnections; ++i)
        clients.push_back(Connect());
    auto shower = Connect();
    ASSERT_TRUE(shower->Send("show"));
    EXPECT_EQ(ReadAll(*shower), (Lines{"error too many connections", "<closed>"}));

    auto closer = Connect();
    ASSERT_TRUE(closer->Send("close"));
    EXPECT_EQ(ReadAll(*closer), Lines{"ok close"});
    closer.reset();

    std::vector<std::unique_ptr<HostClient>> idle;
    for (int i = 0; i <= HostLinkServer::kReserveConnections; ++i)
        idle.push_back(Connect());  // the reserve is full before the last
    EXPECT_EQ(ReadAll(*idle.back()), (Lines{"error too many connections", "<closed>"}));
    EXPECT_EQ(ReadAll(*idle.front(), HostLinkServer::kReserveWaitMs + 200),
              (Lines{"error too many connections", "<closed>"}));

    clients.pop_front();  // one host leaves: its place is taken again for any request
    Pump();
    auto next = Connect();
    ASSERT_TRUE(next->Send("show"));
    EXPECT_EQ(ReadAll(*next), Lines{"ok show"});
}

// A newer station that gave up, or a host that left, before the station read its request:
// nobody waits for it, so it is not carried out.
TEST_F(HostLink, ARequestWhoseSenderHasHungUpIsDropped) {
    {
        HostClient quitter;
        ASSERT_TRUE(quitter.Connect(path_));
        ASSERT_TRUE(quitter.Send("hide"));
        ASSERT_TRUE(quitter.Send("close"));
    }
    Pump();
    EXPECT_TRUE(requests_.empty());
    EXPECT_EQ(server_.ConnectionCount(), 0);
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

// What is already where the folder should be, and whether the station may use it. Without
// XDG_RUNTIME_DIR the folder is zelvocam-UID in TMPDIR, with the same checks.
struct FolderCase {
    const char* name;
    const char* existing;  // shell command run in the runtime (or temporary) folder first
    bool usable;
    bool withoutRuntimeDir = false;
};

class RuntimeFolder : public testing::TestWithParam<FolderCase> {};

TEST_P(RuntimeFolder, IsTheUsersOwnOrRefused) {
    QTemporaryDir runtime;
    const std::string dir = runtime.path().toStdString();
    const std::string uid = std::to_string(::geteuid());
    ASSERT_EQ(std::system(("cd " + dir + " && U=" + uid + " && " + GetParam().existing).c_str()),
              0);
    std::string error;
    const auto folder = GetParam().withoutRuntimeDir
                            ? hostlink::PrepareRuntimeFolder(nullptr, error, dir.c_str())
                            : hostlink::PrepareRuntimeFolder(dir.c_str(), error, "/nonexistent");
    ASSERT_EQ(folder.has_value(), GetParam().usable) << error;
    struct stat info {};
    if (folder) {
        EXPECT_EQ(*folder,
                  dir + (GetParam().withoutRuntimeDir ? "/zelvocam-" + uid : "/zelvocam") + "/");
        ASSERT_EQ(::lstat(folder->c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HostLink, RuntimeFolder,
    testing::Values(FolderCase("CreatedPrivate", "true", true),
                    FolderCase("KeptWhenPrivate", "mkdir -m 700 zelvocam", true),
                    FolderCase("OpenToOthers", "mkdir -m 755 zelvocam", false),
                    FolderCase("Symlink", "mkdir -m 700 x && ln -s x zelvocam", false),
                    FolderCase("PlainFile", "touch zelvocam", false),
                    FolderCase("FallbackCreatedPrivate", "true", true, true),
                    FolderCase("FallbackOpenToOthers", "mkdir -m 1777 zelvocam-$U", false, true),
                    FolderCase("FallbackSymlink", "mkdir -m 700 x && ln -s x zelvocam-$U", false,
                               true)),
    RowName{});

// --- the single-station lock -------------------------------------------------------------------

// What a power cut, a crash or a stray command left at the lock's path; the next station takes
// the lock at once whatever it is, and never writes through a symlink.
struct LeftoverCase {
    const char* name;
    const char* left;  // shell command run in the station's folder
};

class LockLeftover : public testing::TestWithParam<LeftoverCase> {};

TEST_P(LockLeftover, IsTakenOverAtOnce) {
    QTemporaryDir runtime;
    std::string error;
    const auto folder = hostlink::PrepareRuntimeFolder(runtime.path().toUtf8().constData(), error);
    ASSERT_TRUE(folder) << error;
    ASSERT_EQ(std::system(("cd " + *folder + " && " + GetParam().left).c_str()), 0);

    hostlink::StationLock lock(*folder);
    ASSERT_EQ(lock.Acquire(std::chrono::milliseconds(0)), hostlink::StationLock::Result::kHeld)
        << lock.Error();
    hostlink::StationLock newer(*folder);  // the lock really is held
    EXPECT_EQ(newer.Acquire(std::chrono::milliseconds(0)),
              hostlink::StationLock::Result::kHolderDidNotClose);
    EXPECT_EQ(std::system(("cd " + *folder + " && test ! -e elsewhere").c_str()), 0);
    lock.Release();
    EXPECT_EQ(newer.Acquire(std::chrono::milliseconds(0)), hostlink::StationLock::Result::kHeld);
}

INSTANTIATE_TEST_SUITE_P(
    HostLink, LockLeftover,
    testing::Values(LeftoverCase("Nothing", "true"),
                    LeftoverCase("EmptyFile", "touch station.lock"),
                    LeftoverCase("Garbage", "head -c 300 /dev/urandom > station.lock"),
                    LeftoverCase("Directory", "mkdir station.lock"),
                    LeftoverCase("Symlink", "touch target && ln -s target station.lock"),
                    LeftoverCase("DanglingSymlink", "ln -s elsewhere station.lock"),
                    LeftoverCase("Fifo", "mkfifo station.lock")),
    RowName{});

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
