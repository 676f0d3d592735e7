// What zelvocam-probe prints: the V4L2 cameras the station can use, and for one camera what the
// station will do with it (formats and sizes, the stream it takes, the pan/tilt/zoom, iris,
// exposure, white-balance and picture controls with their ranges, how each head command is
// carried out, and the model number the station will see). It only reads: nothing is set on the
// camera and no stream is started, so it can run beside a station that owns the camera.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

#include "v4l2/V4l2Operations.h"

namespace probe {

// One line per camera of `nodes` that the station can use; false when there is none.
bool ListCameras(v4l2::V4l2Operations& ops, std::span<const std::string> nodes, std::ostream& out);

// The report for the camera at `path`; false (with the one-line reason) when the station could
// not use it.
bool DescribeCamera(v4l2::V4l2Operations& ops, const std::string& path, double fieldOfViewDegrees,
                    std::ostream& out);

}  // namespace probe
