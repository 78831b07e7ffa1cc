#include "menus/QV7_ProfilePages.h"

#include "media/QV7_Input.h"
#include "menus/QV7_PageLoop.h"
#include "menus/QuickRaceStandIn.h"

#include <cstring>

namespace
{
const char* const kMainPage = "ID_MAIN_MENU";
const char* const kBackdropPage = "ID_MM_BACKGROUND";
const char* const kProfilePage = "ID_PROFILE";
constexpr InputCode kEnterKey = 28;

bool EnterDown()
{
    return g_input && g_input->IsKeyDown(kEnterKey);
}

// Until Back (true) or a quit (false); the quick race, by its button or Enter, returns here.
bool RunPage()
{
    ClickGuard guard;
    bool enterHeld = true;
    for (;;)
    {
        const PageFrame frame = RunPageFrame(kProfilePage, 1);
        if (frame.gate == FRAME_QUIT)
            return false;
        if (!frame.Drawn())
            continue;
        const bool enter = EnterDown() && !enterHeld;
        enterHeld = EnterDown();
        const char* clicked = guard.Filter(frame.clicked);
        if (clicked && std::strcmp(clicked, "IDBACK") == 0)
            return true;
        if (enter || (clicked && std::strcmp(clicked, "IDQUICKRACE") == 0))
        {
            RunQuickRaceStandIn(kProfilePage);
            enterHeld = true;
            guard.Note();
        }
        else if (clicked)
            guard.Note();
    }
}
} // namespace

void RunProfilePage(float fade)
{
    if (!RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}) ||
        !RunPageFade(fade, {kProfilePage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f}) || !RunPage())
        return;
    if (RunPageFade(fade, {kProfilePage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        RunPageFade(fade, {kMainPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f});
}
