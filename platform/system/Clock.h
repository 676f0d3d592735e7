// The clock every blocking wait of the station goes through.
//
// Camera commands are separated by fixed waits of the user-interface thread ("the camera
// needs 100 ms before the answer can be read"). All of them call Wait(); the simulated camera
// reads the same clock to move its motors and pace its frames. The program runs on the real
// clock; tests install a VirtualClock, so a start-up of several seconds runs in microseconds
// and every recorded request carries the exact virtual time it was sent at.
#pragma once

#include <cstdint>

namespace sys {

class Clock {
  public:
    virtual ~Clock() = default;
    // Microseconds since an arbitrary start; never goes backwards.
    virtual int64_t NowUs() = 0;
    // Blocks the caller for `us` microseconds of this clock's time.
    virtual void SleepUs(int64_t us) = 0;
};

// The monotonic clock of the machine.
class RealClock final : public Clock {
  public:
    int64_t NowUs() override;
    void SleepUs(int64_t us) override;
};

// Time that moves only when somebody waits or the test says so. Starts at 0.
class VirtualClock final : public Clock {
  public:
    int64_t NowUs() override { return now_us_; }
    void SleepUs(int64_t us) override { Advance(us); }
    void Advance(int64_t us) {
        if (us > 0)
            now_us_ += us;
    }
    void AdvanceMs(int64_t ms) { Advance(ms * 1000); }

  private:
    int64_t now_us_ = 0;
};

// Installs the clock used by Now*/Wait; nullptr restores the real clock. Not owned.
void InstallClock(Clock* clock);
Clock& CurrentClock();

inline int64_t NowUs() {
    return CurrentClock().NowUs();
}
inline int64_t NowMs() {
    return CurrentClock().NowUs() / 1000;
}
// The blocking wait between camera commands.
inline void Wait(int64_t ms) {
    CurrentClock().SleepUs(ms * 1000);
}

// Installs a clock for the lifetime of a scope (tests).
class ScopedClock {
  public:
    explicit ScopedClock(Clock& clock) { InstallClock(&clock); }
    ~ScopedClock() { InstallClock(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

}  // namespace sys
