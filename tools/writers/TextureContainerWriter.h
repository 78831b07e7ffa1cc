// Writers of the texture containers and their ID lists: Textures1.qvx (a record
// count, then the records), Textures2.qvx (records back to back up to the end
// of the file) and Map%d.tex (a count and the compile IDs a race map uses).
// A record is a compile ID, a byte length and one complete image file.
#pragma once

#include "platform/io/BinaryWriter.h"

#include <cstdint>
#include <string>
#include <vector>

struct TextureContainerRecord
{
    int32_t compileId = 0;
    std::vector<uint8_t> image;
};

// With the leading record count (Textures1.qvx).
BinaryWriter BuildMenuTextureContainer(const std::vector<TextureContainerRecord>& records);
// Without a header (Textures2.qvx).
BinaryWriter BuildWorldTextureContainer(const std::vector<TextureContainerRecord>& records);
BinaryWriter BuildMapTextureList(const std::vector<int32_t>& compileIds);

bool WriteMenuTextureContainer(const std::string& path, const std::vector<TextureContainerRecord>& records);
bool WriteWorldTextureContainer(const std::string& path, const std::vector<TextureContainerRecord>& records);
bool WriteMapTextureList(const std::string& path, const std::vector<int32_t>& compileIds);
