// The fuzz targets' seed corpus and fixed files, all made by our own writers:
// well-formed files of every kind the targets read, small enough that the
// fuzzer mutates them quickly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FuzzSeed
{
    std::string name;
    std::vector<uint8_t> bytes;
};

// The seeds of one target (empty for an unknown name).
std::vector<FuzzSeed> FuzzSeedsFor(const std::string& target);
// The maps database's seeds (FuzzMapsDatabase.cpp).
std::vector<FuzzSeed> MapsDatabaseSeeds();
std::vector<FuzzSeed> PilotsSeeds();
// The item database's ID lists' seeds (FuzzItemDatabase.cpp).
std::vector<FuzzSeed> BuggyTextureIdSeeds();
std::vector<FuzzSeed> TextureExclusionSeeds();
// The driver-figure database's seeds (FuzzTriggers.cpp).
std::vector<FuzzSeed> TriggersSeeds();
// The waypoint path's seeds (FuzzWaypoints.cpp).
std::vector<FuzzSeed> WaypointSeeds();
// The checkpoints' seeds (FuzzCheckpoints.cpp).
std::vector<FuzzSeed> CheckpointSeeds();
// The effect files' seeds (FuzzEffects.cpp).
std::vector<FuzzSeed> EffectLibrarySeeds();
std::vector<FuzzSeed> PlacedEffectSeeds();
// The track items' and shorelines' seeds (FuzzTrackItems.cpp).
std::vector<FuzzSeed> TrackItemSeeds();
std::vector<FuzzSeed> ShoreLineSeeds();
// The fading vegetation's seeds (FuzzFadingVegetation.cpp).
std::vector<FuzzSeed> FadingVegetationSeeds();
// The teleporters' seeds (FuzzTeleporters.cpp).
std::vector<FuzzSeed> TeleporterSeeds();
// The scenery files' seeds (FuzzScenery.cpp).
std::vector<FuzzSeed> StaticObjectsSeeds();
std::vector<FuzzSeed> TreesSeeds();
std::vector<FuzzSeed> MovingScenerySeeds();
// Writes every target's seeds into dir/<target>/; false on a write failure.
bool WriteFuzzSeeds(const std::string& dir);

// The files some loaders read beside their input: the menu pictures and fonts
// the seeds' menu pages name, a world container for the map lists, one sound.
struct FuzzFixtures
{
    std::vector<uint8_t> menuTextures;  // Textures1.qvx, the ids of kFuzzPictureIds
    std::vector<uint8_t> fonts;         // Fonts.qvx, the ids of kFuzzFontIds
    std::vector<uint8_t> worldTextures; // a Textures2.qvx with the ids of kFuzzPictureIds
    std::vector<uint8_t> sound;         // Sfx1.dat
};
FuzzFixtures MakeFuzzFixtures();

// Compile ids and font ids the seeds use and the targets ask for: the demo
// menus' own, so its pages resolve every picture and font.
extern const std::vector<int32_t> kFuzzPictureIds;
extern const std::vector<int32_t> kFuzzFontIds;

// The landscape target's input from a whole Map%d.map: its 244-byte tail, then
// the first patternSize bytes of its layers, which the target repeats over them.
std::vector<uint8_t> LandscapeFuzzInput(const std::vector<uint8_t>& file, size_t patternSize);
// The small shading picture the landscape target puts beside every map.
std::vector<uint8_t> LandscapeFuzzShadingPicture();
