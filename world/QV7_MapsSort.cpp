// Loading the maps database: the map records, their sorting into the race
// lists, the pointer mesh and the pilots.
#include "world/QV7_MapsSort.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"
#include "world/MapsDatabaseLayout.h"
#include "world/MeshObjectReader.h"

#include <algorithm>

QV7_MapsSort* g_mapsSort = nullptr;

namespace
{
const char* const kMapsFile = "Maps_srt.qvx";
const char* const kPilotsFile = "Aip.dat";

// The lists a mode class joins: a championship map is also raced in lists 2 and 3.
const std::vector<int>& ListsOfClass(uint32_t modeClass)
{
    static const std::vector<int> kNone;
    static const std::vector<int> kClassLists[QV7_MapsSort::kListCount] = {{0, 2, 3}, {1}, {2},
                                                                           {3},       {4}, {5}};
    return modeClass < uint32_t(QV7_MapsSort::kListCount) ? kClassLists[modeClass] : kNone;
}

TextureRecord* FindPicture(uint32_t id)
{
    return g_itemTextures ? g_itemTextures->FindByCompileId(id) : nullptr;
}
} // namespace

bool CompareMapRecords(const MapRecord* a, const MapRecord* b)
{
    return a->sortNumber < b->sortNumber;
}

QV7_MapsSort::QV7_MapsSort() : QV7_MapsSort(g_dataDir) {}

QV7_MapsSort::QV7_MapsSort(const std::string& dataDir)
{
    Load(dataDir);
}

QV7_MapsSort::~QV7_MapsSort()
{
    if (g_mapsSort == this)
        g_mapsSort = nullptr;
    m_PointerMesh.Release();
    // The pilots go first, then the lists (which own nothing), then the maps,
    // each from the last to the first.
    while (!m_Pilots.empty())
        m_Pilots.pop_back();
    for (std::vector<MapRecord*>& list : m_Lists)
        list.clear();
    while (!m_Maps.empty())
        m_Maps.pop_back();
}

MapRecord* QV7_MapsSort::Map(int index) const
{
    return index >= 0 && index < MapCount() ? m_Maps[size_t(index)].get() : nullptr;
}

int QV7_MapsSort::ListCount(int list) const
{
    return list >= 0 && list < kListCount ? int(m_Lists[list].size()) : 0;
}

MapRecord* QV7_MapsSort::ListEntry(int list, int index) const
{
    if (index < 0 || index >= ListCount(list))
        return nullptr;
    return m_Lists[list][size_t(index)];
}

PilotRecord* QV7_MapsSort::Pilot(int index) const
{
    return index >= 0 && index < PilotCount() ? m_Pilots[size_t(index)].get() : nullptr;
}

void QV7_MapsSort::Load(const std::string& dataDir)
{
    if (!LoadMaps(dataDir + kMapsFile))
        return;
    SortMaps();
    FillLists();
    ReadPilotsFile(dataDir + kPilotsFile, m_Pilots);
    g_mapsSort = this;
}

bool QV7_MapsSort::LoadMaps(const std::string& path)
{
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(
            g_logger,
            "ERROR NOTE: No Maps Database file found, game can't load any map without this file. %s",
            path.c_str());
        return false;
    }
    ReadMapRecords(file, path);
    MapsDatabaseReadIo io(file, "Maps Database", path);
    uint32_t pointerMeshFlag = 0;
    io.UInt(pointerMeshFlag);
    if (pointerMeshFlag == kPointerMeshFollows)
        LoadPointerMesh(file);
    return true;
}

void QV7_MapsSort::ReadMapRecords(BinaryReader& file, const std::string& path)
{
    MapsDatabaseReadIo io(file, "Maps Database", path);
    uint32_t count = 0;
    io.Count(count, kMinMapRecordBytes);
    for (uint32_t i = 0; i < count; ++i)
    {
        m_Maps.push_back(std::make_unique<MapRecord>());
        MapRecordFields(io, *m_Maps.back());
        ResolvePictures(*m_Maps.back());
    }
}

void QV7_MapsSort::LoadPointerMesh(BinaryReader& file)
{
    ReadMeshObjectBlock(file, m_PointerMesh, m_PointerFvf, g_device, g_itemTextures, MapsSortMeshReader());
}

// The loading and mini-map pictures are marked swappable: the item database's
// list releases such pictures during a race unless they belong to its map.
void QV7_MapsSort::ResolvePictures(MapRecord& map) const
{
    for (int i = 0; i < MAP_PICTURE_COUNT; ++i)
    {
        map.textures[i] = FindPicture(map.textureIds[i]);
        if (map.textures[i] && (i == MAP_PICTURE_LOADING || i == MAP_PICTURE_MINIMAP))
            map.textures[i]->m_Flag = 1;
    }
}

void QV7_MapsSort::SortMaps()
{
    std::stable_sort(m_Maps.begin(), m_Maps.end(),
                     [](const std::unique_ptr<MapRecord>& a, const std::unique_ptr<MapRecord>& b)
                     { return CompareMapRecords(a.get(), b.get()); });
    for (const std::unique_ptr<MapRecord>& map : m_Maps)
        QV7_Logger::Log(g_logger, "MAP Sorting %d %s ", map->sortNumber, map->name.c_str());
}

void QV7_MapsSort::FillLists()
{
    for (const std::unique_ptr<MapRecord>& map : m_Maps)
        for (int list : ListsOfClass(map->modeClass))
            m_Lists[list].push_back(map.get());
}

// The pilots only fill the opponents' profile pages: without the file the
// races still run, so a missing one is noted and the database has no pilots.
bool QV7_MapsSort::ReadPilotsFile(const std::string& path, std::vector<std::unique_ptr<PilotRecord>>& pilots)
{
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        QV7_Logger::Log(g_logger, "ERROR NOTE: No Pilots file found, the races show no pilot profiles. %s",
                        path.c_str());
        return false;
    }
    MapsDatabaseReadIo io(file, "Pilots", path);
    uint32_t count = 0;
    io.Count(count, kMinPilotRecordBytes);
    for (uint32_t i = 0; i < count; ++i)
    {
        pilots.push_back(std::make_unique<PilotRecord>());
        PilotRecord& pilot = *pilots.back();
        PilotRecordFields(io, pilot);
        pilot.portrait = FindPicture(pilot.portraitId);
    }
    return true;
}
