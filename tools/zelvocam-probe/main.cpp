// zelvocam-probe: which V4L2 cameras the station can use, and what it will do with one.
//
//     zelvocam-probe                 the cameras, one a line
//     zelvocam-probe DEVICE          the report for one: /dev/videoN, v4l2:/dev/videoN, or
//                                    v4l2-sim[:PROFILE] for the emulated camera
//     --field-of-view=DEGREES        the camera's horizontal field of view at its widest zoom
//                                    (default 60), as the station's setting gives it
#include <charconv>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system/ProgramInfo.h"
#include "simulator/EmulatedUvcCamera.h"
#include "tools/zelvocam-probe/Probe.h"
#include "v4l2/Discovery.h"

namespace {

constexpr std::string_view kHelp =
    "usage: zelvocam-probe [--field-of-view=DEGREES] "
    "[/dev/videoN | v4l2:/dev/videoN | v4l2-sim[:PROFILE]]\n"
    "Lists the V4L2 cameras the ZelvoCam USB station can use; for one camera, what the\n"
    "station will do with it: formats, controls, how each head command is carried out and\n"
    "the model number the station sees. It only reads from the camera.\n"
    "\n"
    "  --field-of-view=DEGREES  the camera's horizontal field of view at its widest zoom\n"
    "                           (default 60), as the station's setting gives it\n"
    "\n"
    "Exit codes: 0 done, 1 no camera or the camera cannot be read, 2 bad command line.\n"
    "See zelvocam-probe(1).\n";

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> answered =
            AnswerProgramInfo(argc, argv, "zelvocam-probe", kHelp, std::cout))
        return *answered;
    double fieldOfView = 60.0;
    std::string device;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        constexpr std::string_view kField = "--field-of-view=";
        if (arg.starts_with(kField)) {
            const std::string_view value = arg.substr(kField.size());
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), fieldOfView);
            if (ec != std::errc() || end != value.data() + value.size() || fieldOfView <= 0 ||
                fieldOfView >= 180) {
                std::fprintf(stderr, "zelvocam-probe: a field of view in degrees, 1 to 179\n");
                return 2;
            }
        } else if (arg == "--help" || arg == "-h" || !device.empty()) {
            std::cerr << kHelp.substr(0, kHelp.find('\n') + 1);
            return arg == "--help" || arg == "-h" ? 0 : 2;
        } else {
            device = arg;
        }
    }
    if (device.starts_with("v4l2-sim")) {
        sim::EmulatedUvcOptions options;
        std::string error;
        if (!sim::ParseEmulatedUvcSetting(device, options, error)) {
            std::fprintf(stderr, "zelvocam-probe: %s\n", error.c_str());
            return 2;
        }
        sim::EmulatedUvcCamera camera(options);
        return probe::DescribeCamera(camera, sim::kEmulatedUvcCaptureNode, fieldOfView, std::cout)
                   ? 0
                   : 1;
    }
    v4l2::V4l2Operations& ops = v4l2::SystemV4l2Operations();
    if (device.empty()) {
        const auto nodes = v4l2::CandidateNodes();
        return probe::ListCameras(ops, nodes, std::cout) ? 0 : 1;
    }
    if (device.starts_with("v4l2:"))
        device.erase(0, 5);
    return probe::DescribeCamera(ops, device, fieldOfView, std::cout) ? 0 : 1;
}
