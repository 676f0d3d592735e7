// The fault options every simulated camera takes after its name in ZELVOCAM_DEVICE
// (`sim:14,unplug-after=20s,corrupt=0.3`, `v4l2-sim:5,replug-after=2s`): one reader for the
// options both cameras share, so a value means the same for each and a typo is refused the same
// way. An options record takes part by the fields it has: every camera has unplug-after,
// silent-head, the three frame faults and the seed; `replugAfterUs` and `stillRoom` only where
// the camera offers them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

// "20s", "1.5s", "250ms": a unit is required so that "20" cannot mean two things.
bool ParseDurationUs(std::string_view text, int64_t& us);
// A share of frames, 0 to 1.
bool ParseShare(std::string_view text, double& share);
bool ParseSeed(std::string_view text, uint64_t& seed);

// The options a record of this type takes, for the error that names them.
template <class Options>
std::string KnownFaultOptions() {
    std::string known = "unplug-after=DURATION, ";
    if constexpr (requires(Options o) { o.replugAfterUs; })
        known += "replug-after=DURATION, ";
    known += "silent-head, corrupt=SHARE, short=SHARE, oversize=SHARE, seed=N";
    if constexpr (requires(Options o) { o.stillRoom; })
        known += ", still";
    return known;
}

// Reads one option (`name` or `name=value`) into `options`. False with a one-line `error` for
// anything not understood, never a silent default: a typo in a reliability run would otherwise
// test the healthy camera and pass.
template <class Options>
bool ParseFaultOption(std::string_view item, Options& options, std::string& error) {
    const size_t eq = item.find('=');
    const std::string_view name = item.substr(0, eq);
    const bool hasValue = eq != std::string_view::npos;
    const std::string_view value = hasValue ? item.substr(eq + 1) : std::string_view();
    const auto quote = [](std::string_view text) { return "'" + std::string(text) + "'"; };

    if (!hasValue) {
        if (name == "silent-head") {
            options.silentHead = true;
            return true;
        }
        if constexpr (requires { options.stillRoom; }) {
            if (name == "still") {
                options.stillRoom = true;
                return true;
            }
        }
    } else {
        int64_t* duration = nullptr;
        if (name == "unplug-after")
            duration = &options.unplugAfterUs;
        if constexpr (requires { options.replugAfterUs; }) {
            if (name == "replug-after")
                duration = &options.replugAfterUs;
        }
        if (duration != nullptr) {
            if (ParseDurationUs(value, *duration))
                return true;
            error =
                std::string(name) + " needs a duration such as 20s or 500ms, not " + quote(value);
            return false;
        }
        double* share = name == "corrupt"    ? &options.corruptRate
                        : name == "short"    ? &options.shortRate
                        : name == "oversize" ? &options.oversizeRate
                                             : nullptr;
        if (share != nullptr) {
            if (ParseShare(value, *share))
                return true;
            error = std::string(name) + " needs a share of frames from 0 to 1, not " + quote(value);
            return false;
        }
        if (name == "seed") {
            if (ParseSeed(value, options.seed))
                return true;
            error = "seed needs a whole number, not " + quote(value);
            return false;
        }
    }
    error = "unknown option " + quote(item) + " (known: " + KnownFaultOptions<Options>() + ")";
    return false;
}

}  // namespace sim
