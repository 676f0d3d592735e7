// The V4L2 camera's driver side: the request protocol over the register file, the information
// reply, the stream and the frames (see V4l2Camera.h).
#include "v4l2/V4l2Camera.h"

#include <algorithm>
#include <cstring>

#include <linux/videodev2.h>

#include "device/ControlRequest.h"
#include "device/TextConvert.h"
#include "platform/system/Clock.h"
#include "v4l2/Discovery.h"
#include "v4l2/FrameForm.h"

namespace v4l2 {
namespace {

constexpr size_t kPixelBytes = size_t{kFrameWidth} * kFrameHeight * 2;

std::u16string Wide(const std::string& text) {
    std::u16string wide;
    if (!Utf8ToUtf16(text, wide))
        wide.assign(text.begin(), text.end());  // a driver's odd bytes, kept as they are
    return wide;
}

bool IsJpeg(std::span<const uint8_t> frame) {
    return frame.size() >= 4 && frame[0] == 0xFF && frame[1] == 0xD8;
}

}  // namespace

V4l2Camera::V4l2Camera(V4l2Operations& ops, V4l2CameraOptions options)
    : ops_(ops), options_(std::move(options)), device_(ops) {
    registers_[head::kRegSensorWidth] = head::kSensorWidth;
    registers_[head::kRegSensorHeight] = head::kSensorHeight;
    registers_[head::kRegImageWidth] = head::kSensorWidth;
    registers_[head::kRegImageHeight] = head::kSensorHeight;
    registers_[head::kRegAreaWidth] = head::kSensorWidth;
    registers_[head::kRegAreaHeight] = head::kSensorHeight;
    registers_[head::kRegCompression] = head::kCompressedFrames;
}

V4l2Camera::~V4l2Camera() {
    Close();
}

void V4l2Camera::Report(const std::string& reason) {
    if (reason == lastReport_)
        return;
    lastReport_ = reason;
    if (options_.report && !reason.empty())
        options_.report(reason);
}

bool V4l2Camera::EnumerateFirstDevice(std::u16string& path) {
    std::string found = options_.path;
    if (found.empty()) {
        const std::vector<std::string> nodes =
            options_.candidates ? options_.candidates() : CandidateNodes();
        const std::vector<FoundCamera> cameras = FindV4l2Cameras(ops_, nodes);
        if (cameras.empty()) {
            Report("no V4L2 camera that captures 640 x 480 MJPEG or YUYV");
            return false;
        }
        found = cameras.front().path;
    }
    std::u16string wide;
    if (!Utf8ToUtf16(found, wide))
        return false;
    path = std::move(wide);
    return true;
}

bool V4l2Camera::Open(const std::u16string& path) {
    Close();
    std::string narrow;
    if (!Utf16ToUtf8(path, narrow))
        return false;
    int error = 0;
    const OpenFailure failure = device_.Open(narrow, &error);
    if (failure != OpenFailure::kNone) {
        Report(OpenFailureText(failure, narrow, error));
        return false;
    }
    lastReport_.clear();
    // The controls are only looked at here: opening never moves the camera.
    actuators_ =
        std::make_unique<ControlActuators>(ops_, device_.Fd(), options_.fieldOfViewDegrees);
    model_ = actuators_->Model();
    interpreter_ =
        std::make_unique<head::CommandInterpreter>(model_, false, registers_, *actuators_);
    registers_[head::kRegStreaming] = 0;
    return true;
}

void V4l2Camera::Close() {
    interpreter_.reset();
    actuators_.reset();
    device_.Close();
    registers_[head::kRegStreaming] = 0;
}

bool V4l2Camera::DeviceGone() {
    if (!Gone() && device_.IsOpen()) {
        v4l2_capability capability{};
        device_.Ioctl(VIDIOC_QUERYCAP, &capability);  // an unplug marks the device gone
    }
    return device_.IsOpen() && Gone();
}

bool V4l2Camera::Gone() const {
    return device_.Gone() || (actuators_ && actuators_->Unplugged());
}

void V4l2Camera::FillInfo(std::span<uint8_t> out) const {
    DeviceInfoReply reply{};
    PutLe16(reply, kInfoWord1Offset, 1);  // interface revision
    PutLe16(reply, kInfoWord2Offset, model_);
    const DeviceIdentity& id = device_.Identity();
    // The driver's version as major.minor in one word (0x0610 for 6.16).
    PutLe16(reply, kInfoWord3Offset,
            static_cast<uint16_t>(((id.version >> 16) & 0xFF) << 8 | ((id.version >> 8) & 0xFF)));
    PutInfoText(reply, kInfoText1Offset, Wide(id.card));
    PutInfoText(reply, kInfoText2Offset, Wide(id.bus));
    PutInfoText(reply, kInfoText3Offset, Wide(id.driver));
    std::copy(reply.begin(), reply.end(), out.begin());
}

bool V4l2Camera::WriteRegister(uint16_t reg, uint16_t value) {
    switch (reg) {
        case head::kRegSensorWidth:
        case head::kRegSensorHeight:
            return true;  // the frame size is fixed
        case head::kRegCommand:
            registers_[reg] = value;
            interpreter_->Command(value, sys::NowUs());
            return !Gone();
        case head::kRegStreaming:
            registers_[reg] = value;
            if (value == 0) {
                device_.StopStreaming();
                return !Gone();
            }
            return device_.StartStreaming();
        default:
            registers_[reg] = value;
            return true;
    }
}

void V4l2Camera::KeepBlock(uint16_t reg, std::span<const uint8_t> payload) {
    blocks_[reg].assign(payload.begin(), payload.end());
    if (reg == head::kRegQuantTables && payload.size() >= 2 * kQuantEntries) {
        std::array<uint16_t, kQuantEntries> tables{};
        for (size_t i = 0; i < kQuantEntries; ++i)
            tables[i] = GetLe16(payload, 2 * i);
        reencoder_.SetQuantTables(tables);
    }
}

bool V4l2Camera::ControlRequest(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                                uint32_t& returned) {
    if (!device_.IsOpen() || Gone())
        return false;
    if (code == IOCTL_CAMERA_INFO) {
        if (out.size() < kDeviceInfoReplySize)
            return false;
        FillInfo(out);
        returned = kDeviceInfoReplySize;
        return true;
    }
    ::ControlRequest request;
    if (code != IOCTL_CAMERA_REGISTER || !::ControlRequest::Decode(in, request) ||
        request.index >= head::kRegisterCount) {
        return false;
    }
    interpreter_->Settle(sys::NowUs());
    if (request.direction == kDirectionCameraToHost && request.request == kRequestRead) {
        if (out.size() < 2)
            return false;
        const auto block = blocks_.find(request.index);
        if (out.size() > 2 && block != blocks_.end()) {
            const size_t n = std::min(out.size(), block->second.size());
            std::copy_n(block->second.begin(), n, out.begin());
            returned = static_cast<uint32_t>(n);
        } else {
            PutLe16(out, 0, registers_[request.index]);
            returned = 2;
        }
        return !Gone();
    }
    if (request.direction == kDirectionHostToCamera && request.request == kRequestWrite) {
        returned = 0;
        if (in.size() > kControlRequestSize) {
            KeepBlock(request.index, in.subspan(kControlRequestSize));
            return true;
        }
        return WriteRegister(request.index, request.value);
    }
    return false;
}

V4l2Camera::Frame V4l2Camera::Convert(std::span<const uint8_t> frame, std::span<uint8_t> buffer,
                                      uint32_t& delivered) {
    const bool compressed = registers_[head::kRegCompression] == head::kCompressedFrames;
    const bool mjpeg = device_.Format() == PixelFormat::kMjpeg;
    size_t written = 0;
    if (mjpeg && !IsJpeg(frame))
        return Frame::kDropped;
    if (!mjpeg && frame.size() < kPixelBytes)
        return Frame::kDropped;  // a YUYV frame cut short
    if (compressed && mjpeg) {
        PassThroughPlan plan;
        if (PlanPassThrough(frame, kFrameWidth, kFrameHeight, plan)) {
            written = CopyPassThrough(frame, plan, buffer);
            if (written == 0)
                return Frame::kFailed;  // the caller's buffer cannot hold a frame
        } else {
            written = reencoder_.FromJpeg(frame, buffer);
        }
    } else if (compressed) {
        written = reencoder_.FromYuyv(frame, buffer);
    } else if (buffer.size() < kPixelBytes) {
        return Frame::kFailed;
    } else if (mjpeg) {
        written = reencoder_.JpegToYuyv(frame, buffer) ? kPixelBytes : 0;
    } else {
        std::memcpy(buffer.data(), frame.data(), kPixelBytes);
        written = kPixelBytes;
    }
    if (written == 0)
        return Frame::kDropped;
    delivered = static_cast<uint32_t>(written);
    return Frame::kDelivered;
}

bool V4l2Camera::ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) {
    if (!device_.IsOpen() || Gone() || !device_.Streaming())
        return false;
    const int64_t deadlineUs = sys::NowUs() + int64_t{kFrameWaitMs} * 1000;
    for (;;) {
        V4l2Device::Frame frame;
        if (!device_.NextFrame(frame, deadlineUs))
            return false;
        const Frame result = Convert(frame.bytes, buffer, delivered);
        device_.ReleaseFrame(frame);
        // Motion advanced on the clock (targets, relative steps) keeps up with every frame.
        interpreter_->Settle(sys::NowUs());
        if (result != Frame::kDropped)
            return result == Frame::kDelivered;
    }
}

}  // namespace v4l2
