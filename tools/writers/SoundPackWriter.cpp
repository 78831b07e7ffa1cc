// Writers of GraphicsSfx.dat, SndSfx.dat and Sfx%d.dat.
#include "tools/writers/SoundPackWriter.h"

#include "platform/io/BinaryWriter.h"
#include "shell/QV7_Globals.h"
#include "tools/writers/VorbisEncoder.h"

void WriteMusicTable(const std::vector<MusicTableRow>& rows, BinaryWriter& file)
{
    for (const MusicTableRow& row : rows)
    {
        file.WriteInt32(row.key);
        file.WriteInt32(row.sfxA);
        file.WriteInt32(row.sfxB);
    }
    file.WriteInt32(kMusicTableEndKey);
}

bool SaveMusicTable(const std::string& path, const std::vector<MusicTableRow>& rows)
{
    BinaryWriter file;
    WriteMusicTable(rows, file);
    return file.SaveToFile(path);
}

void WriteSoundEffectTable(const std::vector<SoundEffectRecord>& records, BinaryWriter& file)
{
    file.WriteInt32(int32_t(records.size()));
    for (const SoundEffectRecord& record : records)
    {
        WriteString(record.name.c_str(), file);
        file.WriteInt32(record.fileNumber);
    }
}

bool SaveSoundEffectTable(const std::string& path, const std::vector<SoundEffectRecord>& records)
{
    BinaryWriter file;
    WriteSoundEffectTable(records, file);
    return file.SaveToFile(path);
}

bool SaveSfxFile(const std::string& dataDir, int number, const std::vector<int16_t>& interleaved, int channels,
                 int sampleRate)
{
    const std::vector<uint8_t> stream = EncodeOggVorbis(interleaved, channels, sampleRate);
    if (stream.empty())
        return false;
    BinaryWriter file;
    file.WriteBytes(stream.data(), stream.size());
    return file.SaveToFile(dataDir + "Sfx" + std::to_string(number) + ".dat");
}
