// The demo islands' fading vegetation, Map%d.fvf: grass tufts and a few
// flowers as billboards on the green ground above the beach (off the road
// and off steep slopes), and grey stones as small meshes scattered more
// thinly, on all three islands.
#pragma once

#include "tools/writers/FadingVegetationWriter.h"

#include <string>
#include <vector>

namespace demo
{
std::vector<VegetationLayerRecord> DemoVegetation(int number);
bool WriteDemoVegetation(const std::string& dataDir);
} // namespace demo
