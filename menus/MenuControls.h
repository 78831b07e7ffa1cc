// Finding a page's controls by id for the front-end screens. A control the
// menu file does not have is logged once per page and id and comes back
// null; the screens skip what needs it instead of failing.
#pragma once

#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_hWnd.h"

// The control with this id on the current page, as type T; null (logged once)
// when the page lacks it or it is of another kind.
QV7_Menu_hWnd* FindMenuControl(const char* id);
template <typename T> T* FindMenuControlAs(const char* id)
{
    return dynamic_cast<T*>(FindMenuControl(id));
}

// printf into a caption's or a text field's text (other kinds are left alone).
void SetMenuText(const char* id, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Centres a caption's text (a text field has no centring and is left as it is).
void CentreMenuText(const char* id);
// Whether an option or check box with this id is checked; false when missing.
bool MenuChecked(const char* id);
void SetMenuChecked(const char* id, bool checked);
void SetMenuVisible(const char* id, bool visible);
