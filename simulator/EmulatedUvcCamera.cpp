// The emulated UVC camera's nodes, formats, buffers, frames and unplugging.
#include "simulator/EmulatedUvcCamera.h"

#include <linux/videodev2.h>
#include <sys/mman.h>

#include <fcntl.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <deque>
#include <limits>
#include <map>

#include "platform/system/Clock.h"
#include "simulator/EmulatedUvcControls.h"
#include "simulator/EmulatedUvcFormats.h"
#include "simulator/EmulatedUvcFrames.h"
#include "simulator/FrameRenderer.h"

namespace sim {

namespace {

constexpr int kFirstDescriptor = 1000;  // far from the process's own, so a mix-up shows
constexpr uint32_t kMaxBuffers = VIDEO_MAX_FRAME;
constexpr size_t kPageBytes = 4096;
constexpr uint32_t kKernelVersion = 6u << 16 | 1u << 8;
constexpr uint32_t kMetadataBufferBytes = 10 * 1024;
constexpr uint32_t kTimestampFlags =
    V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC | V4L2_BUF_FLAG_TSTAMP_SRC_SOE;
// The room's units: one pixel of a 640-wide picture at the widest zoom.
constexpr double kArcsecPerRoomUnit = kUvcWideFieldArcsec / 640.0;

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
    bool Roll(double share) {
        return share > 0.0 && static_cast<double>(Next() >> 11) * 0x1.0p-53 < share;
    }
    size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }

  private:
    uint64_t state_;
};

int Fail(int error) {
    errno = error;
    return -1;
}

}  // namespace

struct EmulatedUvcCamera::Impl {
    explicit Impl(const EmulatedUvcOptions& o)
        : options(o),
          profile(FindUvcProfile(o.profile) != nullptr ? *FindUvcProfile(o.profile)
                                                       : *FindUvcProfile(1)),
          controls(profile, o.silentHead),
          formats(profile),
          dice(o.seed) {
        ResetStream();
    }

    struct Descriptor {
        int generation;  // the device it was opened on; an unplug makes a new one
        bool metadata;
        bool nonBlocking;
    };
    enum class BufferState { kDequeued, kQueued, kDone };
    struct Buffer {
        std::shared_ptr<std::vector<uint8_t>> memory;  // also held by every mapping of it
        uint32_t offset = 0;
        BufferState state = BufferState::kDequeued;
        uint32_t bytesUsed = 0;
        uint32_t sequence = 0;
        uint32_t flags = 0;  // V4L2_BUF_FLAG_ERROR of the frame in it
        int64_t timestampUs = 0;
    };
    struct Mapping {
        std::shared_ptr<std::vector<uint8_t>> memory;
        int count = 0;
    };

    // Presence.
    void UpdatePresence(int64_t now);
    void UnplugAt(int64_t us);
    void ReplugAt(int64_t us);
    bool Current(const Descriptor& d) const { return present && d.generation == generation; }

    // The stream.
    void ResetStream();
    int64_t FrameTimeUs(int64_t index) const {
        return streamStartUs + index * 1'000'000 / formats.Rate();
    }
    bool Acquire(int fd) {
        if (owner < 0)
            owner = fd;
        return owner == fd;
    }
    void ReleaseBuffers() { buffers.clear(); }
    void StreamOff();
    void Advance(int64_t now);
    void Deliver(int64_t frameUs, Buffer& buffer);
    void FillBuffer(const Buffer& b, uint32_t index, v4l2_buffer& out) const;
    int64_t NextWakeUs() const;

    // Requests.
    int CaptureIoctl(int fd, const Descriptor& d, unsigned long request, void* argument);
    int MetadataIoctl(unsigned long request, void* argument);
    void FillCapabilities(v4l2_capability& cap, bool metadata) const;
    int Dequeue(const Descriptor& d, v4l2_buffer& out);

    EmulatedUvcOptions options;
    const UvcProfile& profile;
    UvcControls controls;
    UvcFormats formats;

    std::map<int, Descriptor> descriptors;
    int nextDescriptor = kFirstDescriptor;
    int generation = 1;
    bool present = true;
    bool everOpened = false;
    int64_t firstOpenUs = 0;
    int64_t unplugAtUs = -1;  // a pending unplug
    int64_t replugAtUs = -1;  // a pending replug

