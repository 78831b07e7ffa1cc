// The effect libraries' billboard effect ("Effect_Billboards_%d"): techniques
// "Effects_BillBoard" (particles), "Effects_BillBoard2" (streaks) and
// "Effects_BillBoard3" (the same, kept for the live instances), parameters
// InvView, ProjView and BillBoardTexture. The vertex carries a corner offset
// in camera space, the quad's world centre (in the normal's place of the
// stream layout), the colour and the texture coordinate; the corner is turned
// by the inverse view's 3 x 3 only and added to the centre. The fragment
// applies the device's alpha test and fog itself, since a shader draw
// replaces the fixed pipeline that would otherwise do both.
#pragma once

#include <string>

const std::string& BillboardEffectSource();
