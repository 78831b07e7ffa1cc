// The process entry and the one linear start-up and shut-down sequence.
#pragma once

// Single-instance guard, then WinMain under the crash guard; the exit code.
int ProcessEntry();

// Start-up, the main menu, shut-down. Returns 0 on every path.
int WinMain();

// Reads the sticky, toggle and filter key records as the system has them now.
void SaveAccessibilityKeys();

// allow 1 writes the saved sticky, toggle and filter key records back; 0 turns
// off the hot keys of the features that are off.
void SetAccessibilityKeys(int allow);

// The address opened in the browser at exit.
extern const char* const kHomePage;
