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
    // Returns true once win::timeGetTime() has reached base + offset, false as
    // soon as stop is set (the stopper notifies wake under lock). base is read
    // afresh on every look, as the game thread may move the timeline to
    // follow the sound track while a picture waits.
    virtual bool WaitUntil(const std::atomic<uint32_t>& base, uint32_t offset, const std::atomic<bool>& stop,
                           std::unique_lock<std::mutex>& lock, std::condition_variable& wake) = 0;
};

// The real timeline (ffmpeg/).
std::unique_ptr<Pacing> CreateRealTimePacing();
// The clock seam only (null/).
std::unique_ptr<Pacing> CreateClockSeamPacing();
} // namespace movie
