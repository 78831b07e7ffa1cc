// Opening a web address in the user's browser, as the game does at exit.
// Only when a person is there to see it: never in headless runs or tests, and
// never when QV7_NO_BROWSER is set.
#pragma once

#include <string>

namespace win
{
// Whether ShellExecuteOpen would start a browser now.
bool BrowserAllowed();

// Starts "xdg-open url" (no shell, so the address is never interpreted) in a
// process of its own and returns without waiting for it.
void ShellExecuteOpen(const std::string& url);
} // namespace win
