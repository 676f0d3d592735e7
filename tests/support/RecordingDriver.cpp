// The recording driver: register file, information reply, frame queue, failures, record.
#include "tests/support/RecordingDriver.h"

#include <algorithm>
#include <cstdio>

#include "platform/system/Clock.h"

namespace zelvo_test {

namespace {

std::string FormatTime(int64_t us) {
    char text[48];
    if (us % 1000 == 0) {
        std::snprintf(text, sizeof text, "@ %lld ms", static_cast<long long>(us / 1000));
    } else {
        std::snprintf(text, sizeof text, "@ %lld.%03lld ms", static_cast<long long>(us / 1000),
                      static_cast<long long>(us % 1000));
    }
    return text;
}

std::string Hex(std::span<const uint8_t> bytes) {
    std::string out;
    char byte[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%s%02X", i ? " " : "", bytes[i]);
        out += byte;
    }
    return out;
}

bool IsRegisterKind(RecordedRequest::Kind kind) {
    using K = RecordedRequest::Kind;
    return kind == K::Read || kind == K::Write || kind == K::Block || kind == K::Malformed;
}

}  // namespace

std::string RecordedRequest::ToString() const {
    std::string text;
    switch (kind) {
        case Kind::Enumerate:
            text = "enumerate";
            break;
        case Kind::Open:
            text = "open";
            break;
        case Kind::Close:
            text = "close";
            break;
        case Kind::Info:
            text = "info";
            break;
        case Kind::Read:
            text = "read reg " + std::to_string(header.index);
            if (outputLength != 2)
                text += " [" + std::to_string(outputLength) + "]";
            break;
        case Kind::Write:
            text =
                "write reg " + std::to_string(header.index) + " = " + std::to_string(header.value);
            break;
        case Kind::Block:
            text = "block reg " + std::to_string(header.index) + " [" +
                   std::to_string(payload.size()) + "]";
            break;
        case Kind::Malformed: {
            char codeText[16];
            std::snprintf(codeText, sizeof codeText, "%X", code);
            text = "request " + std::string(codeText) + " " + Hex(input) + " in " +
                   std::to_string(input.size()) + " out " + std::to_string(outputLength);
            break;
        }
        case Kind::Frame:
            text = "frame " + std::to_string(outputLength) + " -> " + std::to_string(delivered);
            break;
    }
    if (failed)
        text += " failed";
    return text + " " + FormatTime(timeUs);
}

RecordingDriver::RecordingDriver() = default;

void RecordingDriver::SetInfo(uint16_t word1, uint16_t word2, uint16_t word3,
                              std::u16string_view text1, std::u16string_view text2,
                              std::u16string_view text3) {
    info.fill(0);
    PutLe16(info, kInfoWord1Offset, word1);
    PutLe16(info, kInfoWord2Offset, word2);
    PutLe16(info, kInfoWord3Offset, word3);
    PutInfoText(info, kInfoText1Offset, text1);
    PutInfoText(info, kInfoText2Offset, text2);
    PutInfoText(info, kInfoText3Offset, text3);
}

std::vector<std::string> RecordingDriver::Transcript(bool registersOnly) const {
    std::vector<std::string> lines;
    for (const RecordedRequest& r : log_) {
        if (!registersOnly || IsRegisterKind(r.kind))
            lines.push_back(r.ToString());
    }
    return lines;
}

bool RecordingDriver::ConsumeFailure() {
    if (failAll_)
        return true;
    if (failNext_ > 0) {
        --failNext_;
        return true;
    }
    return false;
}

RecordedRequest& RecordingDriver::Record(RecordedRequest::Kind kind) {
    RecordedRequest& r = log_.emplace_back();
    r.kind = kind;
    r.timeUs = sys::NowUs();
    return r;
}

bool RecordingDriver::EnumerateFirstDevice(std::u16string& path) {
    RecordedRequest& r = Record(RecordedRequest::Kind::Enumerate);
    r.failed = !present;
    if (!present)
        return false;
    path = devicePath;
    return true;
}

bool RecordingDriver::Open(const std::u16string& path) {
    RecordedRequest& r = Record(RecordedRequest::Kind::Open);
    r.path = path;
    r.failed = openFails || !present || path != devicePath;
    open_ = !r.failed;
    gone_ = false;
    return open_;
}

void RecordingDriver::Close() {
    Record(RecordedRequest::Kind::Close);
    open_ = false;
    gone_ = false;
}

void RecordingDriver::Unplug() {
    present = false;
    gone_ = open_;
}

bool RecordingDriver::ControlRequest(uint32_t code, std::span<const uint8_t> in,
                                     std::span<uint8_t> out, uint32_t& returned) {
    returned = 0;
    RecordedRequest r;
    r.timeUs = sys::NowUs();
    r.code = code;
    r.input.assign(in.begin(), in.end());
    r.outputLength = static_cast<uint32_t>(out.size());

    const bool haveHeader = ControlRequest::Decode(in, r.header);
    const ::ControlRequest& h = r.header;
    if (code == IOCTL_CAMERA_INFO && in.empty() && out.size() == kDeviceInfoReplySize) {
        r.kind = RecordedRequest::Kind::Info;
    } else if (code == IOCTL_CAMERA_REGISTER && haveHeader && h.direction == 0 &&
               h.request == kRequestRead && h.value == 0 && in.size() == 8) {
        r.kind = RecordedRequest::Kind::Read;
    } else if (code == IOCTL_CAMERA_REGISTER && haveHeader && h.direction == 1 &&
               h.request == kRequestWrite && in.size() == 8 && out.empty()) {
        r.kind = RecordedRequest::Kind::Write;
    } else if (code == IOCTL_CAMERA_REGISTER && haveHeader && h.direction == 1 &&
               h.request == kRequestWrite && h.value == 0 && in.size() > 8 && out.empty()) {
        r.kind = RecordedRequest::Kind::Block;
        r.payload.assign(in.begin() + 8, in.end());
    } else {
        r.kind = RecordedRequest::Kind::Malformed;
    }

    const bool ok = r.kind != RecordedRequest::Kind::Malformed && open_ && !gone_ &&
                    (!haveHeader || h.index < registers.size()) && !ConsumeFailure();
    r.failed = !ok;
    log_.push_back(r);
    if (!ok)
        return false;

    switch (r.kind) {
        case RecordedRequest::Kind::Info:
            std::copy(info.begin(), info.end(), out.begin());
            returned = static_cast<uint32_t>(info.size());
            break;
        case RecordedRequest::Kind::Read:
            // Consecutive registers fill a longer output, low byte first.
            for (size_t i = 0; i < out.size(); ++i) {
                const size_t reg = h.index + i / 2;
                const uint16_t v = reg < registers.size() ? registers[reg] : 0;
                out[i] = static_cast<uint8_t>(i % 2 == 0 ? v & 0xFF : v >> 8);
            }
            returned = static_cast<uint32_t>(out.size());
            break;
        case RecordedRequest::Kind::Write:
            registers[h.index] = h.value;
            if (onWrite)
                onWrite(*this, h.index, h.value);
            break;
        case RecordedRequest::Kind::Block:
            blocks[h.index] = r.payload;
            if (onWrite)
                onWrite(*this, h.index, 0);
            break;
        default:
            break;
    }
    return true;
}

bool RecordingDriver::ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) {
    delivered = 0;
    RecordedRequest& r = Record(RecordedRequest::Kind::Frame);
    r.outputLength = static_cast<uint32_t>(buffer.size());
    if (!open_ || gone_ || ConsumeFailure() || (frames.empty() && !frameSource)) {
        r.failed = true;
        return false;
    }
    const bool queued = !frames.empty();
    const std::vector<uint8_t> frame = queued ? std::move(frames.front()) : frameSource();
    if (queued)
        frames.pop_front();
    const size_t n = std::min(frame.size(), buffer.size());
    std::copy_n(frame.begin(), n, buffer.begin());
    delivered = static_cast<uint32_t>(n);
    r.delivered = delivered;
    return true;
}

void SetSensorSize(RecordingDriver& driver, uint16_t width, uint16_t height) {
    driver.registers[33] = width;
    driver.registers[34] = height;
}

}  // namespace zelvo_test
