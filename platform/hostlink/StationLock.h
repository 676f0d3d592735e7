// One running station per user: an advisory lock on the lock file in the private runtime
// folder decides.
//
// The newer copy wins. It takes the lock; while an older copy holds it, the newer one asks that
// copy to close over its socket and waits until it has closed in full and let the lock go. The
// kernel lets the lock go when its holder ends in any way, so a station that was killed or a
// power cut leaves nothing that stands in the way: what the file holds does not matter, and a
// directory or symlink at its path is removed. Only the lock holder touches the socket, and it
// closes its listener before it lets the lock go.
//
// The holder removes the file before it lets the lock go; whoever takes the lock checks that
// the path still names the file it locked, so two stations never hold locks on two different
// files of the same name.
#pragma once

#include <chrono>
#include <string>

namespace hostlink {

class StationLock {
  public:
    enum class Result { kHeld, kHolderDidNotClose, kFailed };

    // `folder` is the private runtime folder, with its trailing "/".
    explicit StationLock(const std::string& folder);
    ~StationLock();
    StationLock(const StationLock&) = delete;
    StationLock& operator=(const StationLock&) = delete;

    // Takes the lock, closing an older station first if one holds it; gives up after
    // `giveUpAfter` when the holder does not close. kFailed, with a one-line reason in
    // Error(), when the lock file cannot be made at all.
    Result Acquire(std::chrono::milliseconds giveUpAfter);
    void Release();

    std::string SocketPath() const { return socketPath_; }
    const std::string& Error() const { return error_; }

  private:
    enum class Try { kTaken, kBusy, kFailed };
    Try TryLock();
    // Removes what is at the lock path when it is not a plain file; false (with error_) when
    // it cannot be removed.
    bool RemoveNonFile();

    std::string socketPath_;
    std::string lockPath_;
    std::string error_;
    int fd_ = -1;  // the locked file while the lock is held
};

}  // namespace hostlink
