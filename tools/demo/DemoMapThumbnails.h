// The demo islands seen from above, painted by code for the maps database:
// a height field per island (1 = a hill island with a beach, 2 = a ring of
// hills round a lagoon, 3 = a long canyon island) coloured by height from the
// sea floor to the rocks, shaded by a low sun from the north-west, with the
// race track drawn over it. Deterministic: the same call gives the same pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Race-list thumbnail: square, with the island's name on a band at the bottom. PNG bytes.
std::vector<uint8_t> DemoIslandThumbnail(int island, const std::string& name, int size);
// Mini-map picture of the race HUD: the island and its track over a see-through sea. PNG bytes.
std::vector<uint8_t> DemoIslandMiniMap(int island, int size);
// The mini-map marker of a racer: a small bright dot with a dark rim. PNG bytes.
std::vector<uint8_t> DemoMiniMapMarker(int size);
// A pilot's portrait: a helmet with its visor over a backdrop in the pilot's colour. PNG bytes.
std::vector<uint8_t> DemoPilotPortrait(uint32_t colour, int size);
