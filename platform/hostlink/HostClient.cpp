// The blocking client over a Unix stream socket.
#include "platform/hostlink/HostClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace hostlink {
namespace {

using SteadyClock = std::chrono::steady_clock;

int MsLeft(SteadyClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
    return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

}  // namespace

HostClient::~HostClient() {
    Disconnect();
}

void HostClient::Disconnect() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    reader_ = LineReader(kMaxNotificationBytes);
    held_.clear();
}

bool HostClient::Connect(const std::string& socketPath) {
    Disconnect();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

bool HostClient::ConnectWithin(const std::string& socketPath, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (!Connect(socketPath)) {
        if (MsLeft(deadline) == 0)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool HostClient::Send(std::string_view line) {
    std::string bytes(line);
    bytes += '\n';
    return SendBytes(bytes);
}

bool HostClient::SendBytes(std::string_view bytes) {
    if (fd_ < 0)
        return false;
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

HostClient::Read HostClient::ReadLine(std::string& line, int timeoutMs) {
    if (!held_.empty()) {
        line = std::move(held_.front());
        held_.pop_front();
        return Read::kLine;
    }
    if (timeoutMs < 0)
        return ReadFromSocket(line, std::nullopt);
    return ReadFromSocket(line, SteadyClock::now() + std::chrono::milliseconds(timeoutMs));
}

HostClient::Read HostClient::ReadFromSocket(std::string& line,
                                            std::optional<SteadyClock::time_point> deadline) {
    while (true) {
        if (auto next = reader_.Next()) {
            line = std::move(*next);
            return Read::kLine;
        }
        if (fd_ < 0 || reader_.Overlong())
            return Read::kClosed;
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, deadline ? MsLeft(*deadline) : -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0)
            return Read::kTimeout;
        char buffer[1024];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd_);
            fd_ = -1;
            continue;  // a line completed just before the end is still handed out
        }
        reader_.Append({buffer, static_cast<size_t>(n)});
    }
}

std::optional<std::string> HostClient::Ask(Request request, int timeoutMs, Read& read) {
    if (!Send(RequestWord(request))) {
        read = Read::kClosed;
        return std::nullopt;
    }
    std::optional<SteadyClock::time_point> deadline;
    if (timeoutMs >= 0)
        deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    std::string line;
    while ((read = ReadFromSocket(line, deadline)) == Read::kLine) {
        if (line.rfind("ok ", 0) == 0 || line.rfind("error", 0) == 0)
            return line;
        held_.push_back(std::move(line));  // a notification that came before the answer
    }
    return std::nullopt;
}

}  // namespace hostlink
