// The application object: chooses the camera transport, runs the main dialog modally, and ends
// the process when the dialog ends.
#pragma once

#include <chrono>
#include <memory>
#include <string>

class DriverTransport;
class CTRIPOD01Dlg;

namespace hostlink {
class HostLinkServer;
class StationLock;
}  // namespace hostlink

// Exit code when there is no screen to show the station on (1 and 2 are the camera's).
inline constexpr int kExitNoDisplay = 3;
// Exit code when an earlier station holds on and does not close when asked.
inline constexpr int kExitEarlierStationRunning = 4;
// How long a newer station waits for the earlier one to close in full.
inline constexpr std::chrono::milliseconds kEarlierStationCloseLimit{30'000};

class CTRIPOD01App {
  public:
    CTRIPOD01App();
    ~CTRIPOD01App();

    // Starts Qt, installs the camera transport and runs InitInstance; the result is the
    // process exit code (0 after a normal close; the fatal start-up failures exit on their own
    // with 1 and 2).
    int Run(int argc, char** argv);

    // Runs the main dialog modally. Returns false: the program ends when the dialog does.
    bool InitInstance();

    // Makes this the one running station of the user: an earlier copy is asked to close and
    // waited for until it has released its camera, saved its settings and told its host; then
    // this copy listens for host messages. False (the process is ending with
    // kExitEarlierStationRunning, after a message) when the earlier copy did not close within
    // `closeLimit`. When the private runtime folder cannot be used (another user's, or a
    // non-file at the lock's path that cannot be removed) the station says why in one line and
    // runs alone, without host messages.
    bool CloseEarlierCopy(std::chrono::milliseconds closeLimit = kEarlierStationCloseLimit);

  private:
    std::unique_ptr<DriverTransport> m_Transport;
    std::unique_ptr<hostlink::StationLock> m_StationLock;
    std::unique_ptr<hostlink::HostLinkServer> m_HostLink;
};
