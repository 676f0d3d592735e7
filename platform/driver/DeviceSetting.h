// The ZELVOCAM_DEVICE setting, which chooses the camera the station talks to, and the one place
// that turns it into a driver transport.
//
//     unset or empty              the first camera node, /dev/zelvocam* in name order, else
//                                 the first V4L2 camera (by /dev/v4l/by-id, then /dev/videoN)
//                                 that captures 640 x 480 MJPEG or YUYV
//     sim[:[MODEL][,OPTION]...]   the simulated camera: the model number the head reports,
//                                 then faults (unplug-after=DURATION, replug-after=DURATION,
//                                 silent-head, corrupt=SHARE, short=SHARE, oversize=SHARE,
//                                 seed=N) and `still` (a room without breathing, blinks or
//                                 sensor noise)
//     v4l2:PATH                   the V4L2 camera at PATH (a UVC camera: /dev/video0, or its
//                                 /dev/v4l/by-id name)
//     v4l2-sim[:PROFILE][,OPTION]...
//                                 the emulated UVC camera of profile 1-6 behind the V4L2 camera
//                                 code; the options of `sim`
//     anything else               the path of a camera node ("simulator" is a path too)
//
// Anything after `sim:` or `v4l2-sim:` that is not understood is an error with a one-line
// reason, never a silent default, because a typo in a reliability run would otherwise test the
// healthy camera and pass. Only the program reads the environment; everything here takes the
// value as given. A V4L2 camera that cannot be opened says why in one line on stderr.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "device/DriverTransport.h"
#include "simulator/EmulatedUvcProfiles.h"
#include "simulator/SimulatedCamera.h"

inline constexpr const char* kDeviceEnvironmentVariable = "ZELVOCAM_DEVICE";

struct DeviceSetting {
    enum class Kind { kFirstNode, kNodePath, kSimulated, kV4l2Path, kEmulatedV4l2 };
    Kind kind = Kind::kFirstNode;
    std::string nodePath;              // kNodePath, kV4l2Path: the node to open
    SimulatedCameraOptions simulated;  // kSimulated: the camera to build
    sim::EmulatedUvcOptions emulated;  // kEmulatedV4l2: the camera to emulate
    // The horizontal field of view of a V4L2 camera at its widest zoom.
    double fieldOfViewDegrees = 60.0;
};

// Reads a ZELVOCAM_DEVICE value; nullptr reads as unset. False with a one-line `error` for a
// simulated-camera value that cannot be understood.
bool ParseDeviceSetting(const char* value, DeviceSetting& setting, std::string& error);

// The transport a setting names. Camera nodes are looked for in `deviceDirectory`.
std::unique_ptr<DriverTransport> CreateDriverTransport(const DeviceSetting& setting,
                                                       const std::string& deviceDirectory = "/dev");

// Both steps at once: nullptr with a one-line `error` when the value cannot be understood.
std::unique_ptr<DriverTransport> CreateDriverTransport(const char* value, std::string& error);

// The simulated camera a `sim...` value asks for, for tests and tools that need to reach it
// from outside the driver interface; nullptr with a one-line `error` for any other value.
std::unique_ptr<SimulatedCamera> CreateSimulatedCamera(std::string_view value, std::string& error);
