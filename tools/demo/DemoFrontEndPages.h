// The demo's career pages: pilots, the garage hub, the race choice and race
// lists, and their pop-ups, laid out on the 800 x 600 page.
#pragma once

#include "gui/MenuFileLayout.h"

#include <vector>

// Every page, numbered from 100 up (pop-ups name their parent by number).
std::vector<MenuPageRecord> DemoFrontEndPages();
// The garage pages' backdrop page, for the demo's texture list.
constexpr const char* kDemoGarageBackdropPage = "ID_IM_BACKGROUND";
