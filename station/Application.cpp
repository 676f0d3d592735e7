// The application object.
#include "station/Application.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "capture/StationSettings.h"
#include "device/DriverTransport.h"
#include "platform/driver/DeviceSetting.h"
#include "platform/hostlink/HostLinkServer.h"
#include "platform/hostlink/RuntimeFolder.h"
#include "platform/hostlink/StationLock.h"
#include "platform/registry/RegistryKey.h"
#include "platform/ui/Services.h"
#include "platform/ui/TerminationSignals.h"
#include "station/MainDialog.h"

namespace {

// A V4L2 camera's horizontal field of view at its widest zoom, which face centering turns a
// click into a turn with: what an administrator stored under the station's key as
// "CameraFieldOfView" (whole degrees, 10 to 170), else 60.
double CameraFieldOfViewDegrees() {
    constexpr uint32_t kDefault = 60, kLeast = 10, kMost = 170;
    const RegistryKey key(kStationSettingsKey);
    const std::optional<RegistryValue> value = key.QueryValue("CameraFieldOfView");
    if (!value || value->type != REG_DWORD || value->data.size() != 4)
        return kDefault;
    const uint32_t degrees = value->data[0] | value->data[1] << 8 | value->data[2] << 16 |
                             static_cast<uint32_t>(value->data[3]) << 24;
    return degrees >= kLeast && degrees <= kMost ? degrees : kDefault;
}

}  // namespace

CTRIPOD01App::CTRIPOD01App() = default;

CTRIPOD01App::~CTRIPOD01App() {
    InstallDriverTransport(nullptr);
}

int CTRIPOD01App::Run(int argc, char** argv) {
    // An empty variable names no display: Qt would abort on it instead of saying so.
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) {
        std::fprintf(stderr,
                     "zelvocam: no display. Set DISPLAY, run it under xvfb-run, or set "
                     "QT_QPA_PLATFORM=offscreen for an unattended run.\n");
        return kExitNoDisplay;
    }
    QApplication app(argc, argv);
    // The window's class is the application name, which the desktop entry names as its
    // StartupWMClass; Wayland compositors find the entry by its file name instead.
    QApplication::setApplicationName(QStringLiteral("zelvocam"));
    QApplication::setDesktopFileName(QStringLiteral("org.zelvocam.Station"));
    ui::SetDefaultCaption(kStationCaption);

    std::string error;
    DeviceSetting setting;
    if (ParseDeviceSetting(std::getenv(kDeviceEnvironmentVariable), setting, error)) {
        setting.fieldOfViewDegrees = CameraFieldOfViewDegrees();
        m_Transport = CreateDriverTransport(setting);
    } else {
        // No transport: opening the camera fails and the operator sees why it stopped.
        std::fprintf(stderr, "zelvocam: %s\n", error.c_str());
    }
    InstallDriverTransport(m_Transport.get());

    InitInstance();
    return 0;
}

bool CTRIPOD01App::CloseEarlierCopy(std::chrono::milliseconds closeLimit) {
    std::string error;
    const std::optional<std::string> folder =
        hostlink::PrepareRuntimeFolder(std::getenv("XDG_RUNTIME_DIR"), error);
    if (!folder) {
        std::fprintf(stderr, "zelvocam: running without host messages: %s\n", error.c_str());
        return true;
    }
    m_StationLock = std::make_unique<hostlink::StationLock>(*folder);
    switch (m_StationLock->Acquire(closeLimit)) {
        case hostlink::StationLock::Result::kHeld:
            break;
        case hostlink::StationLock::Result::kFailed:
            std::fprintf(stderr, "zelvocam: running without host messages: %s\n",
                         m_StationLock->Error().c_str());
            m_StationLock.reset();
            return true;
        case hostlink::StationLock::Result::kHolderDidNotClose:
            m_StationLock.reset();
            ui::MessageBox(nullptr,
                           "Another ZelvoCam USB station is running and did not close. Close it, "
                           "then start the station again.",
                           kStationCaption);
            ui::ExitProcess(kExitEarlierStationRunning);
            return false;
    }
    m_HostLink = std::make_unique<hostlink::HostLinkServer>();
    if (!m_HostLink->Listen(m_StationLock->SocketPath(), error)) {
        std::fprintf(stderr, "zelvocam: running without host messages: %s\n", error.c_str());
        m_HostLink.reset();
    }
    return true;
}

bool CTRIPOD01App::InitInstance() {
    // A log-out before the dialog runs ends the program here, with nothing opened or saved
    // yet; one that comes later is the dialog's close request.
    if (ui::TerminationRequested() || !CloseEarlierCopy() || ui::TerminationRequested())
        return false;
    CTRIPOD01Dlg dlg;
    ui::CloseOnTerminationSignals(&dlg);
    dlg.AttachHostLink(m_HostLink.get());
    dlg.DoModal();
    // What the host was told goes out now; the listener goes before the lock, so a newer
    // station never finds the lock free while this one's socket still answers.
    m_HostLink.reset();
    m_StationLock.reset();
    return false;
}
