// Time as the game asks for it: timeGetTime's 32-bit milliseconds, Sleep, and
// the performance counter. Every timed behaviour reads time through here, so
// a test can swap in a ClockSource and step time by hand instead of waiting.
#pragma once

#include <atomic>
#include <cstdint>

namespace win
{
class ClockSource
{
  public:
    virtual ~ClockSource() = default;
    // Milliseconds on a monotonic clock, wrapping at 2^32 as timeGetTime does.
    virtual uint32_t Now() = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// A clock that moves only when told to: Sleep advances it instead of waiting.
class ManualClock : public ClockSource
{
  public:
    explicit ManualClock(uint32_t start = 0) : m_now(start) {}
    uint32_t Now() override { return m_now.load(); }
    void Sleep(uint32_t ms) override { m_now.fetch_add(ms); }
    void Set(uint32_t ms) { m_now.store(ms); }
    void Advance(uint32_t ms) { m_now.fetch_add(ms); }

  private:
    std::atomic<uint32_t> m_now;
};

// nullptr restores the real clock. The source is not owned and must outlive
// its use.
void SetClockSource(ClockSource* source);

uint32_t timeGetTime();
void Sleep(uint32_t ms);
// Real clock: nanoseconds at 1e9 Hz. A ClockSource in place: its milliseconds
// at 1000 Hz, so elapsed counts divided by the frequency stay seconds.
int64_t QueryPerformanceCounter();
int64_t QueryPerformanceFrequency();
} // namespace win
