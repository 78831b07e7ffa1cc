#include "menus/QV7_OptionsPages.h"

#include "menus/PlaceholderScreen.h"

void RunOptionsPage(float fade)
{
    RunPlaceholderScreen("ID_OPTIONS_GRAPHICS", fade);
}
