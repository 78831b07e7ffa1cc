// Readers of GraphicsSfx.dat and SndSfx.dat.
#include "media/SoundPackFiles.h"

#include "platform/io/BinaryReader.h"
#include "shell/QV7_Globals.h"
#include "shell/QV7_Logger.h"

bool ReadMusicTable(const std::string& path, std::vector<MusicTableRow>& rows)
{
    rows.clear();
    BinaryReader file;
    if (!file.OpenFile(path))
        return false;
    while (file.Remaining() >= 4)
    {
        MusicTableRow row;
        row.key = file.ReadInt32();
        if (row.key == kMusicTableEndKey)
            break;
        row.sfxA = file.ReadInt32();
        row.sfxB = file.ReadInt32();
        if (file.Failed())
            break;
        rows.push_back(row);
    }
    return true;
}

bool ReadSoundEffectTable(const std::string& path, std::vector<SoundEffectRecord>& records)
{
    records.clear();
    BinaryReader file;
    if (!file.OpenFile(path))
        return false;
    // Smallest record: a length, one zero byte, the file number.
    const int32_t count = file.ReadCount(9);
    if (file.Failed())
    {
        QV7_Logger::Log(g_logger, "ERROR: Sounds: Broken sound table %s", path.c_str());
        return true;
    }
    for (int32_t i = 0; i < count; ++i)
    {
        char name[256];
        try
        {
            // Sound is optional: a broken name ends the table instead of the game.
            ReadString(name, sizeof(name), file);
        }
        catch (const CDException&)
        {
            QV7_Logger::Log(g_logger, "ERROR: Sounds: Broken sound table %s", path.c_str());
            return true;
        }
        const int32_t number = file.ReadInt32();
        if (file.Failed())
        {
            QV7_Logger::Log(g_logger, "ERROR: Sounds: Broken sound table %s", path.c_str());
            return true;
        }
        records.push_back({name, number});
    }
    return true;
}
