// The options screen of the main menu: four tabs (graphics presets and the
// screen size, the custom graphics flags with the anti-aliasing and
// anisotropy sliders, sound and music volume, the controller and the key
// bindings), every change written to Settings.ini at once.
#pragma once

#include "gui/KeyBindingList.h"
#include "shell/GameSettings.h"

#include <string>
#include <utility>
#include <vector>

class QV7_Menu_List;

// The options screen, entered from the main menu at its current fade value.
void RunOptionsPage(float fade);
// One frame of a tab's page: the clicked id, null while the shared click guard holds.
const char* RunGraphicsOptionsPage(float fade);
const char* RunCustomGraphicsPage(float fade);
const char* RunSoundOptionsPage(float fade);
const char* RunControllersPage(float fade);

// The nine force_ flags to 0, written to [Custom].
void SaveCustomGraphicsSettings();

// The screen sizes the graphics tab offers: every width x height at least 800
// wide, once each, in the order given.
std::vector<std::pair<int, int>> OfferedScreenSizes(const std::vector<std::pair<int, int>>& modes);
// Stops of a power-of-two slider for a device maximum (0 or 1: none beyond "Off").
int PowerOfTwoStops(int maximum);
// "Off" for stop 0, else "%dX" of 2 to the stop.
std::string StopText(int stop);
