// A message box in a headless run: the text reaches stderr and the call
// returns at once instead of waiting for a click.
#include "platform/win/MessageBox.h"

#include "platform/win/Backend.h"

#include <gtest/gtest.h>

namespace
{
TEST(MessageBox, HeadlessWritesStderrAndReturnsOk)
{
    win::SetBackend(win::Backend::Null);
    ::testing::internal::CaptureStderr();
    const int result = win::MessageBoxA(nullptr, "Unable to initialize", "Failed to Initialize",
                                        win::MB_OK | win::MB_ICONERROR);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Failed to Initialize: Unable to initialize\n");
    EXPECT_EQ(result, win::IDOK);
}
} // namespace
