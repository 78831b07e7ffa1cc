// The two tables of the sound packs: GraphicsSfx.dat (the music pair of the
// front end and of each island) and SndSfx.dat (the named sound effects).
// Both are read here and written by tools/writers/SoundPackWriter.
//
// GraphicsSfx.dat: records {int32 key, int32 sfxA, int32 sfxB} until a lone
// int32 key 123456. Key 9999 is the front end, any other key a map number;
// sfxA and sfxB are the N of Sfx%d.dat, -1 for none.
// SndSfx.dat: int32 count, then count records {length-prefixed name, int32 N},
// N = -1 skipping the record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t kFrontEndMusicKey = 9999;
constexpr int32_t kMusicTableEndKey = 123456;

struct MusicTableRow
{
    int32_t key = 0;
    int32_t sfxA = -1;
    int32_t sfxB = -1;
};

struct SoundEffectRecord
{
    std::string name;
    int32_t fileNumber = -1;
};

// Rows up to the terminator or the end of the file (a cut record is dropped).
// False when the file cannot be opened.
bool ReadMusicTable(const std::string& path, std::vector<MusicTableRow>& rows);

// The records of SndSfx.dat. False when the file cannot be opened. A broken or
// missing name throws CDException; an unreadable count or file number is
// logged and ends the table, keeping the records before it.
bool ReadSoundEffectTable(const std::string& path, std::vector<SoundEffectRecord>& records);
