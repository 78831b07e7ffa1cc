#include "menus/QV7_ProfilePages.h"

#include "menus/PlaceholderScreen.h"

void RunProfilePage(float fade)
{
    RunPlaceholderScreen("ID_PROFILE", fade);
}
