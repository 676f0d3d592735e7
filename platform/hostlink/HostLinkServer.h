// The station's end of the host messages: a listener on the private runtime folder's socket.
//
// Each connection is checked to come from this user before a byte of it is read, at most
// kMaxConnections are served, and lines are cut by LineReader. Requests go to `onRequest` in
// the order they arrive; the station answers each with Send once it has carried it out.
// A request whose sender has hung up before it is handed on is dropped with the connection:
// nobody waits for it any more (a newer station that gave up, a host that left).
//
// Past kMaxConnections a few more connections are kept in reserve for `close`, the one request
// a newer station makes: however many idle connections the user's programs hold, a newer
// station gets through. A reserve connection that sends anything else, or nothing for
// kReserveWaitMs, is refused with "too many connections".
//
// Writing never blocks the station: a peer that stops reading is dropped once its unsent
// output passes a small bound, and a peer that vanished is simply gone.
#pragma once

#include <sys/types.h>
#include <QObject>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "platform/hostlink/HostProtocol.h"

class QLocalServer;
class QLocalSocket;

namespace hostlink {

// Decides from a connected socket whether its peer may talk to the station; on refusal `uid`
// names the peer's user (for the log).
using PeerCheck = std::function<bool(qintptr socket, uid_t& uid)>;

// The peer's credentials, as the kernel recorded them at connect time, against this user.
bool PeerIsThisUser(qintptr socket, uid_t& uid);

class HostLinkServer : public QObject {
    Q_OBJECT

  public:
    static constexpr int kMaxConnections = 16;
    static constexpr int kReserveConnections = 4;
    static constexpr int kReserveWaitMs = 2000;
    // What the kernel may hold for a peer plus what Qt may queue after it: past both, the
    // peer has stopped reading.
    static constexpr int kSocketSendBuffer = 32 * 1024;
    static constexpr qint64 kMaxUnsentBytes = 16 * 1024;

    explicit HostLinkServer(QObject* parent = nullptr);
    ~HostLinkServer() override;

    // Replaces a socket left at `path` by an earlier station and listens there. Only the
    // holder of the station lock may call it.
    bool Listen(const std::string& path, std::string& error);
    // Flushes what is queued for each connection, drops them all and removes the socket.
    void Close();

    void SetPeerCheck(PeerCheck check) { peerCheck_ = std::move(check); }

    // A request from connection `connection` (ids start at 1 and are never reused).
    std::function<void(Request request, int connection)> onRequest;

    // Sends `line` to a connection. False when it has gone, or it is dropped now for not
    // reading.
    bool Send(int connection, std::string_view line);
    // The connection is open and its peer has not hung up (even if the event loop has not yet
    // seen it go).
    bool Connected(int connection) const;
    int ConnectionCount() const { return static_cast<int>(connections_.size()); }

  private:
    struct Connection {
        QLocalSocket* socket = nullptr;
        LineReader reader;
        bool reserve = false;  // taken past kMaxConnections: `close` only
    };

    void Accept();
    void ReadFrom(int id);
    // Answers `error REASON` and closes the connection once that has gone out.
    void Refuse(int id, std::string_view reason);
    void Drop(int id);

    QLocalServer* server_;
    std::map<int, Connection> connections_;
    int nextId_ = 1;
    PeerCheck peerCheck_ = PeerIsThisUser;
    std::set<uid_t> loggedUsers_;  // refused users already logged, so a stranger cannot flood
};

}  // namespace hostlink
