// A buggy configuration drawn in a menu picture: the model, its visible
// parts, and optionally one piece of the current profile's equipment.
#pragma once

#include "platform/d3dx/D3DXMath.h"

class BuggyConfiguration;
struct MountedPart;

// Draws config at world on g_device. The highlighted part shows as its next
// higher level (the upgrade on offer); with withOwnedItem 1 the highest-typed
// visible piece of equipment that fits the model is drawn too. pass is handed
// to every object's drawing.
void RenderBuggyConfiguration(BuggyConfiguration* config, MountedPart* highlighted, int withOwnedItem,
                              int pass, D3DXMATRIX world);
