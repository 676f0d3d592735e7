#include "platform/system/Clock.h"

#include <gtest/gtest.h>

TEST(VirtualClock, MovesOnlyByWaitsAndAdvances) {
    sys::VirtualClock clock;
    sys::ScopedClock scope(clock);
    EXPECT_EQ(sys::NowMs(), 0);
    sys::Wait(150);
    clock.Advance(250);
    clock.Advance(-10);  // time never runs backwards
    EXPECT_EQ(sys::NowUs(), 150'250);
}

TEST(VirtualClock, ScopeRestoresRealClock) {
    {
        sys::VirtualClock clock;
        sys::ScopedClock scope(clock);
        EXPECT_EQ(&sys::CurrentClock(), &clock);
    }
    EXPECT_NE(dynamic_cast<sys::RealClock*>(&sys::CurrentClock()), nullptr);
}
