// The browser at exit must never open from a test or a headless run.
#include "platform/win/ShellOpen.h"

#include "platform/win/Backend.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
TEST(ShellOpen, NoBrowserWithoutSomeoneToSeeIt)
{
    win::SetBackend(win::Backend::Null);
    EXPECT_FALSE(win::BrowserAllowed()) << "null back-end";

    win::SetBackend(win::Backend::Real);
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    EXPECT_FALSE(win::BrowserAllowed()) << "offscreen video driver";

    ::setenv("SDL_VIDEODRIVER", "x11", 1);
    ::setenv("DISPLAY", ":0", 1);
    ::setenv("QV7_NO_BROWSER", "1", 1);
    EXPECT_FALSE(win::BrowserAllowed()) << "QV7_NO_BROWSER set";

    ::unsetenv("QV7_NO_BROWSER");
    EXPECT_TRUE(win::BrowserAllowed()) << "a display and nothing against it";
    win::SetBackend(win::Backend::Null);
}
} // namespace
