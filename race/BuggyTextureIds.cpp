// Reading the buggy texture ID lists. Both files only choose which textures
// to load, so what can be read of Textures2.dbs is kept; an exclusion list
// whose count does not fit its file is refused, as no one can say which IDs
// it meant.
#include "race/BuggyTextureIds.h"

#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

namespace
{
constexpr size_t kIdSize = 4;
} // namespace

void ReadBuggyTextureIds(BinaryReader& file, const std::string& path, QV7_Collection<int32_t>& ids)
{
    while (file.Remaining() >= kIdSize)
        *ids.Add() = file.ReadInt32();
    if (file.Remaining() > 0)
        QV7_Logger::Log(
            g_logger,
            "Warning: Buggies Number file %s ends inside a texture id, its last %d bytes are ignored",
            path.c_str(), int(file.Remaining()));
}

void LoadBuggyTextureIds(const std::string& path, QV7_Collection<int32_t>& ids)
{
    BinaryReader file;
    if (!file.OpenFile(path))
    {
        // The file is looked at twice, for its length and for its IDs; both fail.
        QV7_Logger::Log(g_logger, "Error: Buggies Number file while accesing %s (A)", path.c_str());
        QV7_Logger::Log(g_logger, "Error: Buggies Number file while accesing %s (B)", path.c_str());
        return;
    }
    ReadBuggyTextureIds(file, path, ids);
}

std::vector<int32_t> ReadExcludedTextureIds(BinaryReader& file, const std::string& path)
{
    const bool countPresent = file.Remaining() >= kIdSize;
    const int32_t announced = countPresent ? file.PeekInt32() : 0;
    const int32_t count = file.ReadCount(kIdSize);
    if (file.Failed())
    {
        if (countPresent)
            QV7_Logger::Log(g_logger,
                            "ERROR: Buggy texture exclusion file %s is broken: a count of %d for %d bytes",
                            path.c_str(), int(announced), int(file.Size() - kIdSize));
        else
            QV7_Logger::Log(g_logger, "ERROR: Buggy texture exclusion file %s is broken: it holds no count",
                            path.c_str());
        ThrowDataError(".\\QV7_ItemDatabase", __LINE__);
    }
    std::vector<int32_t> excluded(static_cast<size_t>(count));
    for (int32_t& id : excluded)
        id = file.ReadInt32();
    return excluded;
}

void ExcludeTextureIds(const std::string& path, QV7_Collection<int32_t>& ids)
{
    BinaryReader file;
    if (!file.OpenFile(path))
        return;
    for (int32_t id : ReadExcludedTextureIds(file, path))
        RemoveLastOccurrence(ids, id);
}

void RemoveLastOccurrence(QV7_Collection<int32_t>& ids, int32_t id)
{
    for (int i = ids.Count() - 1; i >= 0; --i)
        if (*ids[i] == id)
        {
            ids.DeleteAt(i);
            return;
        }
}
