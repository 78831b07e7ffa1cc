// The demo's maps database: Maps_srt.qvx with the championship races and the
// tutorials on the three demo islands (1 hill island, 2 lagoon ring, 3 canyon
// island), Aip.dat with the five opponents, and their pictures for the world
// container Textures2.qvx (compile IDs 4000 to 4999).
#pragma once

#include "tools/writers/MapsDatabaseWriter.h"
#include "tools/writers/TextureContainerWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace demo
{
// Textures2.qvx: one per island (1 to 3) of each kind, one marker, one portrait per pilot.
constexpr uint32_t kIslandThumbnailId = 4000; // + island: race-list thumbnail
constexpr uint32_t kIslandLoadingId = 4100;   // + island: loading page (loaded by the race)
constexpr uint32_t kIslandMiniMapId = 4200;   // + island: the HUD's mini-map
constexpr uint32_t kMiniMapMarkerId = 4300;   // every racer's mini-map marker
constexpr uint32_t kPilotPortraitId = 4500;   // + pilot index
constexpr int kIslandCount = 3;
} // namespace demo

MapsDatabaseFileRecord DemoMapsDatabase();
std::vector<PilotRecord> DemoPilots();
// The pictures the two files name, for Textures2.qvx.
std::vector<TextureContainerRecord> DemoMapsPictures();
// Their compile IDs in the same order, and those of the loading pages alone
// (which the race load brings in when it needs one).
std::vector<int32_t> DemoMapsPictureIds();
std::vector<int32_t> DemoMapsLoadingPictureIds();

// Writes Maps_srt.qvx and Aip.dat into dataDir (ending in '/'); false on a write failure.
bool WriteDemoMapsDatabase(const std::string& dataDir);
