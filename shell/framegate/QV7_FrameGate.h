// The per-frame gate every screen loop calls once per pass: handles the
// window's messages, parks the game while its window is inactive, takes
// screenshots on the screenshot key, and watches the device for loss and reset.
#pragma once

enum FrameResult
{
    FRAME_RENDER = 0, // draw this pass
    FRAME_SKIP = 1,   // do not draw: inactive window or lost device; try again next pass
    FRAME_QUIT = 2,   // the game is to end: leave this loop and every enclosing one (sticky)
    FRAME_RESET = 3,  // the device was just reset and everything device-bound recreated
};

FrameResult PumpFrame();

// Screenshots taken so far in this run.
extern int g_screenshotCounter;

// For automated runs: after this many drawn passes the gate closes the window,
// as the player would (0: never). Read from QV7_QUIT_AFTER_FRAMES at the first call.
void SetQuitAfterFrames(int frames);
