// The demo islands' track items, Map%d.zph: along each track, every 500
// units, a row of small coins across the road (billboards) alternating with
// one pick-up of the other kinds in turn (currency bars, ammunition boxes,
// turbo, power and shield), floating a little above the ground.
// The coins show the coin picture; the meshes are lit in their kind's colour.
#pragma once

#include "tools/writers/TrackItemsWriter.h"

#include <string>

namespace demo
{
TrackItemsFile DemoTrackItems(int number);
bool WriteDemoTrackItems(const std::string& dataDir);
} // namespace demo
