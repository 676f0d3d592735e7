// Discovery, open and close of the one camera, and single register transfers.
//
// Opening clears the state block, fetches the information reply once, fills the defaults,
// programs the camera and creates the frame decoder; closing undoes it in reverse. Every other
// call first checks that the camera is open and answers 1 without touching the device if not.
#include <algorithm>
#include <new>

#include "decoder/FrameDecoder.h"
#include "device/Camera.h"
#include "device/CameraInternal.h"

namespace {

DriverTransport* g_installed = nullptr;  // chosen by the program or a test
DriverTransport* g_device = nullptr;     // the transport the open camera lives on
CameraState g_state;

}  // namespace

void InstallDriverTransport(DriverTransport* transport) {
    g_installed = transport;
}
DriverTransport* InstalledDriverTransport() {
    return g_installed;
}

const CameraState& CurrentCameraState() {
    return g_state;
}
CameraState& CameraStateForTests() {
    return g_state;
}

bool FrameBuffer::Allocate(size_t bytes) {
    Free();
    data.reset(new (std::nothrow) uint8_t[bytes == 0 ? 1 : bytes]());
    if (!data)
        return false;
    size = bytes;
    return true;
}

namespace camera_internal {

CameraState& State() {
    return g_state;
}
DriverTransport* OpenDevice() {
    return g_device;
}

bool SendBlock(uint16_t reg, std::span<const uint8_t> payload) {
    if (!g_device)
        return false;
    const std::vector<uint8_t> block = EncodeBlockWrite(reg, payload);
    uint32_t returned = 0;
    return g_device->ControlRequest(IOCTL_CAMERA_REGISTER, block, {}, returned);
}

}  // namespace camera_internal

int FindCameraDevice(std::u16string& path) {
    if (!g_installed)
        return kCameraFailed;
    std::u16string found;
    if (!g_installed->EnumerateFirstDevice(found))
        return kCameraFailed;
    // The driver's path buffer holds 512 units with the terminator; a longer or empty path
    // cannot be a camera's.
    if (found.empty() || found.size() > kMaxDevicePathUnits)
        return kCameraFailed;
    path = std::move(found);
    return kCameraOk;
}

int OpenCamera() {
    if (g_device)
        return kCameraOk;

    std::u16string path;
    if (FindCameraDevice(path) != kCameraOk) {
        CloseCamera();
        return kCameraFailed;
    }
    if (!g_installed->Open(path)) {
        CloseCamera();
        return kCameraFailed;
    }
    g_device = g_installed;

    g_state = CameraState{};
    uint32_t returned = 0;
    if (!g_device->ControlRequest(IOCTL_CAMERA_INFO, {}, g_state.info, returned)) {
        // A camera that cannot describe itself still works; its information reads as empty.
        g_state.info.fill(0);
    }

    camera_internal::FillDefaultSettings(g_state.settings);
    g_state.settingsSelector = 0;
    g_state.property25 = 0;
    camera_internal::ProgramCamera();

    FrameDecoder* decoder = nullptr;
    if (CreateFrameDecoder(1, &decoder) != 0 || decoder == nullptr) {
        g_state.decoderPresent = false;
        CloseCamera();
        return kCameraFailed;
    }
    g_state.decoder = decoder;
    g_state.decoderPresent = true;
    return kCameraOk;
}

bool CameraGone() {
    return g_device != nullptr && g_device->DeviceGone();
}

int CloseCamera() {
    if (g_device) {
        camera_internal::SetStreaming(0);
        g_state.property25 = 0;
        WriteRegister(0, 23);
        g_device->Close();
        g_device = nullptr;
    }
    g_state.workBuffer.Free();
    g_state.frameBuffer.Free();
    if (g_state.decoder)
        DestroyFrameDecoder(&g_state.decoder);
    g_state.decoder = nullptr;
    return kCameraOk;
}

int ReadRegister(uint16_t reg, uint16_t* value) {
    if (!g_device || !value)
        return kCameraFailed;
    const auto header = ControlRequest::Read(reg).Encode();
    std::array<uint8_t, 2> answer{};
    uint32_t returned = 0;
    if (!g_device->ControlRequest(IOCTL_CAMERA_REGISTER, header, answer, returned)) {
        return kCameraFailed;
    }
    *value = GetLe16(answer, 0);
    return kCameraOk;
}

int WriteRegister(uint16_t value, uint16_t reg) {
    if (!g_device)
        return kCameraFailed;
    const auto header = ControlRequest::Write(reg, value).Encode();
    uint32_t returned = 0;
    return g_device->ControlRequest(IOCTL_CAMERA_REGISTER, header, {}, returned) ? kCameraOk
                                                                                 : kCameraFailed;
}
