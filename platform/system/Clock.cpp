// The real clock and the process-wide clock selection.
#include "platform/system/Clock.h"

#include <chrono>
#include <thread>

namespace sys {

int64_t RealClock::NowUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::SleepUs(int64_t us) {
    if (us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

namespace {
RealClock g_realClock;
Clock* g_clock = &g_realClock;
}  // namespace

void InstallClock(Clock* clock) {
    g_clock = clock ? clock : &g_realClock;
}

Clock& CurrentClock() {
    return *g_clock;
}

}  // namespace sys
