// The real clock is std::chrono::steady_clock: it never jumps with the wall
// clock, as the Windows timers never do.
#include "platform/win/Clock.h"

#include <chrono>
#include <thread>

namespace win
{
namespace
{
std::atomic<ClockSource*> s_source{nullptr};

int64_t SteadyNanoseconds()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

void SetClockSource(ClockSource* source)
{
    s_source.store(source);
}

uint32_t timeGetTime()
{
    if (ClockSource* source = s_source.load())
        return source->Now();
    return static_cast<uint32_t>(SteadyNanoseconds() / 1000000);
}

void Sleep(uint32_t ms)
{
    if (ClockSource* source = s_source.load())
        return source->Sleep(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t QueryPerformanceCounter()
{
    if (ClockSource* source = s_source.load())
        return source->Now();
    return SteadyNanoseconds();
}

int64_t QueryPerformanceFrequency()
{
    return s_source.load() ? 1000 : 1000000000;
}
} // namespace win
