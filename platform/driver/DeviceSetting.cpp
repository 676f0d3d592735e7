// Reading the ZELVOCAM_DEVICE value, and building the transport it names.
#include "platform/driver/DeviceSetting.h"

#include <charconv>
#include <cstdio>

#include "platform/driver/DeviceNodeTransport.h"
#include "platform/driver/V4l2Transports.h"
#include "simulator/FaultOptions.h"

namespace {

constexpr std::string_view kPrefix = "sim";
constexpr std::string_view kV4l2Prefix = "v4l2:";

bool ParseUnsigned(std::string_view text, uint64_t max, uint64_t& value) {
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value <= max;
}

std::string Quote(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// `sim` and `sim:...`; "simx" or "simulator" are paths.
bool NamesSimulatedCamera(std::string_view value) {
    return value == kPrefix ||
           (value.starts_with(kPrefix) && value.substr(kPrefix.size()).starts_with(':'));
}

bool ParseSimulatedOptions(std::string_view value, SimulatedCameraOptions& options,
                           std::string& error) {
    const std::string whole = Quote(value);
    SimulatedCameraOptions parsed;
    if (value == kPrefix) {
        options = parsed;
        return true;
    }
    std::string_view rest = value.substr(kPrefix.size() + 1);
    bool first = true;
    while (true) {
        const size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        if (item.empty()) {
            error = "ZELVOCAM_DEVICE=" + whole + ": empty item";
            return false;
        }
        uint64_t model = 0;
        if (first && item.find_first_not_of("0123456789") == std::string_view::npos) {
            if (!ParseUnsigned(item, UINT16_MAX, model)) {
                error = "ZELVOCAM_DEVICE=" + whole + ": model number " + Quote(item) +
                        " is not between 0 and 65535";
                return false;
            }
            parsed.model = static_cast<uint16_t>(model);
        } else if (!sim::ParseFaultOption(item, parsed, error)) {
            error = "ZELVOCAM_DEVICE=" + whole + ": " + error;
            return false;
        }
        first = false;
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    options = parsed;
    return true;
}

}  // namespace

bool ParseDeviceSetting(const char* value, DeviceSetting& setting, std::string& error) {
    DeviceSetting parsed;
    const std::string_view text = value != nullptr ? value : "";
    if (text.empty()) {
        parsed.kind = DeviceSetting::Kind::kFirstNode;
    } else if (sim::NamesEmulatedUvcCamera(text)) {
        parsed.kind = DeviceSetting::Kind::kEmulatedV4l2;
        if (!sim::ParseEmulatedUvcSetting(text, parsed.emulated, error))
            return false;
    } else if (text.starts_with(kV4l2Prefix)) {
        parsed.kind = DeviceSetting::Kind::kV4l2Path;
        parsed.nodePath = text.substr(kV4l2Prefix.size());
        if (parsed.nodePath.empty()) {
            error = "ZELVOCAM_DEVICE='v4l2:' needs the camera's device, such as v4l2:/dev/video0";
            return false;
        }
    } else if (NamesSimulatedCamera(text)) {
        parsed.kind = DeviceSetting::Kind::kSimulated;
        if (!ParseSimulatedOptions(text, parsed.simulated, error))
            return false;
    } else {
        parsed.kind = DeviceSetting::Kind::kNodePath;
        parsed.nodePath = text;
    }
    setting = std::move(parsed);
    return true;
}

std::unique_ptr<DriverTransport> CreateDriverTransport(const DeviceSetting& setting,
                                                       const std::string& deviceDirectory) {
    v4l2::V4l2CameraOptions camera;
    camera.fieldOfViewDegrees = setting.fieldOfViewDegrees;
    camera.report = [](const std::string& reason) {
        std::fprintf(stderr, "zelvocam: %s\n", reason.c_str());
    };
    switch (setting.kind) {
        case DeviceSetting::Kind::kSimulated:
            return std::make_unique<SimulatedCamera>(setting.simulated);
        case DeviceSetting::Kind::kNodePath:
            return std::make_unique<DeviceNodeTransport>(deviceDirectory, setting.nodePath);
        case DeviceSetting::Kind::kV4l2Path:
            camera.path = setting.nodePath;
            return std::make_unique<v4l2::V4l2Camera>(v4l2::SystemV4l2Operations(),
                                                      std::move(camera));
        case DeviceSetting::Kind::kEmulatedV4l2:
            return std::make_unique<EmulatedV4l2Transport>(setting.emulated, std::move(camera));
        case DeviceSetting::Kind::kFirstNode:
            break;
    }
    return std::make_unique<FirstCameraTransport>(deviceDirectory, std::move(camera));
}

std::unique_ptr<DriverTransport> CreateDriverTransport(const char* value, std::string& error) {
    DeviceSetting setting;
    if (!ParseDeviceSetting(value, setting, error))
        return nullptr;
    return CreateDriverTransport(setting);
}

std::unique_ptr<SimulatedCamera> CreateSimulatedCamera(std::string_view value, std::string& error) {
    if (!NamesSimulatedCamera(value)) {
        error = "ZELVOCAM_DEVICE=" + Quote(value) + " does not select the simulated camera";
        return nullptr;
    }
    SimulatedCameraOptions options;
    if (!ParseSimulatedOptions(value, options, error))
        return nullptr;
    return std::make_unique<SimulatedCamera>(options);
}
