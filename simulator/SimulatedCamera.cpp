// The simulated camera's driver side: the request protocol, the register file, the
// information reply, frame pacing and the injected faults.
#include "simulator/SimulatedCamera.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/system/Clock.h"
#include "simulator/CameraHead.h"
#include "simulator/FrameEncoder.h"
#include "simulator/FrameRenderer.h"
#include "simulator/Optics.h"

namespace {

constexpr size_t kRequestHeaderBytes = 8;
constexpr uint16_t kDirectionRead = 0;
constexpr uint16_t kDirectionWrite = 1;
constexpr uint16_t kRequestRead = 0x61;
constexpr uint16_t kRequestWrite = 0x60;

constexpr size_t kInfoReplyBytes = 1542;
constexpr size_t kInfoText1At = 4;
constexpr size_t kInfoWord3At = 516;
constexpr size_t kInfoText2At = 518;
constexpr size_t kInfoText3At = 1030;
constexpr size_t kInfoTextBytes = 512;

// Frames come at 30 per second from the moment streaming is switched on.
constexpr int64_t kFramesPerSecond = 30;
int64_t FrameTimeUs(int64_t startUs, int64_t index) {
    return startUs + index * 1'000'000 / kFramesPerSecond;
}

// An oversized frame carries this many more pixels each way than programmed.
constexpr int kOversizeExtraWidth = 64;
constexpr int kOversizeExtraHeight = 48;

uint16_t ReadU16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void WriteU16(std::span<uint8_t> bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void WriteText(std::span<uint8_t> bytes, size_t at, std::u16string_view text) {
    const size_t units = std::min(text.size(), kInfoTextBytes / 2 - 1);  // keep the terminator
    for (size_t i = 0; i < units; ++i)
        WriteU16(bytes, at + 2 * i, text[i]);
}

std::u16string Widen(const std::string& text) {
    return {text.begin(), text.end()};
}

// The fault dice: splitmix64, the same numbers on every platform for a given seed.
class Dice {
  public:
    explicit Dice(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // True with probability `share`; a share of 0 never rolls and 1 always hits.
    bool Roll(double share) {
        if (share <= 0.0)
            return false;
        return static_cast<double>(Next() >> 11) * 0x1.0p-53 < share;
    }
    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }

  private:
    uint64_t state_;
};

}  // namespace

struct SimulatedCamera::Impl {
    explicit Impl(const SimulatedCameraOptions& o)
        : options(o), head(o.model, o.silentHead, registers), dice(o.seed) {
        PowerOn();
    }

    // The register file and the stream as the camera starts them when it gets power.
    void PowerOn() {
        registers.fill(0);
        registers[sim::kRegSensorWidth] = sim::kSensorWidth;
        registers[sim::kRegSensorHeight] = sim::kSensorHeight;
        registers[sim::kRegImageWidth] = sim::kSensorWidth;
        registers[sim::kRegImageHeight] = sim::kSensorHeight;
        registers[sim::kRegAreaWidth] = sim::kSensorWidth;
        registers[sim::kRegAreaHeight] = sim::kSensorHeight;
        registers[sim::kRegCompression] = sim::kCompressedFrames;
        quantTables = sim::DefaultQuantTables();
        blocks.clear();
        hostToneCurve = false;
        streaming = false;
    }

    // Whether the camera is plugged in now. An unplug happens once, unplug-after the first
    // open; with replug-after the camera comes back that long after it went, as a new device:
    // what was open before stays gone until it is closed, and the camera starts from power-on.
    bool Present() {
        const int64_t now = sys::NowUs();
        if (!unplugged && unplugAtUs >= 0 && now >= unplugAtUs) {
            unplugged = true;
            unpluggedAtUs = unplugAtUs;
            unplugAtUs = -1;
        }
        if (unplugged && options.replugAfterUs >= 0 &&
            now >= unpluggedAtUs + options.replugAfterUs) {
            unplugged = false;
            staleHandle = open;
            PowerOn();
        }
        return !unplugged;
    }
    bool Gone() { return !Present() || staleHandle; }

    bool Register(std::span<const uint8_t> in, std::span<uint8_t> out, uint32_t& returned);
    void WriteRegister(uint16_t reg, uint16_t value);
    void KeepBlock(uint16_t reg, std::span<const uint8_t> payload);
    bool Frame(std::span<uint8_t> buffer, uint32_t& delivered);
    bool MakeFrame(int64_t frameUs, bool oversize);
    void FillInfo(std::span<uint8_t> out) const;

    SimulatedCameraOptions options;
    sim::RegisterFile registers{};
    sim::CameraHead head;
    std::map<uint16_t, std::vector<uint8_t>> blocks;  // the last block written to a register
    sim::QuantTables quantTables{};
    std::array<uint8_t, 256> toneCurve{};
    bool hostToneCurve = false;

