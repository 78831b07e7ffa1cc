// Maps_srt.qvx and Aip.dat, field by field through the loader's own layout.
#include "tools/writers/MapsDatabaseWriter.h"

#include "world/MapsDatabaseLayout.h"

#include <algorithm>

BinaryWriter BuildMapsDatabase(const MapsDatabaseFileRecord& file)
{
    BinaryWriter out;
    MapsDatabaseWriteIo io(out);
    uint32_t count = uint32_t(file.maps.size());
    io.Count(count, kMinMapRecordBytes);
    for (MapRecord map : file.maps)
        MapRecordFields(io, map);
    uint32_t flag = file.pointerMeshFlag;
    io.UInt(flag);
    if (flag == kPointerMeshFollows)
        out.WriteBytes(file.pointerMesh.data(), file.pointerMesh.size());
    return out;
}

BinaryWriter BuildPilotsFile(const std::vector<PilotRecord>& pilots)
{
    BinaryWriter out;
    MapsDatabaseWriteIo io(out);
    uint32_t count = uint32_t(pilots.size());
    io.Count(count, kMinPilotRecordBytes);
    for (PilotRecord pilot : pilots)
        PilotRecordFields(io, pilot);
    return out;
}

bool WriteMapsDatabase(const std::string& path, const MapsDatabaseFileRecord& file)
{
    return BuildMapsDatabase(file).SaveToFile(path);
}

bool WritePilotsFile(const std::string& path, const std::vector<PilotRecord>& pilots)
{
    return BuildPilotsFile(pilots).SaveToFile(path);
}

MapRecord MakeMapRecord(const std::string& name, uint32_t modeClass, int32_t sortNumber, uint32_t mapNumber,
                        std::vector<std::string> lines, std::vector<uint32_t> textureIds)
{
    MapRecord map;
    map.name = name;
    map.modeClass = modeClass;
    map.sortNumber = sortNumber;
    map.mapNumber = mapNumber;
    map.lines = std::move(lines);
    std::copy_n(textureIds.begin(), std::min<size_t>(textureIds.size(), MAP_PICTURE_COUNT), map.textureIds);
    return map;
}

PilotRecord MakePilotRecord(uint32_t portraitId, const std::string& name, std::vector<std::string> lines)
{
    PilotRecord pilot;
    pilot.portraitId = portraitId;
    pilot.name = name;
    pilot.lines = std::move(lines);
    return pilot;
}
