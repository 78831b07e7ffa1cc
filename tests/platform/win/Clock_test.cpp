// The clock seam: with a ManualClock in place time moves only when the test
// or a Sleep moves it, including across the 32-bit wrap.
#include "platform/win/Clock.h"

#include <gtest/gtest.h>

namespace
{
class ClockTest : public ::testing::Test
{
  protected:
    void TearDown() override { win::SetClockSource(nullptr); }
};

TEST_F(ClockTest, ManualClockDrivesEveryTimer)
{
    win::ManualClock clock(0xFFFFFFF0u);
    win::SetClockSource(&clock);
    const uint32_t start = win::timeGetTime();
    EXPECT_EQ(start, 0xFFFFFFF0u);
    EXPECT_EQ(win::QueryPerformanceFrequency(), 1000);
    const int64_t counterStart = win::QueryPerformanceCounter();

    win::Sleep(10);
    EXPECT_EQ(win::timeGetTime() - start, 10u);
    EXPECT_EQ(win::QueryPerformanceCounter() - counterStart, 10);

    win::Sleep(0x20); // past 2^32: the difference still counts forwards
    EXPECT_EQ(win::timeGetTime(), 0x1Au);
    EXPECT_EQ(win::timeGetTime() - start, 0x2Au);

    clock.Set(500);
    clock.Advance(16);
    EXPECT_EQ(win::timeGetTime(), 516u);
}

TEST_F(ClockTest, RealClockIsMonotonicNanoseconds)
{
    win::ManualClock clock(7);
    win::SetClockSource(&clock);
    win::SetClockSource(nullptr);
    EXPECT_EQ(win::QueryPerformanceFrequency(), 1000000000);
    const int64_t first = win::QueryPerformanceCounter();
    const int64_t second = win::QueryPerformanceCounter();
    EXPECT_GT(first, 0);
    EXPECT_GE(second, first);
    win::Sleep(0);
    EXPECT_EQ(clock.Now(), 7u) << "the detached manual clock must not move";
}
} // namespace
