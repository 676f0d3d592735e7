// Taking the station lock, with the close request to an older holder.
#include "platform/hostlink/StationLock.h"

#include <thread>

#include "platform/hostlink/HostClient.h"
#include "platform/hostlink/HostProtocol.h"

namespace hostlink {
namespace {

// How often the lock is tried again while the holder closes.
constexpr std::chrono::milliseconds kRetry{20};

}  // namespace

StationLock::StationLock(const std::string& folder)
    : socketPath_(folder + kSocketName), lock_(QString::fromStdString(folder + kLockName)) {
    // Only a lock whose owner has died is stale; a live holder, however slow, is asked to close.
    lock_.setStaleLockTime(0);
}

StationLock::~StationLock() {
    Release();
}

void StationLock::Release() {
    if (lock_.isLocked())
        lock_.unlock();
}

StationLock::Result StationLock::Acquire(std::chrono::milliseconds giveUpAfter) {
    const auto deadline = std::chrono::steady_clock::now() + giveUpAfter;
    HostClient holder;
    bool asked = false;
    while (true) {
        if (lock_.tryLock(0))
            return Result::kHeld;
        if (lock_.error() != QLockFile::LockFailedError)
            return Result::kFailed;
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
