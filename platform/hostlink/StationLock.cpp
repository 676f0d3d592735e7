// Taking the station lock (flock on the lock file), with the close request to an older holder.
#include "platform/hostlink/StationLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/hostlink/HostClient.h"
#include "platform/hostlink/HostProtocol.h"

namespace hostlink {
namespace {

// How often the lock is tried again while the holder closes.
constexpr std::chrono::milliseconds kRetry{20};
// Attempts within one try when the file is replaced under us; each replacement means that
// another station just let the lock go or removed a non-file, which ends quickly.
constexpr int kAttempts = 8;

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

StationLock::StationLock(const std::string& folder)
    : socketPath_(folder + kSocketName), lockPath_(folder + kLockName) {}

StationLock::~StationLock() {
    Release();
}

void StationLock::Release() {
    if (fd_ < 0)
        return;
    // Removed while still locked: a newer station that opened this file finds, once it has the
    // lock, that the path no longer names it, and opens the path afresh.
    ::unlink(lockPath_.c_str());
    ::close(fd_);
    fd_ = -1;
}

bool StationLock::RemoveNonFile() {
    struct stat info {};
    if (::lstat(lockPath_.c_str(), &info) != 0)
        return true;  // gone already
    if (S_ISREG(info.st_mode))
        return true;  // replaced by a file meanwhile: open it
    const int removed =
        S_ISDIR(info.st_mode) ? ::rmdir(lockPath_.c_str()) : ::unlink(lockPath_.c_str());
    if (removed != 0 && errno != ENOENT) {
        error_ = lockPath_ + " is not a file and cannot be removed: " + std::strerror(errno);
        return false;
    }
    return true;
}

StationLock::Try StationLock::TryLock() {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // O_NOFOLLOW: a symlink, dangling or not, is never followed to a file elsewhere.
        // O_NONBLOCK: a FIFO planted at the path cannot hold the open up.
        const int fd = ::open(lockPath_.c_str(),
                              O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == ELOOP || errno == EISDIR || errno == ENXIO || errno == EWOULDBLOCK) {
                if (!RemoveNonFile())
                    return Try::kFailed;
                continue;
            }
            error_ = "cannot open " + lockPath_ + ": " + std::strerror(errno);
            return Try::kFailed;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd);
            if (!RemoveNonFile())
                return Try::kFailed;
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int reason = errno;
            ::close(fd);
            if (reason == EWOULDBLOCK)
                return Try::kBusy;
            if (reason == EINTR)
                continue;
            error_ = "cannot lock " + lockPath_ + ": " + std::strerror(reason);
            return Try::kFailed;
        }
        struct stat named {};
        if (::lstat(lockPath_.c_str(), &named) != 0 || !SameFile(named, opened)) {
            ::close(fd);  // the holder removed it as it let go: lock the path's new file
            continue;
        }
        fd_ = fd;
        return Try::kTaken;
    }
    return Try::kBusy;
}

StationLock::Result StationLock::Acquire(std::chrono::milliseconds giveUpAfter) {
    if (fd_ >= 0)
        return Result::kHeld;
    const auto deadline = std::chrono::steady_clock::now() + giveUpAfter;
    HostClient holder;
    bool asked = false;
    while (true) {
        switch (TryLock()) {
            case Try::kTaken:
                return Result::kHeld;
            case Try::kFailed:
                return Result::kFailed;
            case Try::kBusy:
                break;
        }
        // Ask once per connection: the holder may still be starting (not listening yet), or
        // its answer may be lost if it dies; then it is asked again.
        if (!holder.Connected()) {
            asked = holder.Connect(socketPath_) && holder.Send(RequestWord(Request::kClose));
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return Result::kHolderDidNotClose;
        if (asked) {
            // Wakes at once when the holder's connection ends, which comes just before its
            // lock goes.
            std::string line;
            holder.ReadLine(line, static_cast<int>(kRetry.count()));
        } else {
            std::this_thread::sleep_for(kRetry);
        }
    }
}

}  // namespace hostlink
