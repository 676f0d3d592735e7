// The application object.
#include "station/Application.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "device/DriverTransport.h"
#include "platform/driver/DeviceSetting.h"
#include "platform/ui/Services.h"
#include "platform/ui/TerminationSignals.h"
#include "station/MainDialog.h"

CTRIPOD01App::CTRIPOD01App() = default;

CTRIPOD01App::~CTRIPOD01App() {
    InstallDriverTransport(nullptr);
}

int CTRIPOD01App::Run(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr &&
        std::getenv("QT_QPA_PLATFORM") == nullptr) {
        std::fprintf(stderr,
                     "zelvocam: no display. Set DISPLAY, run it under xvfb-run, or set "
                     "QT_QPA_PLATFORM=offscreen for an unattended run.\n");
        return kExitNoDisplay;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zelvocam"));
    ui::SetDefaultCaption(kStationCaption);

    std::string error;
    m_Transport = CreateDriverTransport(std::getenv(kDeviceEnvironmentVariable), error);
    if (m_Transport == nullptr) {
        // No transport: opening the camera fails and the operator sees why it stopped.
        std::fprintf(stderr, "zelvocam: %s\n", error.c_str());
    }
    InstallDriverTransport(m_Transport.get());

    InitInstance();
    return 0;
}

void CTRIPOD01App::CloseEarlierCopy() {}

bool CTRIPOD01App::InitInstance() {
    CloseEarlierCopy();
    m_pszProfileName = "ZelvoCam USB.ini";
    // Qt widgets need no control-container support.

    CTRIPOD01Dlg dlg;
    m_pMainWnd = &dlg;
    ui::CloseOnTerminationSignals(&dlg);
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return false;
}
