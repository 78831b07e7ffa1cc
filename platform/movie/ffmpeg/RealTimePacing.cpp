// The real back-end waits out the time left before a picture in one go, up
// to a short cap so that a clock that moves differently is noticed soon.
#include "platform/movie/Pacing.h"
#include "platform/win/Clock.h"

#include <algorithm>
#include <chrono>

namespace movie
{
namespace
{
class RealTimePacing : public Pacing
{
  public:
    bool WaitUntil(const std::atomic<uint32_t>& base, uint32_t offset, const std::atomic<bool>& stop,
                   std::unique_lock<std::mutex>& lock, std::condition_variable& wake) override
    {
        for (;;)
        {
            if (stop.load())
                return false;
            const int32_t left = int32_t(base.load() + offset - win::timeGetTime());
            if (left <= 0)
                return true;
            wake.wait_for(lock, std::chrono::milliseconds(std::min(left, 20)), [&] { return stop.load(); });
        }
    }
};
} // namespace

std::unique_ptr<Pacing> CreateRealTimePacing()
{
    return std::make_unique<RealTimePacing>();
}
} // namespace movie
