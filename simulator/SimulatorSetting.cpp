// Reading the ZELVOCAM_DEVICE value that selects and shapes the simulated camera.
//
// `sim[:[MODEL][,OPTION]...]`: the model number first (optional), then faults. Anything not
// understood is an error with a one-line reason, never a silent default, because a typo in a
// reliability run would otherwise test the healthy camera and pass.
#include <charconv>
#include <cmath>
#include <string>

#include "simulator/SimulatedCamera.h"

namespace {

constexpr std::string_view kPrefix = "sim";

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
            "oversize=SHARE, seed=N)";
    return false;
}

}  // namespace

bool IsSimulatedCameraSetting(std::string_view deviceSetting) {
    return deviceSetting == kPrefix || (deviceSetting.starts_with(kPrefix) &&
                                        deviceSetting.substr(kPrefix.size()).starts_with(':'));
}

bool ParseSimulatedCameraSetting(std::string_view setting, SimulatedCameraOptions& options,
                                 std::string& error) {
    const std::string whole = Quote(setting);
    if (!IsSimulatedCameraSetting(setting)) {
        error = "ZELVOCAM_DEVICE=" + whole + " does not select the simulated camera";
        return false;
    }
    SimulatedCameraOptions parsed;
    if (setting == kPrefix) {
        options = parsed;
        return true;
    }
    std::string_view rest = setting.substr(kPrefix.size() + 1);
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

std::unique_ptr<SimulatedCamera> CreateSimulatedCamera(std::string_view deviceSetting,
                                                       std::string& error) {
    SimulatedCameraOptions options;
    if (!ParseSimulatedCameraSetting(deviceSetting, options, error))
        return nullptr;
    return std::make_unique<SimulatedCamera>(options);
}
