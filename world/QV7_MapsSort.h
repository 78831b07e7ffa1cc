// The maps database (g_mapsSort): the catalogue of races, read at start-up
// from Maps_srt.qvx, and the computer opponents' pilots from Aip.dat. Every
// map record is sorted by its sort number and joins the race lists of its mode
// class: the front end's championship and tutorial lists are lists 0 and 1,
// the race session loads the record it is given. It also keeps the small mesh
// the race HUD draws as a pointer.
#pragma once

#include "platform/gfx/D3D9.h"
#include "world/LodMeshObject.h"
#include "world/MapRecord.h"

#include <memory>
#include <string>
#include <vector>

class BinaryReader;

class QV7_MapsSort
{
  public:
    // The race lists by mode class: class 0 joins lists 0, 2 and 3, class k list k.
    static constexpr int kListCount = 6;
    static constexpr int kChampionshipList = 0;
    static constexpr int kTutorialList = 1;
    // The vertex format of the pointer mesh, and of every mesh drawn like it
    // (usable while no database exists).
    static constexpr DWORD kPointerMeshFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

    // Loads both files from the data folder (g_dataDir). Without Maps_srt.qvx
    // the database is empty and g_mapsSort stays unset; a broken file throws
    // CDException after its log lines.
    QV7_MapsSort();
    explicit QV7_MapsSort(const std::string& dataDir);
    ~QV7_MapsSort();
    QV7_MapsSort(const QV7_MapsSort&) = delete;
    QV7_MapsSort& operator=(const QV7_MapsSort&) = delete;

    // Every map record, in ascending sort-number order.
    int MapCount() const { return int(m_Maps.size()); }
    MapRecord* Map(int index) const;
    // One race list; null for an index outside it.
    int ListCount(int list) const;
    MapRecord* ListEntry(int list, int index) const;
    // Pilots in file order.
    int PilotCount() const { return int(m_Pilots.size()); }
    PilotRecord* Pilot(int index) const;

    // Reads Aip.dat into pilots (portraits looked up); false, with a log line,
    // when the file can't be opened. A broken file throws CDException.
    static bool ReadPilotsFile(const std::string& path, std::vector<std::unique_ptr<PilotRecord>>& pilots);

    // Reads the mesh object block at the file's position into the pointer mesh,
    // its textures from the item database's list.
    void LoadPointerMesh(BinaryReader& file);
    bool HasPointerMesh() const { return m_PointerMesh.m_SubsetCount > 0; }
    // Draws the pointer mesh with the world matrix and material 0 the race HUD
    // has set on it; an empty mesh draws nothing.
    void RenderHudPointer(LodMeshObject& pointerMesh) const;

    // The mesh the race HUD points with; empty unless Maps_srt.qvx carries it.
    LodMeshObject m_PointerMesh;
    // The vertex format the pointer mesh is drawn with.
    DWORD m_PointerFvf = kPointerMeshFvf;

  private:
    void Load(const std::string& dataDir);
    bool LoadMaps(const std::string& path);
    void ReadMapRecords(BinaryReader& file, const std::string& path);
    void ResolvePictures(MapRecord& map) const;
    void SortMaps();
    void FillLists();

    std::vector<std::unique_ptr<MapRecord>> m_Maps;
    std::vector<MapRecord*> m_Lists[kListCount];
    std::vector<std::unique_ptr<PilotRecord>> m_Pilots;
};

// For sorting: whether a's sort number comes before b's (the signed values
// compared, never subtracted, so extreme values can't overflow).
bool CompareMapRecords(const MapRecord* a, const MapRecord* b);

extern QV7_MapsSort* g_mapsSort;
