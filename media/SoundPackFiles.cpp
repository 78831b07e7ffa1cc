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
    auto broken = [&]
    {
        QV7_Logger::Log(g_logger, "ERROR: Sounds: Broken sound table %s", path.c_str());
        return true;
    };
    // Records are read one at a time, so a count larger than the file reads on
    // to the first missing name rather than allocating for it.
    const int32_t count = file.ReadInt32();
    if (file.Failed() || count < 0)
        return broken();
    for (int32_t i = 0; i < count; ++i)
    {
        // The names follow the string rule of every data file: a broken or
        // missing one throws CDException, although sound itself is optional.
        char name[256];
        ReadString(name, sizeof(name), file);
        const int32_t number = file.ReadInt32();
        if (file.Failed())
            return broken();
        records.push_back({name, number});
    }
    return true;
}
