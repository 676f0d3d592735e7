// The ZELVOCAM_DEVICE setting, which chooses the camera the station talks to, and the one place
// that turns it into a driver transport.
//
//     unset or empty              the first camera node, /dev/zelvocam* in name order
//     sim[:[MODEL][,OPTION]...]   the simulated camera: the model number the head reports,
//                                 then faults (unplug-after=DURATION, silent-head, corrupt=SHARE,
//                                 short=SHARE, oversize=SHARE, seed=N) and `still` (a room
//                                 without breathing, blinks or sensor noise)
//     anything else               the path of a camera node ("simulator" is a path too)
//
// Anything after `sim:` that is not understood is an error with a one-line reason, never a
// silent default, because a typo in a reliability run would otherwise test the healthy camera
// and pass. Only the program reads the environment; everything here takes the value as given.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "device/DriverTransport.h"
#include "simulator/SimulatedCamera.h"

inline constexpr const char* kDeviceEnvironmentVariable = "ZELVOCAM_DEVICE";

struct DeviceSetting {
    enum class Kind { kFirstNode, kNodePath, kSimulated };
    Kind kind = Kind::kFirstNode;
    std::string nodePath;              // kNodePath: the node to open
    SimulatedCameraOptions simulated;  // kSimulated: the camera to build
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
