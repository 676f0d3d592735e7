// Opening, format negotiation, memory-mapped streaming and frame dequeueing on one V4L2 device.
#include "v4l2/V4l2Device.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/system/Clock.h"

namespace v4l2 {
namespace {

// Formats in the order the station prefers them.
constexpr struct {
    uint32_t fourcc;
    PixelFormat format;
} kFormats[] = {{V4L2_PIX_FMT_MJPEG, PixelFormat::kMjpeg}, {V4L2_PIX_FMT_YUYV, PixelFormat::kYuyv}};

constexpr uint32_t kFastestRate = 30;  // frames per second

std::string Text(const uint8_t* bytes, size_t size) {
    const auto* text = reinterpret_cast<const char*>(bytes);
    return std::string(text, strnlen(text, size));
}

// Capabilities of this node: device_caps where the driver fills it (a node of a device with
// several, such as the metadata node of a UVC camera, lists only its own).
uint32_t NodeCapabilities(const v4l2_capability& caps) {
    return (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
}

// One ioctl with EINTR repeated; for the probing before the device object owns the fd.
int RetryIoctl(V4l2Operations& ops, int fd, unsigned long request, void* argument) {
    int rc;
    do {
        rc = ops.Ioctl(fd, request, argument);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

bool OffersSize(V4l2Operations& ops, int fd, uint32_t fourcc) {
    for (uint32_t index = 0;; ++index) {
        v4l2_frmsizeenum size{};
        size.index = index;
        size.pixel_format = fourcc;
        if (RetryIoctl(ops, fd, VIDIOC_ENUM_FRAMESIZES, &size) < 0)
            return false;
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            if (size.discrete.width == kFrameWidth && size.discrete.height == kFrameHeight)
                return true;
            continue;
        }
        // Stepwise or continuous: one entry describes every size.
        const v4l2_frmsize_stepwise& s = size.stepwise;
        const auto fits = [](uint32_t want, uint32_t min, uint32_t max, uint32_t step) {
            return want >= min && want <= max && (step == 0 || (want - min) % step == 0);
        };
        return fits(kFrameWidth, s.min_width, s.max_width, s.step_width) &&
               fits(kFrameHeight, s.min_height, s.max_height, s.step_height);
    }
}

Interval IntervalFor(V4l2Operations& ops, int fd, uint32_t fourcc) {
    std::vector<Interval> offered;
    for (uint32_t index = 0; index < 64; ++index) {
        v4l2_frmivalenum ival{};
        ival.index = index;
        ival.pixel_format = fourcc;
        ival.width = kFrameWidth;
        ival.height = kFrameHeight;
        if (RetryIoctl(ops, fd, VIDIOC_ENUM_FRAMEINTERVALS, &ival) < 0)
            break;
        if (ival.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            offered.push_back({ival.discrete.numerator, ival.discrete.denominator});
            continue;
        }
        // A range: 1/30 s where it lies inside, else the end nearest to it.
        const Interval lo{ival.stepwise.min.numerator, ival.stepwise.min.denominator};
        const Interval hi{ival.stepwise.max.numerator, ival.stepwise.max.denominator};
        const Interval ends[] = {lo, hi};
        const Interval nearest = ChooseInterval(ends);
        const bool inside = uint64_t{lo.numerator} * kFastestRate <= lo.denominator &&
                            uint64_t{hi.numerator} * kFastestRate >= hi.denominator;
        return inside ? Interval{1, kFastestRate} : nearest;
    }
    return ChooseInterval(offered);
}

}  // namespace

Interval ChooseInterval(std::span<const Interval> offered) {
    // a/b < c/d without division: a*d < c*b.
    const auto shorter = [](const Interval& x, const Interval& y) {
        return uint64_t{x.numerator} * y.denominator < uint64_t{y.numerator} * x.denominator;
    };
    const auto slowEnough = [](const Interval& x) {
        return x.denominator != 0 && uint64_t{x.numerator} * kFastestRate >= x.denominator;
    };
    Interval best{}, longest{};
    bool haveBest = false, haveAny = false;
    for (const Interval& i : offered) {
        if (i.numerator == 0 || i.denominator == 0)
            continue;
        if (!haveAny || shorter(longest, i))
            longest = i;
        haveAny = true;
        if (slowEnough(i) && (!haveBest || shorter(i, best))) {
            best = i;
            haveBest = true;
        }
    }
    return haveBest ? best : longest;
}

StreamChoice ChooseStream(V4l2Operations& ops, int fd) {
    std::vector<uint32_t> listed;
    for (uint32_t index = 0; index < 64; ++index) {
        v4l2_fmtdesc desc{};
        desc.index = index;
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (RetryIoctl(ops, fd, VIDIOC_ENUM_FMT, &desc) < 0)
            break;
        listed.push_back(desc.pixelformat);
    }
    for (const auto& [fourcc, format] : kFormats) {
        if (std::find(listed.begin(), listed.end(), fourcc) == listed.end())
            continue;
        if (!OffersSize(ops, fd, fourcc))
            continue;
        const Interval interval = IntervalFor(ops, fd, fourcc);
        return {format, interval.numerator, interval.denominator};
    }
    return {};
}

std::string OpenFailureText(OpenFailure failure, const std::string& path, int error) {
    switch (failure) {
        case OpenFailure::kNone:
            return {};
        case OpenFailure::kNoSuchDevice:
            return path + ": no such device";
        case OpenFailure::kNotCaptureDevice:
            return path + ": not a V4L2 capture device";
        case OpenFailure::kBusy:
            return path + ": busy (another program is using the camera)";
        case OpenFailure::kPermissionDenied:
            return path +
                   ": permission denied (the user must be in the 'video' group: "
                   "sudo usermod -aG video $USER, then log in again)";
        case OpenFailure::kNoUsableFormat:
            return path + ": no 640 x 480 MJPEG or YUYV";
        case OpenFailure::kOther:
            break;
    }
    return path + ": cannot be opened (" + std::strerror(error) + ")";
}

namespace {

OpenFailure FailureOfOpen(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return OpenFailure::kNoSuchDevice;
        case EACCES:
        case EPERM:
            return OpenFailure::kPermissionDenied;
        case EBUSY:
            return OpenFailure::kBusy;
        case EISDIR:
        case ENOTDIR:
            return OpenFailure::kNotCaptureDevice;
        default:
            return OpenFailure::kOther;
    }
}

// Opens `path` and checks what it is, changing nothing on the device; on failure nothing is
// left open.
OpenFailure OpenAndCheck(V4l2Operations& ops, const std::string& path, int& fd,
                         DeviceIdentity& identity, StreamChoice& choice, int& error) {
    do {
        fd = ops.Open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        error = errno;
        return FailureOfOpen(error);
    }
    const auto fail = [&](OpenFailure failure, int e) {
        ops.Close(fd);
        fd = -1;
        error = e;
        return failure;
    };
    v4l2_capability caps{};
    if (RetryIoctl(ops, fd, VIDIOC_QUERYCAP, &caps) < 0) {
        const int e = errno;
        return fail(MeansUnplugged(e) ? OpenFailure::kNoSuchDevice : OpenFailure::kNotCaptureDevice,
                    e);
    }
    const uint32_t node = NodeCapabilities(caps);
    if (!(node & V4L2_CAP_VIDEO_CAPTURE) || !(node & V4L2_CAP_STREAMING))
        return fail(OpenFailure::kNotCaptureDevice, 0);
    identity = {Text(caps.card, sizeof caps.card), Text(caps.bus_info, sizeof caps.bus_info),
                Text(caps.driver, sizeof caps.driver), caps.version};
    choice = ChooseStream(ops, fd);
    if (choice.format == PixelFormat::kNone)
        return fail(OpenFailure::kNoUsableFormat, 0);
    return OpenFailure::kNone;
}

}  // namespace

OpenFailure ProbeDevice(V4l2Operations& ops, const std::string& path, DeviceIdentity* identity) {
    int fd = -1, error = 0;
    DeviceIdentity found;
    StreamChoice choice;
    const OpenFailure failure = OpenAndCheck(ops, path, fd, found, choice, error);
    if (failure == OpenFailure::kNone) {
        ops.Close(fd);
        if (identity)
            *identity = found;
    }
    return failure;
}

OpenFailure V4l2Device::Open(const std::string& path, int* error) {
    Close();
    gone_ = false;
    int e = 0;
    const OpenFailure checked = OpenAndCheck(ops_, path, fd_, identity_, choice_, e);
    if (checked != OpenFailure::kNone) {
        if (error)
            *error = e;
        return checked;
    }
    const auto fail = [&](OpenFailure failure, int code) {
        if (error)
            *error = code;
        Close();
        return failure;
    };

    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = kFrameWidth;
    format.fmt.pix.height = kFrameHeight;
    format.fmt.pix.pixelformat =
        choice_.format == PixelFormat::kMjpeg ? V4L2_PIX_FMT_MJPEG : V4L2_PIX_FMT_YUYV;
    format.fmt.pix.field = V4L2_FIELD_ANY;
    if (Ioctl(VIDIOC_S_FMT, &format) < 0) {
        const int formatError = errno;
        if (gone_)
            return fail(OpenFailure::kNoSuchDevice, formatError);
        return fail(formatError == EBUSY ? OpenFailure::kBusy : OpenFailure::kOther, formatError);
    }
    // The driver answers with what it set; anything but what was asked cannot be streamed.
    if (format.fmt.pix.width != kFrameWidth || format.fmt.pix.height != kFrameHeight ||
        (choice_.format == PixelFormat::kYuyv && format.fmt.pix.bytesperline != 0 &&
         format.fmt.pix.bytesperline != 2 * kFrameWidth)) {
        return fail(OpenFailure::kNoUsableFormat, 0);
    }

    if (choice_.intervalDenominator != 0) {
        v4l2_streamparm parm{};
        parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (Ioctl(VIDIOC_G_PARM, &parm) == 0 &&
            (parm.parm.capture.capability & V4L2_CAP_TIMEPERFRAME)) {
            parm.parm.capture.timeperframe = {choice_.intervalNumerator,
                                              choice_.intervalDenominator};
            Ioctl(VIDIOC_S_PARM, &parm);  // a camera that keeps its own rate still streams
        }
        if (gone_)
            return fail(OpenFailure::kNoSuchDevice, ENODEV);
    }
    return OpenFailure::kNone;
}

void V4l2Device::Close() {
    StopStreaming();
    if (fd_ >= 0)
        ops_.Close(fd_);
    fd_ = -1;
}

bool V4l2Device::Failed(int error) {
    if (MeansUnplugged(error))
        gone_ = true;
    errno = error;
    return false;
}

int V4l2Device::Ioctl(unsigned long request, void* argument) {
    if (fd_ < 0 || gone_) {
        errno = ENODEV;
        return -1;
    }
    int rc;
    do {
        rc = ops_.Ioctl(fd_, request, argument);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0)
        Failed(errno);
    return rc;
}

bool V4l2Device::Queue(uint32_t index) {
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    buffer.index = index;
    return Ioctl(VIDIOC_QBUF, &buffer) == 0;
}

bool V4l2Device::StartStreaming() {
    if (fd_ < 0 || gone_)
        return false;
    if (streaming_)
        return true;
    v4l2_requestbuffers request{};
    request.count = kWantedBuffers;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (Ioctl(VIDIOC_REQBUFS, &request) < 0)
        return false;
    bufferCount_ = std::min(request.count, kMaxBuffers);
    bool ok = request.count >= kMinBuffers;
    for (uint32_t i = 0; ok && i < bufferCount_; ++i) {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        if (Ioctl(VIDIOC_QUERYBUF, &buffer) < 0) {
            ok = false;
            break;
        }
        void* address = ops_.Mmap(nullptr, buffer.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd_,
                                  static_cast<off_t>(buffer.m.offset));
        if (address == MAP_FAILED) {
            Failed(errno);
            ok = false;
            break;
        }
        buffers_[i] = {address, buffer.length};
    }
    for (uint32_t i = 0; ok && i < bufferCount_; ++i)
        ok = Queue(i);
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (ok)
        ok = Ioctl(VIDIOC_STREAMON, &type) == 0;
    if (!ok) {
        UnmapBuffers();
        return false;
    }
    streaming_ = true;
    return true;
}

void V4l2Device::UnmapBuffers() {
    for (Mapping& mapping : buffers_) {
        if (mapping.address != nullptr)
            ops_.Munmap(mapping.address, mapping.length);
        mapping = {};
    }
    if (bufferCount_ != 0 && fd_ >= 0 && !gone_) {
        v4l2_requestbuffers none{};
        none.count = 0;
        none.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        none.memory = V4L2_MEMORY_MMAP;
        Ioctl(VIDIOC_REQBUFS, &none);  // gives the buffers back, so a later S_FMT is allowed
    }
    bufferCount_ = 0;
}

void V4l2Device::StopStreaming() {
    if (streaming_) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        Ioctl(VIDIOC_STREAMOFF, &type);
        streaming_ = false;
    }
    UnmapBuffers();
}

V4l2Device::Dequeued V4l2Device::Dequeue(Frame& frame) {
    v4l2_buffer buffer{};
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    int rc;
    do {
        rc = ops_.Ioctl(fd_, VIDIOC_DQBUF, &buffer);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0)
        return errno == EAGAIN ? Dequeued::kNothing : (Failed(errno), Dequeued::kFailed);
    const Mapping* mapping = buffer.index < bufferCount_ ? &buffers_[buffer.index] : nullptr;
    if (mapping != nullptr && !(buffer.flags & V4L2_BUF_FLAG_ERROR) && buffer.bytesused != 0 &&
        buffer.bytesused <= mapping->length) {
        frame.bytes = {static_cast<const uint8_t*>(mapping->address), buffer.bytesused};
        frame.index = buffer.index;
        return Dequeued::kFrame;
    }
    if (mapping != nullptr && !Queue(buffer.index))
        return Dequeued::kFailed;
    return Dequeued::kDropped;
}

bool V4l2Device::NextFrame(Frame& frame, int64_t deadlineUs) {
    if (!streaming_ || gone_)
        return false;
    bool errorPolled = false;
    for (;;) {
        const Dequeued got = Dequeue(frame);
        if (got == Dequeued::kFrame)
            return TakeNewest(frame);
        if (got == Dequeued::kFailed)
            return false;
        if (got == Dequeued::kNothing && errorPolled)
            return false;  // the error poll reported is not one DQBUF can explain
        // Nothing ready (or a frame dropped): wait for the next within what is left.
        const int64_t leftUs = deadlineUs - sys::NowUs();
        if (leftUs <= 0)
            return false;
        pollfd ready{fd_, POLLIN, 0};
        const int polled = ops_.Poll(&ready, 1, static_cast<int>((leftUs + 999) / 1000));
        if (polled == 0)
            return false;  // the whole wait went by without a frame
        if (polled < 0 && errno != EINTR)
            return Failed(errno);
        // A vanished device shows as POLLERR or POLLHUP; the DQBUF that follows says ENODEV.
        errorPolled = polled > 0 && !(ready.revents & POLLIN);
    }
}

bool V4l2Device::TakeNewest(Frame& frame) {
    for (;;) {
        Frame newer;
        const Dequeued got = Dequeue(newer);
        if (got == Dequeued::kDropped)
            continue;
        if (got != Dequeued::kFrame)
            return true;  // a failure here is the next read's to report
        if (!Queue(frame.index))
            return false;
        frame = newer;
    }
}

void V4l2Device::ReleaseFrame(const Frame& frame) {
    if (streaming_ && !gone_)
        Queue(frame.index);
}

}  // namespace v4l2
