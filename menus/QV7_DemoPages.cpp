// Advert pages: slow fades (0.1 per ms) around a hold that cannot be
// dismissed in its first second, so a click meant for the page before is not
// taken as leaving it.
#include "menus/QV7_DemoPages.h"

#include "menus/QV7_PageLoop.h"

#include <cstring>

namespace
{
const char* const kMainPage = "ID_MAIN_MENU";

// Fades the advert page in from black, holds it and fades it out again.
bool ShowAdvert(const char* advertPage)
{
    float fade = 0.0f;
    return RunPageFade(fade, {advertPage, 0, MenuCover::Black, nullptr, 0.1f, 255.0f}) &&
           HoldAdvertPage(advertPage) &&
           RunPageFade(fade, {advertPage, 0, MenuCover::Black, nullptr, 0.1f, 0.0f});
}
} // namespace

void ShowDemoAdvertPage(const char* pageId)
{
    float fade = 255.0f;
    if (!RunPageFade(fade, {pageId, 0, MenuCover::Black, nullptr, 1.0f, 0.0f}) ||
        !ShowAdvert("ID_DEMO_MENUSP"))
        return;
    if (std::strcmp(pageId, "ID_MAIN_MENU_EXIT") == 0)
        return;
    RunPageFade(fade, {pageId, 0, MenuCover::Black, nullptr, 0.4f, 255.0f});
}

void ShowDemoEndPage()
{
    ShowAdvert("ID_DEMO_END");
}

void ShowDemoMultiplayerPage()
{
    float fade = 255.0f;
    if (!RunPageFade(fade, {kMainPage, 0, MenuCover::Black, nullptr, 1.0f, 0.0f}) ||
        !ShowAdvert("ID_DEMO_MENUMP"))
        return;
    RunPageFade(fade, {kMainPage, 0, MenuCover::Black, nullptr, 1.0f, 255.0f});
}
