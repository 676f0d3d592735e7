// The host hand-off folder (see HandOff.h).
#include "capture/HandOff.h"

#include <cstdlib>

#include "platform/system/Folders.h"

namespace {

std::filesystem::path AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return {};
    return std::filesystem::path(value);
}

}  // namespace

std::filesystem::path HandOffFolder() {
    std::filesystem::path data = AbsoluteFromEnvironment("XDG_DATA_HOME");
    if (data.empty())
        data = sys::HomeFolder() / ".local" / "share";
    return data / "zelvocam";
}
