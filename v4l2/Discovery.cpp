// Listing and probing V4L2 nodes (see Discovery.h).
#include "v4l2/Discovery.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <set>

namespace v4l2 {
namespace {

namespace fs = std::filesystem;

// The number of a node named videoN; -1 for any other name.
int VideoNumber(const std::string& name) {
    constexpr std::string_view kPrefix = "video";
    if (!name.starts_with(kPrefix) || name.size() == kPrefix.size())
        return -1;
    int number = -1;
    const char* first = name.data() + kPrefix.size();
    const auto [end, ec] = std::from_chars(first, name.data() + name.size(), number);
    return ec == std::errc() && end == name.data() + name.size() ? number : -1;
}

// Where a link leads, or the path itself when it cannot be resolved.
std::string Resolved(const fs::path& path) {
    std::error_code ec;
    const fs::path target = fs::canonical(path, ec);
    return ec ? path.string() : target.string();
}

}  // namespace

std::vector<std::string> CandidateNodes(const std::string& devDirectory) {
    std::vector<std::string> nodes;
    std::set<std::string> seen;
    std::error_code ec;

    std::vector<fs::path> byId;
    for (const auto& entry : fs::directory_iterator(fs::path(devDirectory) / "v4l" / "by-id", ec))
        byId.push_back(entry.path());
    std::sort(byId.begin(), byId.end());
    for (const fs::path& link : byId) {
        if (seen.insert(Resolved(link)).second)
            nodes.push_back(link.string());
    }

    std::vector<std::pair<int, fs::path>> numbered;
    for (const auto& entry : fs::directory_iterator(devDirectory, ec)) {
        const int number = VideoNumber(entry.path().filename().string());
        if (number >= 0)
            numbered.emplace_back(number, entry.path());
    }
    std::sort(numbered.begin(), numbered.end());
    for (const auto& [number, path] : numbered) {
        if (seen.insert(Resolved(path)).second)
            nodes.push_back(path.string());
    }
    return nodes;
}

std::vector<FoundCamera> FindV4l2Cameras(V4l2Operations& ops, std::span<const std::string> nodes) {
    std::vector<FoundCamera> found;
    for (const std::string& node : nodes) {
        DeviceIdentity identity;
        if (ProbeDevice(ops, node, &identity) != OpenFailure::kNone)
            continue;
        // The same camera under its by-id name and its /dev/videoN name is listed once.
        const bool listed = std::any_of(found.begin(), found.end(), [&](const FoundCamera& c) {
            return c.identity.bus == identity.bus && c.identity.card == identity.card;
        });
        if (!listed)
            found.push_back({node, identity});
    }
    return found;
}

}  // namespace v4l2
