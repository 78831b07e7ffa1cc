// Texture container writers.
#include "tools/writers/TextureContainerWriter.h"

namespace
{
void WriteRecords(BinaryWriter& file, const std::vector<TextureContainerRecord>& records)
{
    for (const TextureContainerRecord& record : records)
    {
        file.WriteInt32(record.compileId);
        file.WriteUInt32(uint32_t(record.image.size()));
        file.WriteBytes(record.image.data(), record.image.size());
    }
}
} // namespace

BinaryWriter BuildMenuTextureContainer(const std::vector<TextureContainerRecord>& records)
{
    BinaryWriter file;
    file.WriteInt32(int32_t(records.size()));
    WriteRecords(file, records);
    return file;
}

BinaryWriter BuildWorldTextureContainer(const std::vector<TextureContainerRecord>& records)
{
    BinaryWriter file;
    WriteRecords(file, records);
    return file;
}

BinaryWriter BuildMapTextureList(const std::vector<int32_t>& compileIds)
{
    BinaryWriter file;
    file.WriteInt32(int32_t(compileIds.size()));
    for (int32_t id : compileIds)
        file.WriteInt32(id);
    return file;
}

BinaryWriter BuildBuggyTextureIdList(const std::vector<int32_t>& compileIds)
{
    BinaryWriter file;
    for (int32_t id : compileIds)
        file.WriteInt32(id);
    return file;
}

bool WriteMenuTextureContainer(const std::string& path, const std::vector<TextureContainerRecord>& records)
{
    return BuildMenuTextureContainer(records).SaveToFile(path);
}

bool WriteWorldTextureContainer(const std::string& path, const std::vector<TextureContainerRecord>& records)
{
    return BuildWorldTextureContainer(records).SaveToFile(path);
}

bool WriteMapTextureList(const std::string& path, const std::vector<int32_t>& compileIds)
{
    return BuildMapTextureList(compileIds).SaveToFile(path);
}

bool WriteBuggyTextureIdList(const std::string& path, const std::vector<int32_t>& compileIds)
{
    return BuildBuggyTextureIdList(compileIds).SaveToFile(path);
}
