#include "menus/PlaceholderScreen.h"

#include "menus/QV7_PageLoop.h"

#include <cstring>

namespace
{
const char* const kMainPage = "ID_MAIN_MENU";
const char* const kBackdropPage = "ID_MM_BACKGROUND";

// True when IDBACK was clicked, false on a quit.
bool WaitForBack(const char* pageId)
{
    ClickGuard guard;
    for (;;)
    {
        const PageFrame frame = RunPageFrame(pageId, 1);
        if (frame.gate == FRAME_QUIT)
            return false;
        if (!frame.Drawn())
            continue;
        const char* clicked = guard.Filter(frame.clicked);
        if (clicked && std::strcmp(clicked, "IDBACK") == 0)
            return true;
        if (clicked)
            guard.Note();
    }
}
} // namespace

void RunPlaceholderScreen(const char* pageId, float fade)
{
    if (!RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}) ||
        !RunPageFade(fade, {pageId, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f}) || !WaitForBack(pageId))
        return;
    if (RunPageFade(fade, {pageId, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f});
}
