// The pages of the championship finale, shown when the last race has just
// been won: the won screen (the driver's gender picks it), the credits, a
// fade to black. Any quit from the frame gate ends them.
#pragma once

void RunFinaleScreens();
