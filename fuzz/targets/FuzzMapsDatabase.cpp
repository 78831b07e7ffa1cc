// Fuzz targets of the maps database: Maps_srt.qvx through the whole database
// (sorting, lists, pictures looked up in a small item list) and Aip.dat
// through the pilot reader; their seeds come from our writer.
#include "engine/QV7_TextureList.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "shell/QV7_Globals.h"
#include "tools/demo/DemoMapsDatabase.h"
#include "tools/writers/MapsDatabaseWriter.h"
#include "world/QV7_MapsSort.h"

#include <climits>

using fuzzworld::ScratchFile;

namespace
{
// An item list holding a few of the seeds' picture ids, so lookups and the
// keep flag run; it lives only for one input.
class ScopedItemTextures
{
  public:
    ScopedItemTextures()
    {
        for (uint32_t id : {4001u, 4101u, 4201u, 4300u, 4500u})
            m_List.Append()->m_CompileId = id;
        g_itemTextures = &m_List;
    }
    ~ScopedItemTextures() { g_itemTextures = nullptr; }

  private:
    QV7_TextureList m_List;
};

// Reads back everything the front end and the race read from a database.
void Walk(const QV7_MapsSort& maps)
{
    size_t total = 0;
    for (int list = 0; list < QV7_MapsSort::kListCount; ++list)
        for (int i = 0; i < maps.ListCount(list); ++i)
            total += maps.ListEntry(list, i)->name.size() + maps.ListEntry(list, i)->lines.size();
    for (int i = 0; i < maps.PilotCount(); ++i)
        total += maps.Pilot(i)->name.size();
    (void)total;
}
} // namespace

int FuzzMapsDatabase(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScopedItemTextures items;
    ScratchFile input(fuzzworld::DataDir() + "Maps_srt.qvx", data, size);
    try
    {
        QV7_MapsSort maps(fuzzworld::DataDir());
        Walk(maps);
    }
    catch (const CDException&)
    {
    }
    return 0;
}

int FuzzPilots(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScopedItemTextures items;
    ScratchFile input(fuzzworld::DataDir() + "Aip.dat", data, size);
    std::vector<std::unique_ptr<PilotRecord>> pilots;
    try
    {
        QV7_MapsSort::ReadPilotsFile(input.Path(), pilots);
    }
    catch (const CDException&)
    {
    }
    return 0;
}

std::vector<FuzzSeed> MapsDatabaseSeeds()
{
    MapsDatabaseFileRecord every;
    every.maps = {MakeMapRecord("Hill", 0, INT_MIN, 1, {"One.", "Eins."}, {4001, 4101, 4201, 4300}),
                  MakeMapRecord("Lesson", 1, -3, 2, {}, {4002}),
                  MakeMapRecord("Trial", 2, 3, 1),
                  MakeMapRecord("Quick", 3, INT_MAX, 2),
                  MakeMapRecord("Arena", 4, 0, 3),
                  MakeMapRecord("Net", 5, 0, 3),
                  MakeMapRecord("None", 9, 1, 1, {""})};
    MapsDatabaseFileRecord noMesh = every;
    noMesh.pointerMeshFlag = 2;
    return {{"demo.qvx", BuildMapsDatabase(DemoMapsDatabase()).Bytes()},
            {"every_class.qvx", BuildMapsDatabase(every).Bytes()},
            {"flag_2.qvx", BuildMapsDatabase(noMesh).Bytes()},
            {"empty.qvx", BuildMapsDatabase({}).Bytes()}};
}

std::vector<FuzzSeed> PilotsSeeds()
{
    return {{"demo.dat", BuildPilotsFile(DemoPilots()).Bytes()},
            {"mixed.dat",
             BuildPilotsFile({MakePilotRecord(4500, "A", {"x", ""}), MakePilotRecord(7, "B")}).Bytes()},
            {"empty.dat", BuildPilotsFile({}).Bytes()}};
}
