// Reading the ZELVOCAM_DEVICE value, and building the transport it names.
#include "platform/driver/DeviceSetting.h"

#include <charconv>
#include <cmath>

#include <cstdio>

#include "platform/driver/DeviceNodeTransport.h"
#include "platform/driver/V4l2Transports.h"

namespace {

constexpr std::string_view kPrefix = "sim";
constexpr std::string_view kV4l2Prefix = "v4l2:";

bool ParseUnsigned(std::string_view text, uint64_t max, uint64_t& value) {
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value <= max;
}

bool ParseNumber(std::string_view text, double& value) {
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// "20s", "1.5s", "250ms": a unit is required so that "20" cannot mean two things.
bool ParseDurationUs(std::string_view text, int64_t& us) {
    double scale = 0;
    if (text.ends_with("ms")) {
        text.remove_suffix(2);
        scale = 1e3;
    } else if (text.ends_with("s")) {
        text.remove_suffix(1);
        scale = 1e6;
    } else {
        return false;
    }
    double value = 0;
    if (!ParseNumber(text, value) || value * scale > 1e15)
        return false;
    us = static_cast<int64_t>(std::llround(value * scale));
    return true;
}

bool ParseRate(std::string_view text, double& rate) {
    return ParseNumber(text, rate) && rate >= 0.0 && rate <= 1.0;
}

std::string Quote(std::string_view text) {
    return "'" + std::string(text) + "'";
}

bool ParseOption(std::string_view item, SimulatedCameraOptions& options, std::string& error) {
    const size_t eq = item.find('=');
    const std::string_view name = item.substr(0, eq);
    const std::string_view value = eq == std::string_view::npos ? "" : item.substr(eq + 1);
    const bool hasValue = eq != std::string_view::npos;

    if (name == "silent-head" && !hasValue) {
        options.silentHead = true;
        return true;
    }
    if (name == "still" && !hasValue) {
        options.stillRoom = true;
        return true;
    }
    if (name == "unplug-after" && hasValue) {
        if (ParseDurationUs(value, options.unplugAfterUs))
            return true;
        error = "unplug-after needs a duration such as 20s or 500ms, not " + Quote(value);
        return false;
    }
    struct RateOption {
        std::string_view name;
        double SimulatedCameraOptions::*field;
    };
    static constexpr RateOption kRates[] = {
        {"corrupt", &SimulatedCameraOptions::corruptRate},
        {"short", &SimulatedCameraOptions::shortRate},
        {"oversize", &SimulatedCameraOptions::oversizeRate},
    };
    for (const RateOption& rate : kRates) {
        if (name != rate.name || !hasValue)
            continue;
        if (ParseRate(value, options.*rate.field))
            return true;
        error =
            std::string(rate.name) + " needs a share of frames from 0 to 1, not " + Quote(value);
        return false;
    }
    if (name == "seed" && hasValue) {
        if (ParseUnsigned(value, UINT64_MAX, options.seed))
            return true;
        error = "seed needs a whole number, not " + Quote(value);
        return false;
    }
    error = "unknown option " + Quote(item) +
            " (known: unplug-after=DURATION, silent-head, corrupt=SHARE, short=SHARE, "
            "oversize=SHARE, seed=N, still)";
    return false;
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
        } else if (!ParseOption(item, parsed, error)) {
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
