// How the decoder thread waits for a picture's time: the one difference
// between the movie layer's back-ends. Times are win::timeGetTime values.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace movie
{
class Pacing
{
  public:
    virtual ~Pacing() = default;
    // Returns true once win::timeGetTime() has reached target, false as soon
    // as stop is set (the stopper notifies wake under lock).
    virtual bool WaitUntil(uint32_t target, const std::atomic<bool>& stop, std::unique_lock<std::mutex>& lock,
                           std::condition_variable& wake) = 0;
};

// The real timeline (ffmpeg/).
std::unique_ptr<Pacing> CreateRealTimePacing();
// The clock seam only (null/).
std::unique_ptr<Pacing> CreateClockSeamPacing();
} // namespace movie
