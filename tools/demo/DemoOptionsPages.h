// The demo's options pages: graphics, custom graphics, sound and music,
// controllers, each with the row of tab buttons.
#pragma once

#include "gui/MenuFileLayout.h"

#include <vector>

std::vector<MenuPageRecord> DemoOptionsPages();
