// The application object: chooses the camera transport, runs the main dialog modally, and ends
// the process when the dialog ends.
#pragma once

#include <memory>
#include <string>

class DriverTransport;

// Exit code when there is no screen to show the station on (1 and 2 are the camera's).
inline constexpr int kExitNoDisplay = 3;
class CTRIPOD01Dlg;

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

    // Kept for the framework's sake; the station keeps no settings in it.
    std::string m_pszProfileName;
    CTRIPOD01Dlg* m_pMainWnd = nullptr;

  private:
    // Where an earlier copy of the station is asked to close (its camera released and its
    // settings saved) before this one goes on; the cross-process close request arrives with
    // host messages.
    void CloseEarlierCopy();

    std::unique_ptr<DriverTransport> m_Transport;
};
