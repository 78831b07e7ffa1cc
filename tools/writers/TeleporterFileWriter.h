// Writer of an island's teleporters, Map%d.tel: an int32 count, then four
// records of an int32 (unused), a position (three floats, render units) and a
// yaw (float); 84 bytes, little-endian. Records 0 and 2 are entry gates,
// 1 and 3 their exits.
#pragma once

#include "platform/io/BinaryWriter.h"

#include <array>
#include <cstdint>
#include <string>

struct TeleporterFileRecord
{
    int32_t unused = 0;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    float yaw = 0.0f;
};

struct TeleporterFileDescription
{
    int32_t count = 2;
    std::array<TeleporterFileRecord, 4> records{};
};

BinaryWriter BuildTeleporterFile(const TeleporterFileDescription& description);
bool WriteTeleporterFile(const std::string& path, const TeleporterFileDescription& description);
