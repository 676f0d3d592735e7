// Device-node transport: discovery in the device directory, open/ioctl/read/close on the node.
#include "platform/driver/DeviceNodeTransport.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

#include "device/TextConvert.h"

namespace {

constexpr std::string_view kNodePrefix = "zelvocam";

std::vector<std::string> CameraNodes(const std::string& directory) {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.starts_with(kNodePrefix))
            names.emplace_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

DeviceNodeTransport::DeviceNodeTransport(std::string deviceDirectory, std::string nodePath)
    : directory_(std::move(deviceDirectory)), nodePath_(std::move(nodePath)) {}

DeviceNodeTransport::~DeviceNodeTransport() {
    Close();
}

bool DeviceNodeTransport::EnumerateFirstDevice(std::u16string& path) {
    std::string found;
    if (!nodePath_.empty()) {
        found = nodePath_;
    } else {
        const std::vector<std::string> nodes = CameraNodes(directory_);
        if (nodes.empty())
            return false;
        found = directory_ + "/" + nodes.front();
    }
    // Paths travel as UTF-16 through the device layer; a name that is not UTF-8 cannot.
    std::u16string wide;
    if (!Utf8ToUtf16(found, wide))
        return false;
    path = std::move(wide);
    return true;
}

bool DeviceNodeTransport::Open(const std::u16string& path) {
    Close();
    std::string narrow;
    if (!Utf16ToUtf8(path, narrow) || narrow.find('\0') != std::string::npos)
        return false;
    fd_ = ::open(narrow.c_str(), O_RDWR | O_CLOEXEC);
    return fd_ >= 0;
}

bool DeviceNodeTransport::ControlRequest(uint32_t code, std::span<const uint8_t> in,
                                         std::span<uint8_t> out, uint32_t& returned) {
    returned = 0;
    if (fd_ < 0 || in.size() > UINT32_MAX || out.size() > UINT32_MAX)
        return false;
    ZelvoCamIoctlArgs args{};
    args.input = reinterpret_cast<uintptr_t>(in.data());
    args.inputLength = static_cast<uint32_t>(in.size());
    args.output = reinterpret_cast<uintptr_t>(out.data());
    args.outputLength = static_cast<uint32_t>(out.size());
    int rc;
    do {
        rc = ::ioctl(fd_, static_cast<unsigned long>(code), &args);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        gone_ = gone_ || errno == ENODEV;
        return false;
    }
    returned = std::min(args.returned, args.outputLength);
    return true;
}

bool DeviceNodeTransport::ReadFrame(std::span<uint8_t> buffer, uint32_t& delivered) {
    delivered = 0;
    if (fd_ < 0)
        return false;
    // The wait is real time whatever clock the station's waits run on: it guards against a
    // driver that never completes, not a step of the camera's protocol. A signal cuts the poll
    // short; it resumes with what is left, so a close request is served within the limit.
    using Steady = std::chrono::steady_clock;
    const Steady::time_point deadline = Steady::now() + std::chrono::milliseconds(kFrameWaitMs);
    pollfd ready{fd_, POLLIN, 0};
    while (true) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Steady::now()).count();
        const int rc = ::poll(&ready, 1, static_cast<int>(std::max<int64_t>(left, 0)));
        if (rc > 0)
            break;  // readable, or an error or hang-up that the read reports
        if (rc == 0 || errno != EINTR)
            return false;  // nothing within the limit, or the wait itself failed
    }
    const size_t ask = std::min<size_t>(buffer.size(), UINT32_MAX);
    ssize_t n;
    do {
        n = ::read(fd_, buffer.data(), ask);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        gone_ = gone_ || errno == ENODEV;
        return false;
    }
    delivered = static_cast<uint32_t>(n);
    return true;
}

void DeviceNodeTransport::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    gone_ = false;
}
