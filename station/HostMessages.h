// The main dialog's side of the host messages: what a host asks (register, hide, show, close)
// and what it is told (a picture stored, a capture failed, the station closed).
//
// CTRIPOD01Dlg inherits HostState as it inherits its settings; HostState reaches the station
// only through HostStation. Requests that arrive while a message box or another modal dialog is
// open, or while a handler runs, wait until it has closed, so no request ever runs inside a
// half-finished handler; they then run in the order they came. A close is the exception: it is
// the dialog's close request at once (see ui::Dialog), which answers the waiting boxes as
// cancelled and runs OnClose once the running handler has returned.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/hostlink/HostProtocol.h"
#include "station/HostStation.h"

class QTimer;

namespace hostlink {
class HostLinkServer;
}

class HostState {
  public:
    // Start-up: requests from `server` reach the handlers below and each store of the capture
    // workflow is reported to the registered host. nullptr: this run has no host messages.
    void AttachHostLink(hostlink::HostLinkServer* server);

    void OnHostRegister(int host);
    void OnHostHide();
    void OnHostShow();
    // A picture has been stored at `path` ("" for the clipboard).
    void NotifyCaptureStored(const std::string& path);
    // A capture ended without a stored picture, not by the operator's choice.
    void NotifyCaptureFailed(const std::string& reason);
    // The last step of OnClose: tells the registered host, then answers who asked to close.
    void NotifyStationClosed();

    // The registered host's connection, 0 before the first registration. A later registration
    // replaces it; a host that has gone keeps its id and its notifications go nowhere.
    int m_hHostWnd = 0;

  protected:
    explicit HostState(HostStation& station) : m_Station(station) {}
    ~HostState() = default;

  private:
    struct WaitingRequest {
        hostlink::Request request;
        int connection;
    };

    void OnHostRequest(hostlink::Request request, int connection);
    bool HostRequestsMustWait();
    void RunWaitingHostRequests();
    void RunHostRequest(const WaitingRequest& waiting);

    HostStation& m_Station;
    hostlink::HostLinkServer* m_HostLink = nullptr;  // not owned
    std::deque<WaitingRequest> m_WaitingHostRequests;
    std::vector<int> m_CloseRequesters;  // answered once the close has run in full
    QTimer* m_HostRetryTimer = nullptr;  // looks again while requests wait for a modal box
    int m_HostHandlerDepth = 0;
    bool m_HostClosed = false;  // the station has closed; later requests are refused
};
