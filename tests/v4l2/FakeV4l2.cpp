// The scripted V4L2 camera (see FakeV4l2.h).
#include "tests/v4l2/FakeV4l2.h"

#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/system/Clock.h"

namespace zelvo_test {

namespace {
constexpr int kFd = 7;

int Fail(int error) {
    errno = error;
    return -1;
}
}  // namespace

int FakeV4l2::Open(const std::string&, int flags) {
    if (openError != 0)
        return Fail(openError);
    openFlags = flags;
    ++openFds;
    return kFd;
}

int FakeV4l2::Close(int) {
    --openFds;
    return 0;
}

int FakeV4l2::Ioctl(int, unsigned long request, void* argument) {
    ++ioctls;
    if (interruptions > 0) {
        --interruptions;
        return Fail(EINTR);
    }
    const auto failure = failWith.find(request);
    if (failure != failWith.end())
        return Fail(failure->second);
    return Answer(request, argument);
}

void FakeV4l2::SetControls(std::vector<v4l2::ControlInfo> list) {
    controls_ = std::move(list);
    std::sort(controls_.begin(), controls_.end(), [](auto& a, auto& b) { return a.id < b.id; });
    for (const v4l2::ControlInfo& c : controls_)
        values[c.id] = c.defaultValue;
}

int FakeV4l2::Answer(unsigned long request, void* argument) {
    switch (request) {
        case VIDIOC_QUERY_EXT_CTRL: {
            auto& q = *static_cast<v4l2_query_ext_ctrl*>(argument);
            const uint32_t after = q.id & ~V4L2_CTRL_FLAG_NEXT_CTRL;
            for (const v4l2::ControlInfo& c : controls_) {
                if (c.id > after) {
                    q = {};
                    q.id = c.id;
                    q.type = c.type;
                    std::strncpy(q.name, c.name.c_str(), sizeof q.name - 1);
                    q.minimum = c.minimum;
                    q.maximum = c.maximum;
                    q.step = static_cast<uint64_t>(c.step);
                    q.default_value = c.defaultValue;
                    q.flags = c.flags;
                    return 0;
                }
            }
            return Fail(EINVAL);
        }
        case VIDIOC_G_CTRL: {
            auto& control = *static_cast<v4l2_control*>(argument);
            const auto value = values.find(control.id);
            if (value == values.end())
                return Fail(EINVAL);
            control.value = static_cast<int32_t>(value->second);
            return 0;
        }
        case VIDIOC_S_CTRL: {
            auto& control = *static_cast<v4l2_control*>(argument);
            if (const auto r = refuse.find(control.id); r != refuse.end())
                return Fail(r->second);
            sets.emplace_back(control.id, control.value);
            values[control.id] = control.value;
            return 0;
        }
        case VIDIOC_QUERYCAP: {
            if (!answersQueryCap)
                return Fail(ENOTTY);
            auto& caps = *static_cast<v4l2_capability*>(argument);
            std::strcpy(reinterpret_cast<char*>(caps.driver), "uvcvideo");
            std::strcpy(reinterpret_cast<char*>(caps.card), "Fake PTZ Camera");
            std::strcpy(reinterpret_cast<char*>(caps.bus_info), "usb-0000:00:14.0-1");
            caps.capabilities = nodeCaps | V4L2_CAP_DEVICE_CAPS | V4L2_CAP_META_CAPTURE;
            caps.device_caps = nodeCaps;
            return 0;
        }
        case VIDIOC_ENUM_FMT: {
            auto& desc = *static_cast<v4l2_fmtdesc*>(argument);
            if (desc.index >= formats.size())
                return Fail(EINVAL);
            desc.pixelformat = formats[desc.index];
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto& size = *static_cast<v4l2_frmsizeenum*>(argument);
            if (size.index >= sizes.size())
                return Fail(EINVAL);
            size.type = V4L2_FRMSIZE_TYPE_DISCRETE;
            size.discrete = {sizes[size.index].first, sizes[size.index].second};
            return 0;
        }
        case VIDIOC_ENUM_FRAMEINTERVALS: {
            auto& ival = *static_cast<v4l2_frmivalenum*>(argument);
            if (ival.index >= intervals.size())
                return Fail(EINVAL);
            ival.type = V4L2_FRMIVAL_TYPE_DISCRETE;
            ival.discrete = {intervals[ival.index].numerator, intervals[ival.index].denominator};
            return 0;
        }
        case VIDIOC_S_FMT: {
            auto& format = *static_cast<v4l2_format*>(argument);
            pixelFormat = format.fmt.pix.pixelformat;
            format.fmt.pix.bytesperline = pixelFormat == V4L2_PIX_FMT_YUYV ? 1280 : 0;
            return 0;
        }
        case VIDIOC_G_PARM:
            static_cast<v4l2_streamparm*>(argument)->parm.capture.capability =
                V4L2_CAP_TIMEPERFRAME;
            return 0;
        case VIDIOC_S_PARM:
            timePerFrame = static_cast<v4l2_streamparm*>(argument)->parm.capture.timeperframe;
            return 0;
        case VIDIOC_REQBUFS: {
            auto& req = *static_cast<v4l2_requestbuffers*>(argument);
            req.count = req.count == 0 ? 0 : std::min(req.count, buffersGranted);
            buffers_.assign(req.count, std::vector<uint8_t>(bufferBytes));
            queued.clear();
            return 0;
        }
        case VIDIOC_QUERYBUF: {
            auto& buffer = *static_cast<v4l2_buffer*>(argument);
            if (buffer.index >= buffers_.size())
                return Fail(EINVAL);
            buffer.length = static_cast<uint32_t>(bufferBytes);
            buffer.m.offset = buffer.index * 0x10000;
            return 0;
        }
        case VIDIOC_QBUF:
            queued.push_back(static_cast<v4l2_buffer*>(argument)->index);
            return 0;
        case VIDIOC_DQBUF: {
            if (!streaming || queued.empty() || deliveries.empty())
                return Fail(EAGAIN);
            const Delivery next = deliveries.front();
            deliveries.pop_front();
            if (next.error != 0)
                return Fail(next.error);
            auto& buffer = *static_cast<v4l2_buffer*>(argument);
            buffer.index = queued.front();
            queued.pop_front();
            auto& bytes = buffers_[buffer.index];
            const size_t n = std::min(next.bytes.size(), bytes.size());
            std::copy_n(next.bytes.begin(), n, bytes.begin());
            buffer.bytesused = next.claimed != 0 ? next.claimed : static_cast<uint32_t>(n);
            buffer.flags = next.flags;
            return 0;
        }
        case VIDIOC_STREAMON:
            streaming = true;
            return 0;
        case VIDIOC_STREAMOFF:
            streaming = false;
            return 0;
        default:
            return Fail(ENOTTY);
    }
}

void* FakeV4l2::Mmap(void*, size_t length, int, int, int, off_t offset) {
    const size_t index = static_cast<size_t>(offset) / 0x10000;
    if (index >= buffers_.size() || length > buffers_[index].size()) {
        errno = EINVAL;
        return MAP_FAILED;
    }
    ++mapped;
    return buffers_[index].data();
}

int FakeV4l2::Munmap(void*, size_t) {
    --mapped;
    return 0;
}

int FakeV4l2::Poll(pollfd* fds, nfds_t, int timeoutMs) {
    if (streaming && !deliveries.empty()) {
        fds[0].revents = POLLIN;
        return 1;
    }
    sys::CurrentClock().SleepUs(int64_t{timeoutMs} * 1000);
    fds[0].revents = 0;
    return 0;
}

}  // namespace zelvo_test
