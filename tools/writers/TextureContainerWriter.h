// Writers of the texture containers and their ID lists: Textures1.qvx (a record
// count, then the records), Textures2.qvx (records back to back up to the end
// of the file), Map%d.tex (a count and the compile IDs a race map uses; the
// item database's exclusion list Maps_srt_ex.qvx has the same form) and
// Textures2.dbs (the buggy textures' compile IDs back to back, no count).
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
BinaryWriter BuildBuggyTextureIdList(const std::vector<int32_t>& compileIds);

bool WriteMenuTextureContainer(const std::string& path, const std::vector<TextureContainerRecord>& records);
bool WriteWorldTextureContainer(const std::string& path, const std::vector<TextureContainerRecord>& records);
bool WriteMapTextureList(const std::string& path, const std::vector<int32_t>& compileIds);
bool WriteBuggyTextureIdList(const std::string& path, const std::vector<int32_t>& compileIds);
