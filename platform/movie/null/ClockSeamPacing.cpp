// The null back-end never sleeps for a picture's duration: it looks at the
// clock seam every millisecond, so a test's ManualClock alone decides when
// the next picture is due.
#include "platform/movie/Pacing.h"
#include "platform/win/Clock.h"

#include <chrono>

namespace movie
{
namespace
{
class ClockSeamPacing : public Pacing
{
  public:
    bool WaitUntil(const std::atomic<uint32_t>& base, uint32_t offset, const std::atomic<bool>& stop,
                   std::unique_lock<std::mutex>& lock, std::condition_variable& wake) override
    {
        for (;;)
        {
            if (stop.load())
                return false;
            if (int32_t(base.load() + offset - win::timeGetTime()) <= 0)
                return true;
            wake.wait_for(lock, std::chrono::milliseconds(1), [&] { return stop.load(); });
        }
    }
};
} // namespace

std::unique_ptr<Pacing> CreateClockSeamPacing()
{
    return std::make_unique<ClockSeamPacing>();
}
} // namespace movie
