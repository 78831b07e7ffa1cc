// Back-end selection from the environment.
#include "platform/win/Backend.h"

#include "platform/win/SdlWindow.h"

#include <cstdlib>
#include <cstring>
#include <optional>

namespace win
{
namespace
{
std::optional<Backend> s_backend;

bool VideoDriverIsHeadless()
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver && IsInvisibleVideoDriver(driver);
}
} // namespace

Backend SelectedBackend()
{
    if (!s_backend)
    {
        const char* value = std::getenv("QV7_BACKEND");
        s_backend = (value && std::strcmp(value, "null") == 0) ? Backend::Null : Backend::Real;
    }
    return *s_backend;
}

void SetBackend(Backend backend) { s_backend = backend; }

bool IsHeadless()
{
    if (SelectedBackend() == Backend::Null)
        return true;
    // Once SDL runs, the driver it chose decides, not what the environment hoped for.
    if (const char* driver = SdlVideoDriverInUse())
        return IsInvisibleVideoDriver(driver);
    if (VideoDriverIsHeadless())
        return true;
    return !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
}
} // namespace win
