// The demo's races and opponents. The championship runs over the three
// islands in turn; the five tutorials reuse them (the fourth, list entry 3, is
// the one raced against three opponents). Sort numbers place the tutorials
// before the championship in the shared lists and are negative on purpose:
// the game sorts them signed.
#include "tools/demo/DemoMapsDatabase.h"

#include "tools/demo/DemoIslands.h"
#include "tools/demo/DemoMapThumbnails.h"
#include "tools/writers/MeshObjectWriter.h"
#include "world/MapsDatabaseLayout.h"

#include <future>

namespace
{
using namespace demo;

const char* const kIslandNames[kIslandCount] = {"Hill Island", "Lagoon Ring", "Canyon Isle"};

std::vector<uint32_t> IslandPictures(int island)
{
    return {kIslandThumbnailId + uint32_t(island), kIslandLoadingId + uint32_t(island),
            kIslandMiniMapId + uint32_t(island), kMiniMapMarkerId};
}

MapRecord Championship(int island, int32_t sortNumber, const std::string& description)
{
    return MakeMapRecord(kIslandNames[island - 1], 0, sortNumber, uint32_t(island), {description},
                         IslandPictures(island));
}

MapRecord Tutorial(int number, int island, const std::string& title, const std::string& description)
{
    return MakeMapRecord("Tutorial " + std::to_string(number) + " - " + title, 1, -60 + 10 * number,
                         uint32_t(island), {description}, IslandPictures(island));
}

struct DemoPilot
{
    const char* name;
    uint32_t colour;
    const char* description;
};

const DemoPilot kPilots[] = {
    {"Rex Calder", 0xD03A2A,
     "Former dune-buggy champion of the southern reefs. Drives flat out and never lifts before a jump."},
    {"Mona Vasquez", 0x2A7AD0,
     "A mechanic turned racer who knows every bolt of her buggy. Patient, precise and hard to pass."},
    {"Ivo Brandt", 0x3AA04A, "Took up racing to pay for his boat. Loves the canyon and hates the water."},
    {"Suki Tanaka", 0xE0A020,
     "The youngest driver on the islands. Fearless with rockets, careless with her brakes."},
    {"Old Jonah", 0x8A5AC0,
     "Has raced these islands since the first buggies rolled off the boats. Slow to start, never gives up."},
};
} // namespace

MapsDatabaseFileRecord DemoMapsDatabase()
{
    MapsDatabaseFileRecord file;
    file.maps = {
        Championship(1, 10,
                     "Round one: a quick loop round the big hill and along the beach. Watch the soft sand "
                     "in the bay, it eats your speed."),
        Championship(2, 20,
                     "Round two: the track follows the ring of hills round the lagoon, with a jump over "
                     "the channel to the open sea."),
        Championship(3, 30,
                     "Round three: a long run down the canyon and back over the plateau. Narrow, fast "
                     "and unforgiving."),
        Tutorial(1, 1, "First Drive", "Learn to steer, brake, respawn and drive a whole lap."),
        Tutorial(2, 2, "Targets", "Shoot the targets beside the track before the time runs out."),
        Tutorial(3, 3, "Shield, Jammer and Turbo",
                 "Use your shield, jammer and turbo, then take on your first opponent."),
        Tutorial(4, 1, "Racing", "Two laps against three opponents. Finish first to pass."),
        Tutorial(5, 2, "Championship Rules",
                 "Laps, checkpoints and prize money: everything you need before the championship."),
    };
    // The HUD's pointer: an arrow pointing down at the racer it marks, coloured
    // by the material the HUD sets; the database keeps it at a tenth of this size.
    BinaryWriter pointer;
    WriteMeshObjectBlock(pointer, MakeArrowMesh(400.0f, 80.0f, 0, 1));
    file.pointerMeshFlag = kPointerMeshFollows;
    file.pointerMesh = pointer.Bytes();
    return file;
}

std::vector<PilotRecord> DemoPilots()
{
    std::vector<PilotRecord> pilots;
    for (size_t i = 0; i < std::size(kPilots); ++i)
        pilots.push_back(
            MakePilotRecord(kPilotPortraitId + uint32_t(i), kPilots[i].name, {kPilots[i].description}));
    return pilots;
}

std::vector<TextureContainerRecord> DemoMapsPictures()
{
    std::vector<TextureContainerRecord> pictures;
    // The islands are independent: look at them side by side.
    std::vector<std::future<demo::IslandTopView>> views;
    for (int island = 1; island <= kIslandCount; ++island)
        views.push_back(std::async(std::launch::async, demo::BuildIslandTopView, island));
    for (int island = 1; island <= kIslandCount; ++island)
    {
        const std::string& name = kIslandNames[island - 1];
        const demo::IslandTopView view = views[size_t(island - 1)].get();
        pictures.push_back(
            {int32_t(kIslandThumbnailId) + island, DemoIslandThumbnail(view, island, name, 256)});
        pictures.push_back(
            {int32_t(kIslandLoadingId) + island, DemoIslandThumbnail(view, island, name, 512)});
        pictures.push_back({int32_t(kIslandMiniMapId) + island, DemoIslandMiniMap(view, island, 128)});
    }
    pictures.push_back({int32_t(kMiniMapMarkerId), DemoMiniMapMarker(16)});
    for (size_t i = 0; i < std::size(kPilots); ++i)
        pictures.push_back({int32_t(kPilotPortraitId + i), DemoPilotPortrait(kPilots[i].colour, 128)});
    return pictures;
}

std::vector<int32_t> DemoMapsPictureIds()
{
    std::vector<int32_t> ids;
    for (int island = 1; island <= kIslandCount; ++island)
        for (uint32_t base : {kIslandThumbnailId, kIslandLoadingId, kIslandMiniMapId})
            ids.push_back(int32_t(base) + island);
    ids.push_back(int32_t(kMiniMapMarkerId));
    for (size_t i = 0; i < std::size(kPilots); ++i)
        ids.push_back(int32_t(kPilotPortraitId + i));
    return ids;
}

std::vector<int32_t> DemoMapsLoadingPictureIds()
{
    std::vector<int32_t> ids;
    for (int island = 1; island <= kIslandCount; ++island)
        ids.push_back(int32_t(kIslandLoadingId) + island);
    return ids;
}

bool WriteDemoMapsDatabase(const std::string& dataDir)
{
    return WriteMapsDatabase(dataDir + "Maps_srt.qvx", DemoMapsDatabase()) &&
           WritePilotsFile(dataDir + "Aip.dat", DemoPilots());
}
