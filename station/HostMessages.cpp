// Host messages: register, hide and show handlers, the notifications, and the wait for modal
// boxes before a request runs.
#include "station/HostMessages.h"

#include <QApplication>
#include <QTimer>

#include "platform/hostlink/HostLinkServer.h"
#include "station/MainDialog.h"

namespace {

// How often waiting requests look again whether the modal box has closed.
constexpr int kModalRetryMs = 25;

}  // namespace

void HostState::AttachHostLink(hostlink::HostLinkServer* server) {
    m_HostLink = server;
    if (server == nullptr)
        return;
    server->onRequest = [this](hostlink::Request request, int connection) {
        OnHostRequest(request, connection);
    };
    m_HostRetryTimer = new QTimer(&m_Station.HostWindow());
    m_HostRetryTimer->setSingleShot(true);
    QObject::connect(m_HostRetryTimer, &QTimer::timeout, &m_Station.HostWindow(),
                     [this] { RunWaitingHostRequests(); });
}

void HostState::OnHostRegister(int host) {
    m_hHostWnd = host;
    m_Station.CaptureToHost();
}

void HostState::OnHostHide() {
    m_Station.CaptureToHost();
    m_Station.HostHide();
}

void HostState::OnHostShow() {
    m_Station.CaptureToHost();
    m_Station.HostShow();
}

void HostState::NotifyCaptureStored(const std::string& path) {
    if (m_HostLink != nullptr)
        m_HostLink->Send(m_hHostWnd, hostlink::NotificationLine(hostlink::Notice::kStored, path));
}

void HostState::NotifyCaptureFailed(const std::string& reason) {
    if (m_HostLink != nullptr)
        m_HostLink->Send(m_hHostWnd, hostlink::NotificationLine(hostlink::Notice::kFailed, reason));
}

void HostState::NotifyStationClosed() {
    m_HostClosed = true;
    if (m_HostLink == nullptr)
        return;
    m_HostLink->Send(m_hHostWnd, hostlink::NotificationLine(hostlink::Notice::kClosed));
    for (int connection : m_CloseRequesters)
        m_HostLink->Send(connection, "ok close");
    m_CloseRequesters.clear();
}

void HostState::OnHostRequest(hostlink::Request request, int connection) {
    // A close is the dialog's own close request, which answers what waits and runs OnClose
    // once the running handler has returned; it never waits here behind a box.
    if (request == hostlink::Request::kClose) {
        RunHostRequest({request, connection});
        return;
    }
    m_WaitingHostRequests.push_back({request, connection});
    RunWaitingHostRequests();
}

bool HostState::HostRequestsMustWait() {
    const QWidget* modal = QApplication::activeModalWidget();
    return m_HostHandlerDepth > 0 || (modal != nullptr && modal != &m_Station.HostWindow());
}

void HostState::RunWaitingHostRequests() {
    while (!m_WaitingHostRequests.empty()) {
        if (HostRequestsMustWait()) {
            m_HostRetryTimer->start(kModalRetryMs);
            return;
        }
        const WaitingRequest next = m_WaitingHostRequests.front();
        m_WaitingHostRequests.pop_front();
        // Whoever asked and left no longer wants it: a newer station that gave up waiting for
        // this one to close must not leave the user with no station at all.
        if (!m_HostLink->Connected(next.connection))
            continue;
        ++m_HostHandlerDepth;
        RunHostRequest(next);
        --m_HostHandlerDepth;
    }
}

void HostState::RunHostRequest(const WaitingRequest& waiting) {
    using hostlink::Request;
    if (m_HostClosed) {
        m_HostLink->Send(waiting.connection, "error station closed");
        return;
    }
    switch (waiting.request) {
        case Request::kRegister:
            OnHostRegister(waiting.connection);
            break;
        case Request::kHide:
            OnHostHide();
            break;
        case Request::kShow:
            OnHostShow();
            break;
        case Request::kClose:
            // Answered by NotifyStationClosed once the close has run in full.
            m_CloseRequesters.push_back(waiting.connection);
            m_Station.HostClose();
            return;
    }
    m_HostLink->Send(waiting.connection,
                     "ok " + std::string(hostlink::RequestWord(waiting.request)));
}

// --- the station's side -----------------------------------------------------------------------

void CTRIPOD01Dlg::AttachHostLink(hostlink::HostLinkServer* server) {
    HostState::AttachHostLink(server);
    if (server == nullptr)
        return;
    m_CaptureStoredHook = [this](const std::string& path) { NotifyCaptureStored(path); };
    m_CaptureFailedHook = [this](const std::string& reason) { NotifyCaptureFailed(reason); };
}

void CTRIPOD01Dlg::HostHide() {
    StopPreview();
    HideKeepingModalRun();
    ShowAdjustSheetWithStation(false);
    ReadZoomPosition();
    SaveStationSettings();
}

void CTRIPOD01Dlg::HostShow() {
    // The live picture would paint over the picture the operator is still to save or drop.
    if (!PictureUnderReview())
        StartPreview();
    ShowKeepingModalRun();
    ShowAdjustSheetWithStation(true);
}

void CTRIPOD01Dlg::HostClose() {
    close();
}

void CTRIPOD01Dlg::CaptureToHost() {
    m_CaptureType = destination::kHostHandOff;
}

bool CTRIPOD01Dlg::PictureUnderReview() const {
    return m_CapturePhase == CapturePhase::kReview;
}

QWidget& CTRIPOD01Dlg::HostWindow() {
    return *this;
}
