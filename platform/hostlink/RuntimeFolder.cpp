// The private runtime folder, created and checked with lstat so that a symlink planted in its
// place is refused rather than followed.
#include "platform/hostlink/RuntimeFolder.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/hostlink/HostProtocol.h"

namespace hostlink {
namespace {

constexpr char kFolderName[] = "zelvocam";

// Without a trailing "/", which would make lstat follow a symlink.
std::string FolderPath(const char* runtimeDir) {
    std::string folder = runtimeDir;
    if (folder.back() != '/')
        folder += '/';
    return folder + kFolderName;
}

}  // namespace

std::optional<std::string> PrepareRuntimeFolder(const char* runtimeDir, std::string& error) {
    if (runtimeDir == nullptr || *runtimeDir == '\0') {
        error = "XDG_RUNTIME_DIR is not set";
        return std::nullopt;
    }
    const std::string folder = FolderPath(runtimeDir);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + folder + ": " + std::strerror(errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0) {
        error = "cannot examine " + folder + ": " + std::strerror(errno);
        return std::nullopt;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = folder + " is not a directory";
        return std::nullopt;
    }
    if (info.st_uid != ::geteuid()) {
        error = folder + " belongs to another user";
        return std::nullopt;
    }
    if ((info.st_mode & 077) != 0) {
        error = folder + " is open to other users";
        return std::nullopt;
    }
    return folder + "/";
}

std::optional<std::string> StationSocketPath(const char* runtimeDir, std::string& error) {
    if (runtimeDir == nullptr || *runtimeDir == '\0') {
        error = "XDG_RUNTIME_DIR is not set";
        return std::nullopt;
    }
    return FolderPath(runtimeDir) + "/" + kSocketName;
}

}  // namespace hostlink