    int owner = -1;  // the descriptor that set the format or holds the buffers
    std::vector<Buffer> buffers;
    std::deque<uint32_t> queued;
    std::deque<uint32_t> done;
    bool streaming = false;
    int64_t streamStartUs = 0;
    int64_t nextFrame = 1;  // index of the next frame the camera takes
    uint32_t sequence = 0;
    std::map<const void*, Mapping> mappings;

    Dice dice;
    YccPlanes planes;
    std::vector<uint8_t> frame;
    std::vector<uint8_t> scratch;
};

// ---------------------------------------------------------------------------------------------
// Presence.

void EmulatedUvcCamera::Impl::UpdatePresence(int64_t now) {
    if (present && unplugAtUs >= 0 && now >= unplugAtUs)
        UnplugAt(unplugAtUs);
    if (!present && replugAtUs >= 0 && now >= replugAtUs)
        ReplugAt(replugAtUs);
}

void EmulatedUvcCamera::Impl::UnplugAt(int64_t us) {
    present = false;
    unplugAtUs = -1;
    replugAtUs = options.replugAfterUs >= 0 ? us + options.replugAfterUs : -1;
    controls.StopMotors(us);
    streaming = false;
    owner = -1;
    ReleaseBuffers();  // memory still mapped stays valid until unmapped
    queued.clear();
    done.clear();
}

void EmulatedUvcCamera::Impl::ReplugAt(int64_t us) {
    present = true;
    replugAtUs = -1;
    ++generation;
    controls.Reset(us);
    ResetStream();
}

// ---------------------------------------------------------------------------------------------
// The stream.

void EmulatedUvcCamera::Impl::ResetStream() {
    formats.Reset();
}

void EmulatedUvcCamera::Impl::StreamOff() {
    streaming = false;
    for (Buffer& b : buffers)
        b.state = BufferState::kDequeued;
    queued.clear();
    done.clear();
}

// Takes every frame whose time has come: into the oldest queued buffer, or dropped when none
// is queued.
void EmulatedUvcCamera::Impl::Advance(int64_t now) {
    while (streaming && FrameTimeUs(nextFrame) <= now) {
        if (queued.empty()) {
            // The last frame due by now: FrameTimeUs(k) <= now for every k up to it.
            const int64_t last = ((now - streamStartUs + 1) * formats.Rate() - 1) / 1'000'000;
            sequence += static_cast<uint32_t>(last - nextFrame + 1);
            nextFrame = last + 1;
            continue;
        }
        Buffer& b = buffers[queued.front()];
        queued.pop_front();
        Deliver(FrameTimeUs(nextFrame), b);
        done.push_back(static_cast<uint32_t>(&b - buffers.data()));
        ++nextFrame;
    }
}

