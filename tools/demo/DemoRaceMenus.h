// The demo's in-race pages: the escape menu (laid out from the origin, the
// game centres it), and the sound and controls pages on the 800 x 600 page,
// all without a backdrop so that the frozen race picture shows around them.
#pragma once

#include "gui/MenuFileLayout.h"

#include <vector>

// The pages, numbered from firstNumber on.
std::vector<MenuPageRecord> DemoRaceMenuPages(int firstNumber);
