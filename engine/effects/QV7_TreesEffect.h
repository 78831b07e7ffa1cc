// The "Trees" effect: camera-facing tree billboards. A vertex holds its corner
// (position), the tree's foot and yaw (first texture set) and its picture
// coordinate in the atlas's first cell (second texture set). The billboard
// turns about the vertical to face CamPosition; the atlas cell (4 x 2, a
// quarter by a half) is the one for the angle the tree is seen from against
// its yaw. Billboards of trees nearer than Distance are hidden (their mesh is
// drawn there) and fade in over the next 15 %; pixels below AlphaRef (0..1)
// are dropped; linear fog from FogStart to FogEnd towards FogColour, as the
// fixed pipeline fogs after a shader. "TTree" draws the main pass, "TTree2"
// the water reflection, which drops whatever lies below WaterHeight.
#pragma once

#include <string>

const std::string& TreesEffectSource();
