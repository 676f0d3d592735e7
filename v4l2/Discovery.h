// Finding the V4L2 cameras the station can use: the nodes to look at, in the order people
// expect (the stable names under /dev/v4l/by-id first, then /dev/videoN by number), and the
// first of them that captures 640 x 480 MJPEG or YUYV with streaming I/O. Metadata-only nodes
// and devices of other kinds fail the probe and are passed over. Probing sets nothing on a
// device.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "v4l2/V4l2Device.h"

namespace v4l2 {

// The nodes under `devDirectory` in looking order; a node reached through a by-id link is not
// listed again under its own name.
std::vector<std::string> CandidateNodes(const std::string& devDirectory = "/dev");

struct FoundCamera {
    std::string path;
    DeviceIdentity identity;
};

// The cameras among `nodes` that ProbeDevice accepts, in order, each once (a camera reached
// under two names is listed under the first).
std::vector<FoundCamera> FindV4l2Cameras(V4l2Operations& ops, std::span<const std::string> nodes);

}  // namespace v4l2
