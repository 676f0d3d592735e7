// The listener, the peer check, framing and bounded writes.
#include "platform/hostlink/HostLinkServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace hostlink {
namespace {

// The kernel reports a hang-up once the peer has closed its end for good, though bytes it sent
// before may still wait to be read. A peer that only stopped writing (shutdown for writing)
// still reads its answer and has not hung up.
bool PeerHungUp(const QLocalSocket* socket) {
    pollfd p{static_cast<int>(socket->socketDescriptor()), 0, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR)) != 0;
}

}  // namespace

bool PeerIsThisUser(qintptr socket, uid_t& uid) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return false;
    uid = credentials.uid;
    return credentials.uid == ::geteuid();
}

HostLinkServer::HostLinkServer(QObject* parent) : QObject(parent), server_(new QLocalServer(this)) {
    // No socket options: with them Qt would quietly replace a live listener's socket; the
    // folder's own permissions and the peer check keep strangers out.
    connect(server_, &QLocalServer::newConnection, this, &HostLinkServer::Accept);
}

HostLinkServer::~HostLinkServer() {
    Close();
}

bool HostLinkServer::Listen(const std::string& path, std::string& error) {
    const QString name = QString::fromStdString(path);
    QLocalServer::removeServer(name);
    if (!server_->listen(name)) {
        error = "cannot listen on " + path + ": " + server_->errorString().toStdString();
        return false;
    }
    return true;
}

void HostLinkServer::Close() {
    server_->close();
    for (auto& [id, connection] : connections_) {
        connection.socket->flush();
        connection.socket->disconnect(this);
        connection.socket->abort();
        connection.socket->deleteLater();
    }
    connections_.clear();
}

void HostLinkServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        uid_t uid = 0;
        if (!peerCheck_(socket->socketDescriptor(), uid)) {
            if (loggedUsers_.insert(uid).second) {
                std::fprintf(stderr, "zelvocam: refused a host connection from user %u\n",
                             static_cast<unsigned>(uid));
            }
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const int buffer = kSocketSendBuffer;
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_SNDBUF, &buffer,
                     sizeof buffer);
        const int reserved =
            static_cast<int>(std::count_if(connections_.begin(), connections_.end(),
                                           [](const auto& entry) { return entry.second.reserve; }));
        const int id = nextId_++;
        Connection& connection = connections_[id];
        connection.socket = socket;
        connect(socket, &QLocalSocket::readyRead, this, [this, id] { ReadFrom(id); });
        connect(socket, &QLocalSocket::disconnected, this, [this, id] { Drop(id); });
        if (ConnectionCount() - reserved > kMaxConnections) {
            if (reserved >= kReserveConnections) {
                Refuse(id, "too many connections");
                continue;
            }
            connection.reserve = true;
            QTimer::singleShot(kReserveWaitMs, socket, [this, id] {
                const auto it = connections_.find(id);
                if (it != connections_.end() && it->second.reserve)
                    Refuse(id, "too many connections");
            });
        }
        ReadFrom(id);  // bytes that came with the connection
    }
}

void HostLinkServer::ReadFrom(int id) {
    auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    const QByteArray bytes = it->second.socket->readAll();
    it->second.reader.Append({bytes.constData(), static_cast<size_t>(bytes.size())});
    while (true) {
        // A request may close the station or drop connections: look the connection up anew.
        it = connections_.find(id);
        if (it == connections_.end())
            return;
        std::optional<std::string> line = it->second.reader.Next();
        if (!line) {
            if (it->second.reader.Overlong())
                Refuse(id, "line too long");
            return;
        }
        if (line->empty())
            continue;
        const std::optional<Request> request = ParseRequest(*line);
        if (!request) {
            Refuse(id, "unknown request");
            return;
        }
        if (it->second.reserve) {
            if (*request != Request::kClose) {
                Refuse(id, "too many connections");
                return;
            }
            it->second.reserve = false;  // served: the wait for its request is over
        }
        if (PeerHungUp(it->second.socket)) {
            Drop(id);
            return;
        }
        if (onRequest)
            onRequest(*request, id);
    }
}

bool HostLinkServer::Connected(int id) const {
    const auto it = connections_.find(id);
    return it != connections_.end() && !PeerHungUp(it->second.socket);
}

bool HostLinkServer::Send(int id, std::string_view line) {
    const auto it = connections_.find(id);
    if (it == connections_.end())
        return false;
    QLocalSocket* socket = it->second.socket;
    if (socket->bytesToWrite() + static_cast<qint64>(line.size()) + 1 > kMaxUnsentBytes) {
        Drop(id);
        return false;
    }
    QByteArray bytes(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append('\n');
    socket->write(bytes);
    socket->flush();  // as much as the peer takes now; the rest goes out from the event loop
    return true;
}

void HostLinkServer::Refuse(int id, std::string_view reason) {
    const auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    QLocalSocket* socket = it->second.socket;
    connections_.erase(it);
    socket->disconnect(this);
    socket->write(QByteArray("error ") + QByteArray(reason.data(), reason.size()) + '\n');
    // The error is delivered before the connection ends; the socket goes once it has.
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromServer();
}

void HostLinkServer::Drop(int id) {
    const auto it = connections_.find(id);
    if (it == connections_.end())
        return;
    QLocalSocket* socket = it->second.socket;
    connections_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

}  // namespace hostlink
