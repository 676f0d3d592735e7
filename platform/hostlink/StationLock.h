// One running station per user: the lock file in the private runtime folder decides.
//
// The newer copy wins. It takes the lock; while an older copy holds it, the newer one asks that
// copy to close over its socket and waits until it has closed in full and let the lock go (a
// holder that has died leaves a stale lock, which is taken over at once). Only the lock holder
// touches the socket, and it closes its listener before it lets the lock go.
#pragma once

#include <QLockFile>
#include <chrono>
#include <memory>
#include <string>

namespace hostlink {

class StationLock {
  public:
    enum class Result { kHeld, kHolderDidNotClose, kFailed };

    // `folder` is the private runtime folder, with its trailing "/".
    explicit StationLock(const std::string& folder);
    ~StationLock();

    // Takes the lock, closing an older station first if one holds it; gives up after
    // `giveUpAfter` when the holder does not close. kFailed when the lock file cannot be
    // made at all.
    Result Acquire(std::chrono::milliseconds giveUpAfter);
    void Release();

    std::string SocketPath() const { return socketPath_; }

  private:
    std::string socketPath_;
    QLockFile lock_;
};

}  // namespace hostlink