    bool open = false;
    bool staleHandle = false;  // open since before an unplug: gone even after the replug
    bool everOpened = false;
    bool unplugged = false;
    int64_t unplugAtUs = -1;     // when the pending unplug happens; -1 none
    int64_t unpluggedAtUs = -1;  // when the camera went
    // The camera's own clock, which the wall clock in the room shows: ten past ten when the
    // camera is first opened, then running with the clock of platform/system, so it is
    // deterministic under a virtual clock.
    int64_t firstOpenUs = 0;

    bool streaming = false;
    int64_t streamStartUs = 0;
    int64_t nextFrameIndex = 1;
    bool nextFlashOdd = true;  // which field the next flash lights; alternates
    int flashesFired = 0;

    Dice dice;
    sim::YccPlanes planes;
    std::vector<uint8_t> frame;
};

void SimulatedCamera::Impl::FillInfo(std::span<uint8_t> out) const {
    std::fill(out.begin(), out.begin() + kInfoReplyBytes, 0);
    WriteU16(out, 0, 1);              // interface revision
    WriteU16(out, 2, options.model);  // model number, as the head reports it
    WriteText(out, kInfoText1At, u"ZelvoCam USB PTZ Camera (simulated)");
    WriteU16(out, kInfoWord3At, 0x0214);  // firmware 2.14
    WriteText(out, kInfoText2At,
              u"Simulated camera head, model " + Widen(std::to_string(options.model)));
    WriteText(out, kInfoText3At, u"Serial SIM-" + Widen(std::to_string(options.model)) + u"-0001");
}

void SimulatedCamera::Impl::WriteRegister(uint16_t reg, uint16_t value) {
    const int64_t now = sys::NowUs();
    head.Settle(now);
    switch (reg) {
        case sim::kRegSensorWidth:
        case sim::kRegSensorHeight:
            return;  // the sensor's size is fixed
        case sim::kRegCommand:
            registers[reg] = value;
            head.Command(value, now);
            return;
        case sim::kRegStreaming:
            registers[reg] = value;
            if (value != 0 && !streaming) {
                streamStartUs = now;
                nextFrameIndex = 1;
            }
            streaming = value != 0;
            return;
        default:
            registers[reg] = value;
            return;
    }
}

void SimulatedCamera::Impl::KeepBlock(uint16_t reg, std::span<const uint8_t> payload) {
    blocks[reg].assign(payload.begin(), payload.end());
    if (reg == sim::kRegQuantTables) {
        const size_t words = std::min(payload.size() / 2, quantTables.size());
        for (size_t i = 0; i < words; ++i)
            quantTables[i] = ReadU16(payload, 2 * i);
    } else if (reg == sim::kRegToneCurve) {
        std::copy_n(payload.begin(), std::min(payload.size(), toneCurve.size()), toneCurve.begin());
        hostToneCurve = true;
    }
}

bool SimulatedCamera::Impl::Register(std::span<const uint8_t> in, std::span<uint8_t> out,
                                     uint32_t& returned) {
    if (in.size() < kRequestHeaderBytes)
        return false;
    const uint16_t direction = ReadU16(in, 0);
    const uint16_t request = ReadU16(in, 2);
    const uint16_t value = ReadU16(in, 4);
    const uint16_t reg = ReadU16(in, 6);
    if (reg >= sim::kRegisterCount)
        return false;

    if (direction == kDirectionRead && request == kRequestRead) {
        if (out.size() < 2)
            return false;
        head.Settle(sys::NowUs());
        const auto block = blocks.find(reg);
        if (out.size() > 2 && block != blocks.end()) {
            const size_t n = std::min(out.size(), block->second.size());
            std::copy_n(block->second.begin(), n, out.begin());
            returned = static_cast<uint32_t>(n);
        } else {
            WriteU16(out, 0, registers[reg]);
            returned = 2;
        }
        return true;
    }
    if (direction == kDirectionWrite && request == kRequestWrite) {
        if (in.size() == kRequestHeaderBytes) {
            WriteRegister(reg, value);
        } else {
            KeepBlock(reg, in.subspan(kRequestHeaderBytes));
        }
        returned = 0;
        return true;
    }
    return false;
}

bool SimulatedCamera::Impl::MakeFrame(int64_t frameUs, bool oversize) {
    const int width = registers[sim::kRegImageWidth];
    const int height = registers[sim::kRegImageHeight];
    if (width < 2 || width % 2 != 0 || width > sim::kSensorWidth || height < 1 ||
        height > sim::kSensorHeight) {
        return false;  // no picture the sensor can make
    }
    // The sensor area read out, scaled into the picture; an unset or impossible area is the
    // picture itself.
    int areaWidth = registers[sim::kRegAreaWidth];
    int areaHeight = registers[sim::kRegAreaHeight];
    if (areaWidth == 0 || areaWidth > sim::kSensorWidth)
        areaWidth = width;
    if (areaHeight == 0 || areaHeight > sim::kSensorHeight)
        areaHeight = height;

    sim::FrameRequest request;
    request.width = width + (oversize ? kOversizeExtraWidth : 0);
    request.height = height + (oversize ? kOversizeExtraHeight : 0);
    const double span = sim::UnitsPerPixel(options.model, head.Zoom(frameUs));
    request.unitsPerPixelX = span * areaWidth / width;
    request.unitsPerPixelY = span * areaHeight / height;
    request.centreX = head.Pan(frameUs);
    request.centreY = head.Tilt(frameUs);
    request.picture = head.Picture();
    request.toneCurve = hostToneCurve ? &toneCurve : nullptr;
    request.clockSeconds = sim::kTenPastTen + (frameUs - firstOpenUs) / 1'000'000;
    request.alive = !options.stillRoom;
    request.sceneUs = frameUs - firstOpenUs;
    if (head.TakeFlash(frameUs)) {
        request.flash = nextFlashOdd ? sim::FlashField::kOddRows : sim::FlashField::kEvenRows;
        nextFlashOdd = !nextFlashOdd;
        ++flashesFired;
    }
    sim::RenderFrame(request, planes);
    if (registers[sim::kRegCompression] == sim::kCompressedFrames) {
        return sim::EncodeJpegFrame(planes, quantTables, frame);
    }
    sim::PackRawFrame(planes, frame);
    return true;
}

bool SimulatedCamera::Impl::Frame(std::span<uint8_t> buffer, uint32_t& delivered) {
    if (!streaming)
        return false;
    // The next frame not yet delivered, and not one from the past: a read waits for it.
    const int64_t now = sys::NowUs();
    int64_t index = std::max(nextFrameIndex, (now - streamStartUs) * kFramesPerSecond / 1'000'000);
    while (FrameTimeUs(streamStartUs, index) < now)
        ++index;  // a step or two at most
    const int64_t frameUs = FrameTimeUs(streamStartUs, index);
    sys::CurrentClock().SleepUs(frameUs - now);
    if (!Present())
        return false;
    nextFrameIndex = index + 1;
    head.Settle(frameUs);

    const bool oversize = dice.Roll(options.oversizeRate);
    if (!MakeFrame(frameUs, oversize))
        return false;
    size_t length = frame.size();
    if (dice.Roll(options.corruptRate) && length > 0) {
        const size_t flips = 1 + dice.Below(8);
        for (size_t i = 0; i < flips; ++i) {
            const size_t bit = dice.Below(length * 8);
            frame[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        }
    }
    if (dice.Roll(options.shortRate) && length > 1)
        length = 1 + dice.Below(length - 1);
    // A read delivers at most the caller's buffer; the rest of the frame is lost.
    length = std::min(length, buffer.size());
    std::copy_n(frame.begin(), length, buffer.begin());
    delivered = static_cast<uint32_t>(length);
    return true;
}

SimulatedCamera::SimulatedCamera(const SimulatedCameraOptions& options)
    : impl_(std::make_unique<Impl>(options)) {}

SimulatedCamera::~SimulatedCamera() = default;

bool SimulatedCamera::EnumerateFirstDevice(std::u16string& path) {
    if (!impl_->Present())
        return false;
    path = kSimulatedCameraPath;
    return true;
}

bool SimulatedCamera::Open(const std::u16string& path) {
    if (!impl_->Present() || path != kSimulatedCameraPath)
        return false;
    if (!impl_->everOpened) {
        impl_->everOpened = true;
        impl_->firstOpenUs = sys::NowUs();
        if (impl_->options.unplugAfterUs >= 0) {
            impl_->unplugAtUs = sys::NowUs() + impl_->options.unplugAfterUs;
        }
    }
    impl_->open = true;
    impl_->staleHandle = false;
    return true;
}

bool SimulatedCamera::ControlRequest(uint32_t code, std::span<const uint8_t> in,
                                     std::span<uint8_t> out, uint32_t& returned) {
    if (!impl_->open || impl_->Gone())
        return false;
    if (code == IOCTL_CAMERA_INFO) {
        if (out.size() < kInfoReplyBytes)
            return false;
        impl_->FillInfo(out);
        returned = kInfoReplyBytes;
        return true;
    }
    if (code == IOCTL_CAMERA_REGISTER)
        return impl_->Register(in, out, returned);
    return false;
}

bool SimulatedCamera::ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) {
    if (!impl_->open || impl_->Gone())
        return false;
    return impl_->Frame(buffer, delivered);
}

void SimulatedCamera::Close() {
    impl_->open = false;
    impl_->staleHandle = false;
}

SimulatedCamera::Position SimulatedCamera::HeadPosition() {
    const int64_t now = sys::NowUs();
    return {impl_->head.Pan(now), impl_->head.Tilt(now), impl_->head.Zoom(now)};
}

uint16_t SimulatedCamera::PeekRegister(uint16_t reg) const {
    return reg < sim::kRegisterCount ? impl_->registers[reg] : 0;
}

std::vector<uint8_t> SimulatedCamera::PeekBlock(uint16_t reg) const {
    const auto block = impl_->blocks.find(reg);
    return block == impl_->blocks.end() ? std::vector<uint8_t>{} : block->second;
}

bool SimulatedCamera::DeviceGone() {
    return impl_->open && impl_->Gone();
}

int SimulatedCamera::FlashesFired() const {
    return impl_->flashesFired;
}
