#include "menus/QV7_GaragePages.h"

#include "menus/QV7_PageLoop.h"

#include <cstring>

namespace
{
const char* const kHubPage = "ID_INGAME";
const char* const kBackdropPage = "ID_IM_BACKGROUND";

void RunBackOnlyGaragePage(const char* page)
{
    float fade = 255.0f;
    if (!RunPageFade(fade, {kHubPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}) ||
        !RunPageFade(fade, {page, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f}))
        return;
    ClickGuard guard;
    for (;;)
    {
        const PageFrame frame = RunPageFrame(page, 1);
        if (frame.gate == FRAME_QUIT)
            return;
        const char* clicked = frame.Drawn() ? guard.Filter(frame.clicked) : nullptr;
        if (clicked && std::strcmp(clicked, "IDBACK") == 0)
            break;
        if (clicked)
            guard.Note();
    }
    if (RunPageFade(fade, {page, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 0.0f}))
        RunPageFade(fade, {kHubPage, 1, MenuCover::Backdrop, kBackdropPage, 0.8f, 255.0f});
}
} // namespace

void RunShopPage()
{
    RunBackOnlyGaragePage("ID_IETEMS");
}

void RunWeaponsBuyPage()
{
    RunBackOnlyGaragePage("ID_WEAPONS_BUY");
}

void RunNewBuggyPage()
{
    RunBackOnlyGaragePage("ID_NEW_BUGGY");
}
