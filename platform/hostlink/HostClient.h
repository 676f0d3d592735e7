// A host's end of the connection to the station: connect, send a request, read lines.
//
// Plain blocking calls with time limits over a Unix stream socket, no event loop: the host
// tool, a newer station copy asking the running one to close, and the tests all use it.
#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "platform/hostlink/HostProtocol.h"

namespace hostlink {

class HostClient {
  public:
    enum class Read { kLine, kTimeout, kClosed };

    HostClient() = default;
    ~HostClient();
    HostClient(const HostClient&) = delete;
    HostClient& operator=(const HostClient&) = delete;

    // One attempt to connect; false while no station listens at `socketPath`.
    bool Connect(const std::string& socketPath);
    // Keeps trying for up to `timeoutMs`, since a starting station listens only once it holds
    // the lock.
    bool ConnectWithin(const std::string& socketPath, int timeoutMs);
    bool Connected() const { return fd_ >= 0; }
    void Disconnect();

    // Sends `line` and its "\n". False when the connection is gone.
    bool Send(std::string_view line);
    // Sends bytes as they are.
    bool SendBytes(std::string_view bytes);
    // Waits up to `timeoutMs` (negative: without limit) for the next line.
    Read ReadLine(std::string& line, int timeoutMs);

    // Sends `request` and waits for its answer: "ok WORD", "error ..." or nothing (timeout or
    // connection ended, told apart by `read`). Notifications that come first are kept for
    // ReadLine.
    std::optional<std::string> Ask(Request request, int timeoutMs, Read& read);

  private:
    // The next line off the socket, not looking at held_.
    Read ReadFromSocket(std::string& line,
                        std::optional<std::chrono::steady_clock::time_point> deadline);

    int fd_ = -1;
    LineReader reader_{kMaxNotificationBytes};
    std::deque<std::string> held_;  // notifications read while waiting for an answer
};

}  // namespace hostlink
