// The demo islands seen from above for the maps database: the island the
// player will race (1 = a hill island with a beach, 2 = a ring of hills round
// a lagoon, 3 = a long canyon island), its ground in its own sun shading and
// its sea in the water's colour, with the race track drawn over it. Column x,
// row z, as the island's base picture. Deterministic: the same call gives the
// same pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo
{
struct IslandTopView;
}

// Race-list thumbnail of island `island` (seen as `view`): square, with the
// island's name on a band at the bottom. PNG bytes.
std::vector<uint8_t> DemoIslandThumbnail(const demo::IslandTopView& view, int island, const std::string& name,
                                         int size);
// Mini-map picture of the race HUD: the island and its track over a see-through sea. PNG bytes.
std::vector<uint8_t> DemoIslandMiniMap(const demo::IslandTopView& view, int island, int size);
// The mini-map marker of a racer: a small bright dot with a dark rim. PNG bytes.
std::vector<uint8_t> DemoMiniMapMarker(int size);
// A pilot's portrait: a helmet with its visor over a backdrop in the pilot's colour. PNG bytes.
std::vector<uint8_t> DemoPilotPortrait(uint32_t colour, int size);
