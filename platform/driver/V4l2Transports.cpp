// The emulated V4L2 camera and the camera found when nothing is set (see V4l2Transports.h).
#include "platform/driver/V4l2Transports.h"

#include "v4l2/Discovery.h"

EmulatedV4l2Transport::EmulatedV4l2Transport(const sim::EmulatedUvcOptions& options,
                                             v4l2::V4l2CameraOptions cameraOptions)
    : emulation_(options), camera_(emulation_, [&] {
          // The emulated camera's own nodes stand for /dev: it is found, lost and found
          // again the way a real one is.
          cameraOptions.path.clear();
          cameraOptions.candidates = [this] { return emulation_.Nodes(); };
          return std::move(cameraOptions);
      }()) {}

FirstCameraTransport::FirstCameraTransport(const std::string& deviceDirectory,
                                           v4l2::V4l2CameraOptions options)
    : node_(deviceDirectory), v4l2_(v4l2::SystemV4l2Operations(), [&] {
          options.path.clear();
          options.candidates = [deviceDirectory] { return v4l2::CandidateNodes(deviceDirectory); };
          if (options.report) {
              options.report = [report = options.report](const std::string& reason) {
                  report(reason.starts_with("no V4L2 camera")
                             ? "no /dev/zelvocam* node and " + reason
                             : reason);
              };
          }
          return std::move(options);
      }()) {}

bool FirstCameraTransport::EnumerateFirstDevice(std::u16string& path) {
    chosen_ = nullptr;
    if (node_.EnumerateFirstDevice(path)) {
        chosen_ = &node_;
    } else if (v4l2_.EnumerateFirstDevice(path)) {
        chosen_ = &v4l2_;
    }
    return chosen_ != nullptr;
}

bool FirstCameraTransport::Open(const std::u16string& path) {
    return chosen_ != nullptr && chosen_->Open(path);
}

bool FirstCameraTransport::ControlRequest(uint32_t code, std::span<const uint8_t> in,
                                          std::span<uint8_t> out, uint32_t& returned) {
    return chosen_ != nullptr && chosen_->ControlRequest(code, in, out, returned);
}

bool FirstCameraTransport::ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) {
    return chosen_ != nullptr && chosen_->ReadFrame(buffer, delivered);
}

void FirstCameraTransport::Close() {
    if (chosen_ != nullptr)
        chosen_->Close();
}
