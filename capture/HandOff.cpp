// The host hand-off folder (see HandOff.h).
#include "capture/HandOff.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "platform/system/AtomicFile.h"
#include "platform/system/Folders.h"

std::filesystem::path HandOffFolder() {
    return sys::XdgFolder("XDG_DATA_HOME", ".local/share") / "zelvocam";
}

bool PrepareHandOffFolder(const std::filesystem::path& folder, std::string& error) {
    if (folder.empty()) {
        error = "no data folder for the hand-off file";
        return false;
    }
    if (!sys::MakeFolders(folder, error))
        return false;
    // Checked and fixed through one descriptor, so nothing can be swapped in between.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = folder.string() + (errno == ELOOP || errno == ENOTDIR
                                       ? " is a symbolic link or not a folder"
                                       : ": " + std::string(std::strerror(errno)));
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok) {
        error = folder.string() + ": " + std::strerror(errno);
    } else if (info.st_uid != ::geteuid()) {
        error = folder.string() + " belongs to another user";
        ok = false;
    } else if ((info.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0) {
        error = "cannot make " + folder.string() + " private: " + std::strerror(errno);
        ok = false;
    }
    ::close(fd);
    return ok;
}
