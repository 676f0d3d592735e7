// The format requests of the emulated UVC camera's capture node.
#include "simulator/EmulatedUvcFormats.h"

#include <linux/videodev2.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace sim {

namespace {

size_t RateCount(const UvcFrameSize& size) {
    size_t n = 0;
    while (n < std::size(size.rates) && size.rates[n] != 0)
        ++n;
    return n;
}

// uvcvideo's nearest frame size: the least area that the two rectangles do not share.
size_t NearestSize(const UvcFormat& format, uint32_t width, uint32_t height) {
    size_t best = 0;
    uint64_t bestDistance = std::numeric_limits<uint64_t>::max();
    for (size_t i = 0; i < format.sizes.size(); ++i) {
        const uint64_t w = format.sizes[i].width, h = format.sizes[i].height;
        const uint64_t shared = std::min<uint64_t>(w, width) * std::min<uint64_t>(h, height);
        const uint64_t distance = w * h + uint64_t{width} * height - 2 * shared;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

// The offered rate whose frame interval is nearest `numerator / denominator` seconds; an
// interval of zero (either part 0) asks for the fastest.
uint8_t NearestRate(const UvcFrameSize& size, uint32_t numerator, uint32_t denominator) {
    if (numerator == 0 || denominator == 0)
        return size.rates[0];
    const double interval = static_cast<double>(numerator) / denominator;
    uint8_t best = size.rates[0];
    for (size_t i = 0; i < RateCount(size); ++i) {
        if (std::abs(1.0 / size.rates[i] - interval) < std::abs(1.0 / best - interval))
            best = size.rates[i];
    }
    return best;
}

void FillFormat(v4l2_pix_format& pix, const UvcFormat& f, const UvcFrameSize& s) {
    pix = {};
    pix.width = s.width;
    pix.height = s.height;
    pix.pixelformat = f.pixelFormat;
    pix.field = V4L2_FIELD_NONE;
    pix.bytesperline = f.pixelFormat == V4L2_PIX_FMT_YUYV ? s.width * 2u : 0u;
    pix.sizeimage = uint32_t{s.width} * s.height * 2;
    pix.colorspace = V4L2_COLORSPACE_SRGB;
    pix.priv = V4L2_PIX_FMT_PRIV_MAGIC;
    pix.ycbcr_enc = V4L2_YCBCR_ENC_601;
    pix.xfer_func = V4L2_XFER_FUNC_SRGB;
}

}  // namespace

bool UvcFormats::IsFormatRequest(unsigned long request) {
    switch (request) {
        case VIDIOC_ENUM_FMT:
        case VIDIOC_ENUM_FRAMESIZES:
        case VIDIOC_ENUM_FRAMEINTERVALS:
        case VIDIOC_G_FMT:
        case VIDIOC_S_FMT:
        case VIDIOC_TRY_FMT:
        case VIDIOC_G_PARM:
        case VIDIOC_S_PARM:
            return true;
        default:
            return false;
    }
}

void UvcFormats::Reset() {
    format_ = 0;
    size_ = 0;
    rate_ = Size().rates[0];
}

int UvcFormats::Ioctl(unsigned long request, void* argument, bool formatMayChange,
                      bool rateMayChange) {
    switch (request) {
        case VIDIOC_ENUM_FMT: {
            auto& e = *static_cast<v4l2_fmtdesc*>(argument);
            if (e.type != V4L2_BUF_TYPE_VIDEO_CAPTURE || e.index >= profile_.formats.size())
                return EINVAL;
            const UvcFormat& f = profile_.formats[e.index];
            const uint32_t index = e.index;
            e = {};
            e.index = index;
            e.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            e.pixelformat = f.pixelFormat;
            const bool jpeg = f.pixelFormat == V4L2_PIX_FMT_MJPEG;
            e.flags = jpeg ? V4L2_FMT_FLAG_COMPRESSED : 0;
            CopyText(e.description, jpeg ? "Motion-JPEG" : "YUYV 4:2:2");
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto& e = *static_cast<v4l2_frmsizeenum*>(argument);
            for (const UvcFormat& f : profile_.formats) {
                if (f.pixelFormat != e.pixel_format)
                    continue;
                if (e.index >= f.sizes.size())
                    return EINVAL;
                e.type = V4L2_FRMSIZE_TYPE_DISCRETE;
                e.discrete.width = f.sizes[e.index].width;
                e.discrete.height = f.sizes[e.index].height;
                return 0;
            }
            return EINVAL;
        }
        case VIDIOC_ENUM_FRAMEINTERVALS: {
            auto& e = *static_cast<v4l2_frmivalenum*>(argument);
            for (const UvcFormat& f : profile_.formats) {
                if (f.pixelFormat != e.pixel_format)
                    continue;
                for (const UvcFrameSize& s : f.sizes) {
                    if (s.width != e.width || s.height != e.height)
                        continue;
                    if (e.index >= RateCount(s))
                        return EINVAL;
                    e.type = V4L2_FRMIVAL_TYPE_DISCRETE;
                    e.discrete.numerator = 1;
                    e.discrete.denominator = s.rates[e.index];
                    return 0;
                }
            }
            return EINVAL;
        }
        case VIDIOC_G_FMT: {
            auto& f = *static_cast<v4l2_format*>(argument);
            if (f.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
                return EINVAL;
            FillFormat(f.fmt.pix, Format(), Size());
            return 0;
        }
        case VIDIOC_TRY_FMT:
        case VIDIOC_S_FMT: {
            auto& f = *static_cast<v4l2_format*>(argument);
            if (f.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
                return EINVAL;
            size_t format = 0;
            for (size_t i = 0; i < profile_.formats.size(); ++i) {
                if (profile_.formats[i].pixelFormat == f.fmt.pix.pixelformat)
                    format = i;
            }
            const UvcFormat& chosen = profile_.formats[format];
            const size_t size = NearestSize(chosen, f.fmt.pix.width, f.fmt.pix.height);
            FillFormat(f.fmt.pix, chosen, chosen.sizes[size]);
            if (request == VIDIOC_TRY_FMT)
                return 0;
            if (!formatMayChange)
                return EBUSY;
            format_ = format;
            size_ = size;
            rate_ = NearestRate(chosen.sizes[size], 1, rate_);
            return 0;
        }
        case VIDIOC_G_PARM:
        case VIDIOC_S_PARM: {
            auto& p = *static_cast<v4l2_streamparm*>(argument);
            if (p.type != V4L2_BUF_TYPE_VIDEO_CAPTURE)
                return EINVAL;
            if (request == VIDIOC_S_PARM) {
                if (!rateMayChange)
                    return EBUSY;
                rate_ = NearestRate(Size(), p.parm.capture.timeperframe.numerator,
                                    p.parm.capture.timeperframe.denominator);
            }
            p.parm.capture = {};
            p.parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
            p.parm.capture.timeperframe = {1, rate_};
            return 0;
        }
        default:
            return ENOTTY;
    }
}

}  // namespace sim
