// The probe's reports (see Probe.h).
#include "tools/zelvocam-probe/Probe.h"

#include <fcntl.h>
#include <linux/videodev2.h>

#include <cerrno>
#include <ostream>
#include <vector>

#include "head/CommandInterpreter.h"
#include "v4l2/ControlPlan.h"
#include "v4l2/Discovery.h"
#include "v4l2/V4l2Device.h"

namespace probe {
namespace {

// The controls worth showing: those the head's commands may use, in this order.
constexpr uint32_t kShownControls[] = {
    V4L2_CID_PAN_ABSOLUTE,
    V4L2_CID_TILT_ABSOLUTE,
    V4L2_CID_PAN_RELATIVE,
    V4L2_CID_TILT_RELATIVE,
    V4L2_CID_PAN_SPEED,
    V4L2_CID_TILT_SPEED,
    V4L2_CID_ZOOM_ABSOLUTE,
    V4L2_CID_ZOOM_RELATIVE,
    V4L2_CID_ZOOM_CONTINUOUS,
    V4L2_CID_IRIS_ABSOLUTE,
    V4L2_CID_IRIS_RELATIVE,
    V4L2_CID_EXPOSURE_AUTO,
    V4L2_CID_EXPOSURE_ABSOLUTE,
    V4L2_CID_BRIGHTNESS,
    V4L2_CID_GAIN,
    V4L2_CID_AUTO_WHITE_BALANCE,
    V4L2_CID_RED_BALANCE,
    V4L2_CID_BLUE_BALANCE,
    V4L2_CID_WHITE_BALANCE_TEMPERATURE,
    V4L2_CID_FOCUS_AUTO,
    V4L2_CID_SHARPNESS,
    V4L2_CID_CONTRAST,
    V4L2_CID_SATURATION,
};

std::string FourCc(uint32_t code) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        const char c = static_cast<char>((code >> (8 * i)) & 0xFF);
        if (c != ' ')
            text += c;
    }
    return text;
}

int Ioctl(v4l2::V4l2Operations& ops, int fd, unsigned long request, void* argument) {
    int rc;
    do {
        rc = ops.Ioctl(fd, request, argument);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

void PrintFormats(v4l2::V4l2Operations& ops, int fd, std::ostream& out) {
    out << "Formats:\n";
    for (uint32_t f = 0; f < 64; ++f) {
        v4l2_fmtdesc desc{};
        desc.index = f;
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (Ioctl(ops, fd, VIDIOC_ENUM_FMT, &desc) < 0)
            break;
        out << "  " << FourCc(desc.pixelformat) << ":";
        for (uint32_t s = 0; s < 64; ++s) {
            v4l2_frmsizeenum size{};
            size.index = s;
            size.pixel_format = desc.pixelformat;
            if (Ioctl(ops, fd, VIDIOC_ENUM_FRAMESIZES, &size) < 0)
                break;
            if (size.type != V4L2_FRMSIZE_TYPE_DISCRETE) {
                out << " " << size.stepwise.min_width << "x" << size.stepwise.min_height << " to "
                    << size.stepwise.max_width << "x" << size.stepwise.max_height;
                break;
            }
            out << " " << size.discrete.width << "x" << size.discrete.height;
        }
        out << "\n";
    }
}

const char* ModelMeaning(const v4l2::ControlPlan& plan) {
    if (head::ModelHasPanTilt(v4l2::ModelOf(plan)))
        return "a class-5 head: pan, tilt and zoom";
    if (plan.zoom.run != v4l2::RunBy::kNone)
        return "a class-3 head: zoom only";
    return "a class-3 head whose zoom does nothing: the camera has no pan, tilt or zoom";
}

}  // namespace

bool ListCameras(v4l2::V4l2Operations& ops, std::span<const std::string> nodes, std::ostream& out) {
    const std::vector<v4l2::FoundCamera> cameras = v4l2::FindV4l2Cameras(ops, nodes);
    for (const v4l2::FoundCamera& camera : cameras) {
        out << camera.path << "  " << camera.identity.card << " (" << camera.identity.driver << ", "
            << camera.identity.bus << ")\n";
    }
    if (cameras.empty())
        out << "no V4L2 camera that captures 640 x 480 MJPEG or YUYV\n";
    return !cameras.empty();
}

bool DescribeCamera(v4l2::V4l2Operations& ops, const std::string& path, double fieldOfViewDegrees,
                    std::ostream& out) {
    v4l2::DeviceIdentity identity;
    const v4l2::OpenFailure failure = v4l2::ProbeDevice(ops, path, &identity);
    int fd =
        failure == v4l2::OpenFailure::kNone ? ops.Open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC) : -1;
    if (fd < 0) {
        out << v4l2::OpenFailureText(
                   failure == v4l2::OpenFailure::kNone ? v4l2::OpenFailure::kOther : failure, path,
                   errno)
            << "\n";
        return false;
    }
    out << path << ": " << identity.card << "\n"
        << "  driver " << identity.driver << ", bus " << identity.bus << "\n";
    PrintFormats(ops, fd, out);
    const v4l2::StreamChoice choice = v4l2::ChooseStream(ops, fd);
    out << "The station takes: " << (choice.format == v4l2::PixelFormat::kMjpeg ? "MJPEG" : "YUYV")
        << " 640x480";
    if (choice.intervalNumerator != 0) {
        out << " at " << static_cast<double>(choice.intervalDenominator) / choice.intervalNumerator
            << " frames a second";
    }
    out << (choice.format == v4l2::PixelFormat::kMjpeg
                ? " (frames in the station's form pass through, others are re-encoded)\n"
                : " (each frame encoded for the station)\n");

    std::vector<v4l2::ControlInfo> controls;
    v4l2::QueryControls(ops, fd, controls);
    out << "Controls:\n";
    bool any = false;
    for (const uint32_t id : kShownControls) {
        for (const v4l2::ControlInfo& c : controls) {
            if (c.id != id)
                continue;
            any = true;
            out << "  " << c.name << ": " << c.minimum << " to " << c.maximum << ", step " << c.step
                << ", default " << c.defaultValue
                << ((c.flags & V4L2_CTRL_FLAG_WRITE_ONLY) ? ", write-only" : "") << "\n";
        }
    }
    if (!any)
        out << "  none of pan, tilt, zoom, iris, exposure, white balance, focus or sharpness\n";
    const v4l2::ControlPlan plan = v4l2::PlanControls(controls);
    out << "Head commands:\n";
    for (const std::string& line : v4l2::DescribePlan(plan, fieldOfViewDegrees)) {
        if (!line.starts_with("model number"))  // the last line says it with its class
            out << "  " << line << "\n";
    }
    out << "Model number the station sees: " << v4l2::ModelOf(plan) << " (" << ModelMeaning(plan)
        << ")\n";
    ops.Close(fd);
    return true;
}

}  // namespace probe
