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

bool Set(const char* value) {
    return value != nullptr && *value != '\0';
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

}  // namespace

// Without a trailing "/", which would make lstat follow a symlink.
std::string StationFolder(const char* runtimeDir, const char* tmpDir) {
    if (Set(runtimeDir))
        return WithoutTrailingSlash(runtimeDir) + "/zelvocam";
    const std::string base = WithoutTrailingSlash(Set(tmpDir) ? tmpDir : "/tmp");
    return (base == "/" ? "" : base) + "/zelvocam-" + std::to_string(::geteuid());
}

std::optional<std::string> PrepareRuntimeFolder(const char* runtimeDir, std::string& error,
                                                const char* tmpDir) {
    const std::string folder = StationFolder(runtimeDir, tmpDir);
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

std::optional<std::string> StationSocketPath(const char* runtimeDir, std::string&,
                                             const char* tmpDir) {
    return StationFolder(runtimeDir, tmpDir) + "/" + kSocketName;
}

}  // namespace hostlink
