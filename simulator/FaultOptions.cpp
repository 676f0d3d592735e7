// The number readers behind the simulated cameras' fault options.
#include "simulator/FaultOptions.h"

#include <charconv>
#include <cmath>

namespace sim {
namespace {

// A plain decimal number: no sign, nothing after it, finite.
bool ParseNumber(std::string_view text, double& value) {
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

}  // namespace

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

bool ParseShare(std::string_view text, double& share) {
    double value = 0;
    if (!ParseNumber(text, value) || value > 1.0)
        return false;
    share = value;
    return true;
}

bool ParseSeed(std::string_view text, uint64_t& seed) {
    if (text.empty())
        return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seed);
    return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace sim
