// The loop every menu screen runs. A screen is a modal loop in its caller's
// stack: each frame makes its page current, passes the frame gate, polls
// input, updates and draws the page (with an optional cover over it) and acts
// on the id of the clicked control. A quit from the gate leaves every loop at
// once, because every later gate call quits again.
#pragma once

#include "shell/framegate/QV7_FrameGate.h"

#include <functional>

// The last frame's milliseconds, the time base of fades and holds; a frame of
// exactly 0 ms counts as 1 so that nothing stands still.
float MenuFrameMs();

// The left mouse button, as the input object last read it.
bool MenuButtonDown();
// Any mouse button.
bool AnyMenuButtonDown();
// Escape, Space or Enter.
bool MenuSkipKeyDown();

// A press that began before a page was entered, or before the last click was
// acted on, must not act again: while the note is set clicks are ignored, and
// the note clears in the first frame the button is up.
class ClickGuard
{
  public:
    ClickGuard() { Note(); }
    void Note();
    // The clicked id, or null while the note holds.
    const char* Filter(const char* clicked);
    // The left button is down and the note is clear: a press made on this page.
    bool FreshPress();

  private:
    bool m_Held = false;
};

// What a page frame draws over the page: nothing, a black quad or another
// page's backdrop, at a fade value 0..255 (255: the page fully visible, in
// which case nothing is drawn).
struct MenuCover
{
    enum Kind
    {
        None,
        Black,
        Backdrop,
    };
    Kind kind = None;
    const char* backdropPage = nullptr;
    float fade = 255.0f;

    static MenuCover Nothing() { return {}; }
    static MenuCover BlackQuad(float fade) { return {Black, nullptr, fade}; }
    static MenuCover PageBackdrop(const char* page, float fade) { return {Backdrop, page, fade}; }
};

// Makes the page current with the menu input flag and passes the frame gate;
// on FRAME_RENDER or FRAME_RESET also polls input and updates the page, and
// the caller then draws the frame with DrawPageFrame.
FrameResult StartPageFrame(const char* pageId, int menuInput);
// Draws the current page, then what drawOver draws, then the cover; the
// clicked control's id or null.
const char* DrawPageFrame(const MenuCover& cover, const std::function<void()>& drawOver = {});

// Both of the above: the gate's result and, for a drawn frame, the clicked id.
struct PageFrame
{
    FrameResult gate = FRAME_RENDER;
    const char* clicked = nullptr;
    bool Drawn() const { return gate != FRAME_SKIP && gate != FRAME_QUIT; }
};
PageFrame RunPageFrame(const char* pageId, int menuInput, const MenuCover& cover = MenuCover::Nothing());

// A fade of one page: each drawn frame shows the page under the cover at the
// current value, then moves the value by factor x frame ms towards target.
struct PageFade
{
    const char* page = nullptr;
    int menuInput = 0;
    MenuCover::Kind cover = MenuCover::Black;
    const char* backdropPage = nullptr;
    float factor = 0.8f;
    float target = 255.0f;
};
// Runs until the value reaches the target (true) or the gate quits (false).
// onFrame sees every drawn frame's clicked id.
bool RunPageFade(float& fade, const PageFade& fadePlan, const std::function<void(const char*)>& onFrame = {});

// An advert page held on screen: nothing ends it in its first second (0.1 x
// frame ms summed past 100); after that any mouse button, Escape, Space or
// Enter does. False when the gate quits.
bool HoldAdvertPage(const char* page);