void EmulatedUvcCamera::Impl::Deliver(int64_t frameUs, Buffer& b) {
    b.state = BufferState::kDone;
    b.sequence = sequence++;
    b.timestampUs = frameUs;
    b.flags = 0;

    const UvcFrameSize& size = formats.Size();
    FrameRequest request;
    request.width = size.width;
    request.height = size.height;
    const Aim aim{controls.Pan(frameUs), controls.Tilt(frameUs), controls.Zoom(frameUs)};
    RoomView(profile, aim, size.width, request.centreX, request.centreY, request.unitsPerPixelX);
    request.unitsPerPixelY = request.unitsPerPixelX;
    request.picture = controls.Picture();
    request.clockSeconds = kTenPastTen + (frameUs - firstOpenUs) / 1'000'000;
    RenderFrame(request, planes);
    if (formats.Format().pixelFormat == V4L2_PIX_FMT_MJPEG) {
        if (!EncodeUvcJpeg(planes, formats.Format().jpegForm, frame, scratch)) {
            b.flags = V4L2_BUF_FLAG_ERROR;
            b.bytesUsed = 0;
            return;
        }
    } else {
        PackRawFrame(planes, frame);
    }

    std::vector<uint8_t>& memory = *b.memory;
    size_t length = frame.size();
    if (dice.Roll(options.corruptRate) && length > 0) {
        const size_t flips = 1 + dice.Below(8);
        for (size_t i = 0; i < flips; ++i) {
            const size_t bit = dice.Below(length * 8);
            frame[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        }
    }
    if (dice.Roll(options.shortRate))
        length = dice.Below(length);
    // A frame the buffer cannot hold fills it and is marked as an error, as uvcvideo does.
    if (dice.Roll(options.oversizeRate) || length > memory.size()) {
        b.flags = V4L2_BUF_FLAG_ERROR;
        length = memory.size();
    }
    std::copy_n(frame.begin(), std::min(length, frame.size()), memory.begin());
    b.bytesUsed = static_cast<uint32_t>(length);
}

void EmulatedUvcCamera::Impl::FillBuffer(const Buffer& b, uint32_t index, v4l2_buffer& out) const {
    out = {};
    out.index = index;
    out.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    out.memory = V4L2_MEMORY_MMAP;
    out.m.offset = b.offset;
    out.length = static_cast<uint32_t>(b.memory->size());
    out.bytesused = b.bytesUsed;
    out.field = V4L2_FIELD_NONE;
    out.sequence = b.sequence;
    out.timestamp.tv_sec = b.timestampUs / 1'000'000;
    out.timestamp.tv_usec = b.timestampUs % 1'000'000;
    out.flags = kTimestampFlags | b.flags;
    if (b.state == BufferState::kQueued)
        out.flags |= V4L2_BUF_FLAG_QUEUED;
    if (b.state == BufferState::kDone)
        out.flags |= V4L2_BUF_FLAG_DONE;
    if (mappings.count(b.memory->data()) != 0)
        out.flags |= V4L2_BUF_FLAG_MAPPED;
}

// When the next thing a poll waits for happens: a frame for a queued buffer, or an unplug.
int64_t EmulatedUvcCamera::Impl::NextWakeUs() const {
    int64_t wake = std::numeric_limits<int64_t>::max();
    if (streaming && !queued.empty())
        wake = FrameTimeUs(nextFrame);
    if (present && unplugAtUs >= 0)
        wake = std::min(wake, unplugAtUs);
    return wake;
}

// ---------------------------------------------------------------------------------------------
// Requests of the capture node.

void EmulatedUvcCamera::Impl::FillCapabilities(v4l2_capability& cap, bool metadata) const {
    cap = {};
    CopyText(cap.driver, "uvcvideo");
    CopyText(cap.card, profile.card);
    CopyText(cap.bus_info, profile.busInfo);
    cap.version = kKernelVersion;
    cap.device_caps = (metadata ? V4L2_CAP_META_CAPTURE : V4L2_CAP_VIDEO_CAPTURE) |
                      V4L2_CAP_STREAMING | V4L2_CAP_EXT_PIX_FORMAT;
    cap.capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING |
                       V4L2_CAP_EXT_PIX_FORMAT | V4L2_CAP_DEVICE_CAPS;
}

int EmulatedUvcCamera::Impl::Dequeue(const Descriptor& d, v4l2_buffer& out) {
    if (done.empty()) {
        if (d.nonBlocking)
            return EAGAIN;
        if (queued.empty())
            return EINVAL;
        const int64_t now = sys::NowUs();
        sys::CurrentClock().SleepUs(NextWakeUs() - now);
        UpdatePresence(sys::NowUs());
        if (!Current(d))
            return ENODEV;
        Advance(sys::NowUs());
    }
    const uint32_t index = done.front();
    done.pop_front();
    Buffer& b = buffers[index];
    b.state = BufferState::kDequeued;
    FillBuffer(b, index, out);
    return 0;
}

int EmulatedUvcCamera::Impl::CaptureIoctl(int fd, const Descriptor& d, unsigned long request,
                                          void* argument) {
    if (UvcControls::IsControlRequest(request))
        return controls.Ioctl(request, argument, sys::NowUs());
    if (UvcFormats::IsFormatRequest(request)) {
        // Setting the format or rate makes this descriptor the stream's owner.
        const bool mayOwn = owner < 0 || owner == fd;
        const int error =
            formats.Ioctl(request, argument, mayOwn && buffers.empty(), mayOwn && !streaming);
        if (error == 0 && (request == VIDIOC_S_FMT || request == VIDIOC_S_PARM))
            Acquire(fd);
        return error;
    }
    switch (request) {
        case VIDIOC_QUERYCAP:
            FillCapabilities(*static_cast<v4l2_capability*>(argument), false);
            return 0;
        case VIDIOC_ENUMINPUT: {
            auto& input = *static_cast<v4l2_input*>(argument);
            if (input.index != 0)
                return EINVAL;
            input = {};
            CopyText(input.name, "Camera 1");
            input.type = V4L2_INPUT_TYPE_CAMERA;
            return 0;
        }
        case VIDIOC_G_INPUT:
            *static_cast<int*>(argument) = 0;
            return 0;
        case VIDIOC_S_INPUT:
            return *static_cast<int*>(argument) == 0 ? 0 : EINVAL;
        case VIDIOC_REQBUFS: {
            auto& r = *static_cast<v4l2_requestbuffers*>(argument);
            if (r.type != V4L2_BUF_TYPE_VIDEO_CAPTURE || r.memory != V4L2_MEMORY_MMAP)
                return EINVAL;
            if (!Acquire(fd) || streaming)
                return EBUSY;
            ReleaseBuffers();
            queued.clear();
            done.clear();
            r.capabilities = V4L2_BUF_CAP_SUPPORTS_MMAP | V4L2_BUF_CAP_SUPPORTS_ORPHANED_BUFS;
            if (r.count == 0) {
                owner = -1;
                return 0;
            }
            r.count = std::min(r.count, kMaxBuffers);
            const size_t length = (formats.SizeImage() + kPageBytes - 1) / kPageBytes * kPageBytes;
            for (uint32_t i = 0; i < r.count; ++i) {
                Buffer b;
                b.memory = std::make_shared<std::vector<uint8_t>>(length);
                b.offset = static_cast<uint32_t>(i * length);
                buffers.push_back(std::move(b));
            }
            return 0;
        }
        case VIDIOC_QUERYBUF:
        case VIDIOC_QBUF:
        case VIDIOC_DQBUF: {
            auto& b = *static_cast<v4l2_buffer*>(argument);
            if (b.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
                return EINVAL;
            if (owner != fd)
                return EBUSY;
            if (request == VIDIOC_DQBUF)
                return b.memory == V4L2_MEMORY_MMAP && streaming ? Dequeue(d, b) : EINVAL;
            if (b.index >= buffers.size())
                return EINVAL;
            Buffer& buffer = buffers[b.index];
            if (request == VIDIOC_QBUF) {
                if (b.memory != V4L2_MEMORY_MMAP || buffer.state != BufferState::kDequeued)
                    return EINVAL;
                buffer.state = BufferState::kQueued;
                queued.push_back(b.index);
            }
            FillBuffer(buffer, b.index, b);
            return 0;
        }
        case VIDIOC_STREAMON:
        case VIDIOC_STREAMOFF: {
            if (*static_cast<const int*>(argument) != V4L2_BUF_TYPE_VIDEO_CAPTURE)
                return EINVAL;
            if (owner != fd)
                return EBUSY;
            if (request == VIDIOC_STREAMOFF) {
                StreamOff();
                return 0;
            }
            if (buffers.empty())
                return EINVAL;
            if (!streaming) {
                streaming = true;
                streamStartUs = sys::NowUs();
                nextFrame = 1;
                sequence = 0;
            }
            return 0;
        }
        default:
            return ENOTTY;
    }
}

// The metadata node describes its one format; it has no controls, and its buffers are not
// emulated (nothing in the station reads them).
int EmulatedUvcCamera::Impl::MetadataIoctl(unsigned long request, void* argument) {
    switch (request) {
        case VIDIOC_QUERYCAP:
            FillCapabilities(*static_cast<v4l2_capability*>(argument), true);
            return 0;
        case VIDIOC_ENUM_FMT: {
            auto& e = *static_cast<v4l2_fmtdesc*>(argument);
            if (e.type != V4L2_BUF_TYPE_META_CAPTURE || e.index != 0)
                return EINVAL;
            e = {};
            e.type = V4L2_BUF_TYPE_META_CAPTURE;
            e.pixelformat = V4L2_META_FMT_UVC;
            CopyText(e.description, "UVC Payload Header Metadata");
            return 0;
        }
        case VIDIOC_G_FMT:
        case VIDIOC_S_FMT:
        case VIDIOC_TRY_FMT: {
            auto& f = *static_cast<v4l2_format*>(argument);
            if (f.type != V4L2_BUF_TYPE_META_CAPTURE)
                return EINVAL;
            f.fmt.meta = {};
            f.fmt.meta.dataformat = V4L2_META_FMT_UVC;
            f.fmt.meta.buffersize = kMetadataBufferBytes;
            return 0;
        }
        case VIDIOC_REQBUFS:
        case VIDIOC_QUERYBUF:
        case VIDIOC_QBUF:
        case VIDIOC_DQBUF:
        case VIDIOC_STREAMON:
        case VIDIOC_STREAMOFF:
            return EINVAL;
        default:
            return ENOTTY;
    }
}

// ---------------------------------------------------------------------------------------------
// The operations table.

EmulatedUvcCamera::EmulatedUvcCamera(const EmulatedUvcOptions& options)
    : impl_(std::make_unique<Impl>(options)) {}

EmulatedUvcCamera::~EmulatedUvcCamera() = default;

int EmulatedUvcCamera::Open(const std::string& path, int flags) {
    Impl& m = *impl_;
    const int64_t now = sys::NowUs();
    m.UpdatePresence(now);
    const bool capture =
        path == kEmulatedUvcCaptureNode || path == std::string("/dev/v4l/by-id/") + m.profile.byId;
    if (!m.present || (!capture && path != kEmulatedUvcMetadataNode))
        return Fail(ENOENT);
    if (!m.everOpened) {
        m.everOpened = true;
        m.firstOpenUs = now;
        if (m.options.unplugAfterUs >= 0)
            m.unplugAtUs = now + m.options.unplugAfterUs;
    }
    const int fd = m.nextDescriptor++;
    m.descriptors[fd] = {m.generation, !capture, (flags & O_NONBLOCK) != 0};
    return fd;
}

int EmulatedUvcCamera::Close(int fd) {
    Impl& m = *impl_;
    const auto it = m.descriptors.find(fd);
    if (it == m.descriptors.end())
        return Fail(EBADF);
    if (m.owner == fd && m.Current(it->second)) {
        m.StreamOff();
        m.ReleaseBuffers();
        m.owner = -1;
    }
    m.descriptors.erase(it);
    return 0;
}

int EmulatedUvcCamera::Ioctl(int fd, unsigned long request, void* argument) {
    Impl& m = *impl_;
    const auto it = m.descriptors.find(fd);
    if (it == m.descriptors.end())
        return Fail(EBADF);
    const int64_t now = sys::NowUs();
    m.UpdatePresence(now);
    if (!m.Current(it->second))
        return Fail(ENODEV);
    if (argument == nullptr)
        return Fail(EFAULT);
    m.Advance(now);
    const int error = it->second.metadata ? m.MetadataIoctl(request, argument)
                                          : m.CaptureIoctl(fd, it->second, request, argument);
    return error == 0 ? 0 : Fail(error);
}

void* EmulatedUvcCamera::Mmap(void* /*address*/, size_t length, int /*protection*/, int flags,
                              int fd, off_t offset) {
    Impl& m = *impl_;
    const auto it = m.descriptors.find(fd);
    if (it == m.descriptors.end()) {
        errno = EBADF;
        return MAP_FAILED;
    }
    m.UpdatePresence(sys::NowUs());
    if (!m.Current(it->second)) {
        errno = ENODEV;
        return MAP_FAILED;
    }
    for (const Impl::Buffer& b : m.buffers) {
        if (static_cast<off_t>(b.offset) != offset || it->second.metadata)
            continue;
        if ((flags & MAP_SHARED) == 0 || length == 0 || length > b.memory->size())
            break;
        Impl::Mapping& mapping = m.mappings[b.memory->data()];
        mapping.memory = b.memory;
        ++mapping.count;
        return b.memory->data();
    }
    errno = EINVAL;
    return MAP_FAILED;
}

int EmulatedUvcCamera::Munmap(void* address, size_t /*length*/) {
    const auto it = impl_->mappings.find(address);
    if (it == impl_->mappings.end())
        return Fail(EINVAL);
    if (--it->second.count == 0)
        impl_->mappings.erase(it);
    return 0;
}

int EmulatedUvcCamera::Poll(pollfd* fds, nfds_t count, int timeoutMs) {
    Impl& m = *impl_;
    const int64_t start = sys::NowUs();
    const int64_t deadline =
        timeoutMs < 0 ? std::numeric_limits<int64_t>::max() : start + int64_t{timeoutMs} * 1000;
    while (true) {
        const int64_t now = sys::NowUs();
        m.UpdatePresence(now);
        m.Advance(now);
        int ready = 0;
        for (nfds_t i = 0; i < count; ++i) {
            pollfd& p = fds[i];
            p.revents = 0;
            if (p.fd < 0)
                continue;
            const auto it = m.descriptors.find(p.fd);
            if (it == m.descriptors.end()) {
                p.revents = POLLNVAL;
            } else if (!m.Current(it->second)) {
                p.revents = POLLERR | POLLHUP;
            } else if (it->second.metadata || !m.streaming) {
                p.revents = POLLERR;  // nothing to wait for on a queue that is not streaming
            } else if (!m.done.empty()) {
                p.revents = static_cast<short>(p.events & (POLLIN | POLLRDNORM));
            }
            ready += p.revents != 0 ? 1 : 0;
        }
        if (ready > 0 || now >= deadline)
            return ready;
        const int64_t wake = std::min(m.NextWakeUs(), deadline);
        if (wake == std::numeric_limits<int64_t>::max())
            return 0;
        sys::CurrentClock().SleepUs(wake - now);
    }
}

const UvcProfile& EmulatedUvcCamera::Profile() const {
    return impl_->profile;
}

const EmulatedUvcOptions& EmulatedUvcCamera::Options() const {
    return impl_->options;
}

std::vector<std::string> EmulatedUvcCamera::Nodes() {
    impl_->UpdatePresence(sys::NowUs());
    if (!impl_->present)
        return {};
    return {std::string("/dev/v4l/by-id/") + impl_->profile.byId, kEmulatedUvcCaptureNode,
            kEmulatedUvcMetadataNode};
}

EmulatedUvcCamera::Aim EmulatedUvcCamera::AimNow() {
    const int64_t now = sys::NowUs();
    impl_->UpdatePresence(now);
    return {impl_->controls.Pan(now), impl_->controls.Tilt(now), impl_->controls.Zoom(now)};
}

void EmulatedUvcCamera::RoomView(const UvcProfile& profile, const Aim& aim, int width,
                                 double& centreX, double& centreY, double& unitsPerPixel) {
    const UvcControl* zoom = FindUvcControl(profile, V4L2_CID_ZOOM_ABSOLUTE);
    const double widest = zoom != nullptr ? zoom->minimum : 1.0;
    const double field = kUvcWideFieldArcsec * widest / std::max(aim.zoom, widest);
    unitsPerPixel = field / width / kArcsecPerRoomUnit;
    centreX = aim.panArcsec / kArcsecPerRoomUnit;
    centreY = aim.tiltArcsec / kArcsecPerRoomUnit;
}

void EmulatedUvcCamera::Unplug() {
    impl_->UpdatePresence(sys::NowUs());
    if (impl_->present)
        impl_->UnplugAt(sys::NowUs());
}

void EmulatedUvcCamera::Replug() {
    impl_->UpdatePresence(sys::NowUs());
    if (!impl_->present)
        impl_->ReplugAt(sys::NowUs());
}

std::unique_ptr<EmulatedUvcCamera> CreateEmulatedUvcCamera(std::string_view value,
                                                           std::string& error) {
    EmulatedUvcOptions options;
    if (!ParseEmulatedUvcSetting(value, options, error))
        return nullptr;
    return std::make_unique<EmulatedUvcCamera>(options);
}

}  // namespace sim
