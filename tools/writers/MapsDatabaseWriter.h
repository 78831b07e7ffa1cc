// Writer of the maps database's files from the same field description the
// game's loader reads (world/MapsDatabaseLayout.h): Maps_srt.qvx (a count, the
// map records, the pointer-mesh flag and, when it is 1, the pointer mesh's
// block) and Aip.dat (a count and the pilot records).
#pragma once

#include "platform/io/BinaryWriter.h"
#include "world/MapRecord.h"

#include <cstdint>
#include <string>
#include <vector>

struct MapsDatabaseFileRecord
{
    std::vector<MapRecord> maps;
    // 1 (kPointerMeshFollows): pointerMesh is written after it. Any other value
    // is written as it is and ends the file.
    uint32_t pointerMeshFlag = 0;
    // One complete mesh object block (the mesh writer's bytes).
    std::vector<uint8_t> pointerMesh;
};

BinaryWriter BuildMapsDatabase(const MapsDatabaseFileRecord& file);
BinaryWriter BuildPilotsFile(const std::vector<PilotRecord>& pilots);
bool WriteMapsDatabase(const std::string& path, const MapsDatabaseFileRecord& file);
bool WritePilotsFile(const std::string& path, const std::vector<PilotRecord>& pilots);

// A map record with its fields in the data model's order.
MapRecord MakeMapRecord(const std::string& name, uint32_t modeClass, int32_t sortNumber, uint32_t mapNumber,
                        std::vector<std::string> lines = {}, std::vector<uint32_t> textureIds = {});
PilotRecord MakePilotRecord(uint32_t portraitId, const std::string& name,
                            std::vector<std::string> lines = {});
